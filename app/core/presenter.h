// The main window's logic (frmNVUpload): start-up, the printer and port
// settings, the list panels and closing, over a MainView and the platform's
// services. The Win32 window forwards its events here and shows what it is
// told.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs.h"
#include "language.h"
#include "logo_files.h"
#include "main_view.h"
#include "services.h"
#include "settings.h"
#include "texts.h"

namespace orvenna {

// The tone methods the preview panel offers.
enum class ToneMethod { kNone, kErrorDiffusion };

struct Services {
    const Environment& environment;
    Files& files;
    const AnsiText& ansi;
    LogoControl& control;
    FileDialog& dialog;
    Clock& clock;
};

class Presenter {
  public:
    Presenter(MainView& view, Services services);

    // The design captions of every control, before anything else.
    void Create();
    // Start-up: language, drivers, collections, settings, control states.
    void Start();
    // The window closes: the settings and both lists are saved; a list that
    // could not be saved is named to the user.
    void Close();
    // The session ends (log-off, shutdown): saved as at closing, silently.
    void EndSession();

    // User events.
    void PrinterSelected(int index);
    void TabSelected(int index);
    void AddFile(Panel panel);
    void RemoveFile(Panel panel);
    // A row of a list view became the selected one (0-based; -1 none).
    void RowSelected(Panel panel, int row);
    void ImageModeClicked(ToneMethod tone);
    // The slider came to rest at `position` (mouse released, track clicked,
    // keyboard).
    void SliderSettled(int position);
    void LogoUpload();
    void EraseAll();
    void PrintOut();

    // For the window and the tests.
    Language CurrentLanguage() const { return language_; }
    bool Bare() const { return !top_; }
    bool TopLogo() const { return topLogo_; }
    bool BottomLogo() const { return bottomLogo_; }
    ToneMethod ImageMode() const { return tone_; }
    int Brightness() const { return brightness_; }
    int Rotation() const { return rotation_; }
    bool TopListCurrent() const { return topListCurrent_; }
    bool BottomListCurrent() const { return bottomListCurrent_; }
    const LogoFiles* Collection(Panel panel) const {
        return panel == Panel::kTop ? top_.get() : bottom_.get();
    }
    const std::string& PreviewName() const { return previewName_; }

    static constexpr int kSliderMaximum = 10;

  private:
    struct ComboState {
        std::vector<std::string> entries;
        int selected = -1;
    };

    std::string SettingsPath() const;
    ComboState& State(Combo combo) { return combos_[static_cast<std::size_t>(combo)]; }
    void Fill(Combo combo, const std::vector<std::string>& entries);
    void Select(Combo combo, int index);
    void SelectStored(Combo combo, const std::string& text);
    void FillPortList();
    void LoadSettings();
    // One message for every list whose file was not understood whole.
    void TellDamagedLists();
    // Saves the settings and both lists; the names of the lists not saved.
    std::vector<std::string> Save();

    LogoFiles& Files(Panel panel) { return panel == Panel::kTop ? *top_ : *bottom_; }
    void Refresh(Panel panel);
    void SetOption(Panel panel, bool on);
    void SetToneControls(bool enabled);
    bool HasRows(Panel panel) const;
    // The selected record's position (1-based): the first when no row is
    // selected; 0 for an empty list.
    int SelectedRecord(Panel panel) const;
    bool& CurrentFlag(Panel panel) {
        return panel == Panel::kTop ? topListCurrent_ : bottomListCurrent_;
    }
    bool LogoOn(Panel panel) const { return panel == Panel::kTop ? topLogo_ : bottomLogo_; }
    // The list the preview panel works on: the top list wins.
    std::optional<Panel> CurrentList() const;
    bool ShowOriginal(Panel panel, int record);
    void ShowPrinted(Panel panel, int record);
    void PreviewList(Panel panel);
    void SetSizeLabels(Panel panel, const std::string& height, const std::string& width);
    // Whether the chosen file may join a list; says why not.
    bool Accept(const ChosenFile& file, int32_t bitsPixel, int32_t height, int32_t width);
    std::string UploadString(Panel panel) const;
    std::string PrinterName() const;
    bool Confirmed(TextId question, TextId caption);
    void Report(Job job, int32_t status);

    MainView& view_;
    Services services_;
    Language language_ = Language::kEnglish;
    std::array<ComboState, kComboCount> combos_;
    std::string ip_;
    std::unique_ptr<LogoFiles> top_, bottom_;
    std::array<int, 2> rowCount_ = {0, 0};
    std::array<int, 2> selectedRow_ = {-1, -1};
    int sliderPosition_ = kSliderMaximum / 2;
    bool topLogo_ = false, bottomLogo_ = false;  // the Top Logo and Bottom Logo options
    ToneMethod tone_ = ToneMethod::kNone;
    int brightness_ = 0, rotation_ = 0;
    bool topListCurrent_ = false, bottomListCurrent_ = false;
    std::string previewName_;
    int printedHeightTwips_ = 0, printedWidthTwips_ = 0;
};

}  // namespace orvenna

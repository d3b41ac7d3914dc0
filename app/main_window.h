// The main window (frmNVUpload) over Win32: a dialog from the resource
// script, placed by its twips layout at the screen's DPI, hosting the Zelmar
// control. It shows what the presenter tells it and forwards the user's
// events; the rules live in the presenter.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "control_client.h"
#include "control_site.h"
#include "main_view.h"
#include "platform.h"
#include "presenter.h"
#include "win32/window_owners.h"

namespace orvenna {

class MainWindow final : public MainView {
  public:
    explicit MainWindow(HINSTANCE instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window, runs start-up and the message loop until the window
    // closes; the program's exit code.
    int Run();

    void SetCaption(const std::string& text) override;
    void SetText(Item item, const std::string& text) override;
    void SetEnabled(Item item, bool enabled) override;
    void SetChecked(Item item, bool checked) override;
    void SetVisible(Item item, bool visible) override;
    void SetEntries(Combo combo, const std::vector<std::string>& entries) override;
    void SetSelection(Combo combo, int index) override;
    void SetSlider(int position, int maximum) override;
    void ShowTab(int index) override;
    void Centre() override;
    void SetColumns(Panel panel, const std::vector<Column>& columns) override;
    void SetRows(Panel panel, const std::vector<ListRow>& rows, int selected) override;
    bool ShowPicture(Item box, const std::string& path, int heightTwips, int widthTwips) override;
    void ClearPicture(Item box) override;
    Answer Show(const Message& message) override;

  private:
    // One row of the layout resource, in twips.
    struct Placement {
        int id, origin;
        int left, top, width, height;
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int id, int code);
    void Notify(const NMHDR& header);
    void DrawPicture(const DRAWITEMSTRUCT& item);
    void Close();

    void Layout();
    void HostControl(const Placement& site);
    int Pixels(int twips, bool vertical) const;
    HWND Control(int id) const;
    HWND Control(Item item) const { return Control(static_cast<int>(item)); }
    bool Shown(int id) const;
    void UpdateVisibility();

    HINSTANCE instance_;
    Win32Environment environment_;
    Win32Files files_;
    Win32AnsiText ansi_;
    ControlClient client_;
    Win32FileDialog dialog_;
    Win32Clock clock_;
    Presenter presenter_;
    HWND window_ = nullptr;
    int dpiX_ = 96, dpiY_ = 96;
    std::vector<Placement> layout_;
    std::map<int, HWND> controls_;
    std::set<int> hidden_;
    int tab_ = 0;
    bool filling_ = false;  // the presenter is filling a list view
    std::map<int, zelmar::win32::UniqueBitmap> pictures_;
    Microsoft::WRL::ComPtr<IOleObject> control_;
    std::unique_ptr<ControlSite> site_;
};

}  // namespace orvenna

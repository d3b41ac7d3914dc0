// Fakes of the window and the platform for the window logic's tests: a view
// that records what it is told, files in memory, a Latin-1 code page.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "main_view.h"
#include "services.h"

namespace orvenna::test {

class FakeView : public MainView {
  public:
    void SetCaption(const std::string& text) override { caption = text; }
    void SetText(Item item, const std::string& text) override { texts[item] = text; }
    void SetEnabled(Item item, bool on) override { enabled[item] = on; }
    void SetChecked(Item item, bool on) override { checked[item] = on; }
    void SetVisible(Item item, bool on) override { visible[item] = on; }
    void SetEntries(Combo combo, const std::vector<std::string>& list) override {
        entries[combo] = list;
        selection[combo] = -1;
    }
    void SetSelection(Combo combo, int index) override { selection[combo] = index; }
    void SetSlider(int position, int maximum) override {
        sliderPosition = position;
        sliderMaximum = maximum;
    }
    void ShowTab(int index) override { tab = index; }
    void Centre() override { centred = true; }
    void SetColumns(Panel panel, const std::vector<Column>& list) override {
        columns[panel] = list;
    }
    void SetRows(Panel panel, const std::vector<ListRow>& list, int selected) override {
        rows[panel] = list;
        selectedRow[panel] = selected;
    }
    bool ShowPicture(Item box, const std::string& path, int heightTwips, int widthTwips) override {
        const bool loads = loadable.count(path) > 0;
        pictures[box] = loads ? Picture{path, heightTwips, widthTwips} : Picture{};
        return loads;
    }
    void ClearPicture(Item box) override { pictures[box] = Picture{}; }
    Answer Show(const Message& message) override {
        shown.push_back(message);
        if (log) log->push_back("message: " + message.text);
        if (answers.empty()) return message.buttons == Buttons::kOk ? Answer::kOk : Answer::kNo;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // The text a combo box shows.
    std::string Selected(Combo combo) {
        const int index = selection[combo];
        return index < 0 ? std::string() : entries[combo][static_cast<std::size_t>(index)];
    }

    std::string caption;
    std::map<Item, std::string> texts;
    std::map<Item, bool> enabled, checked, visible;
    std::map<Combo, std::vector<std::string>> entries;
    std::map<Combo, int> selection;
    int sliderPosition = -1, sliderMaximum = -1, tab = -1;
    bool centred = false;
    std::map<Panel, std::vector<Column>> columns;
    std::map<Panel, std::vector<ListRow>> rows;
    std::map<Panel, int> selectedRow;
    std::vector<Message> shown;
    std::deque<Answer> answers;  // for questions, in order; then No

    struct Picture {
        std::string path;
        int heightTwips = 0, widthTwips = 0;
        bool operator==(const Picture& other) const {
            return path == other.path && heightTwips == other.heightTwips &&
                   widthTwips == other.widthTwips;
        }
    };
    std::map<Item, Picture> pictures;  // an empty path: the box is empty
    std::set<std::string> loadable;    // picture files that load
    std::vector<std::string>* log = nullptr;
};

// The control: bitmaps it knows, the picture Preview writes, the status the
// device methods return; every call recorded.
class FakeControl : public LogoControl {
  public:
    struct Bitmap {
        int32_t bitsPixel, height, width;
    };
    int32_t BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height,
                       int32_t& width) override {
        const auto found = bitmaps.find(path);
        if (found == bitmaps.end()) return -1;
        bitsPixel = found->second.bitsPixel;
        height = found->second.height;
        width = found->second.width;
        return 0;
    }
    std::string Preview(const std::string& path, int imageMode, int brightness,
                        int rotation) override {
        previews.push_back(path + " " + std::to_string(imageMode) + " " +
                           std::to_string(brightness) + " " + std::to_string(rotation));
        return bitmaps.count(path) ? previewResult : std::string();
    }
    int32_t PrintDriverUpload(const std::string& printer, const std::string& images,
                              const std::string& top, const std::string& bottom, int topLogo,
                              int bottomLogo, int imageMode, int brightness,
                              int rotation) override {
        calls.push_back("PrintDriverUpload " + printer + " [" + images + "] [" + top + "] [" +
                        bottom + "] " + std::to_string(topLogo) + std::to_string(bottomLogo) + " " +
                        std::to_string(imageMode) + " " + std::to_string(brightness) + " " +
                        std::to_string(rotation));
        return status;
    }
    int32_t EraserAll(const std::string& printer, int mode) override {
        calls.push_back("EraserAll " + printer + " " + std::to_string(mode));
        return status;
    }

    std::map<std::string, Bitmap> bitmaps;
    std::string previewResult = "C:\\Work\\Temp.bmp";
    int32_t status = 0;
    std::vector<std::string> previews, calls;
};

class FakeDialog : public FileDialog {
  public:
    std::optional<ChosenFile> OpenLogo(const std::string& initialFolder) override {
        folders.push_back(initialFolder);
        if (chosen.empty()) return std::nullopt;
        ChosenFile file = chosen.front();
        chosen.pop_front();
        return file;
    }
    std::deque<ChosenFile> chosen;  // then Cancel
    std::vector<std::string> folders;
};

class FakeClock : public Clock {
  public:
    void Wait(int milliseconds) override {
        if (log) log->push_back("wait " + std::to_string(milliseconds));
    }
    std::vector<std::string>* log = nullptr;
};

class FakeEnvironment : public Environment {
  public:
    unsigned CodePage() const override { return codePage; }
    std::vector<std::string> Printers() const override { return printers; }
    std::string ProgramDirectory() const override { return "C:\\Orvenna"; }

    unsigned codePage = 1252;
    std::vector<std::string> printers;
};

class MemoryFiles : public Files {
  public:
    std::optional<std::string> Read(const std::string& path, std::size_t limit) const override {
        const auto found = files.find(path);
        if (found == files.end() || unreadable.count(path) || found->second.size() > limit) {
            return std::nullopt;
        }
        return found->second;
    }
    bool Replace(const std::string& path, const std::string& bytes) override {
        if (locked.count(path)) return false;
        files[path] = bytes;
        return true;
    }
    bool Remove(const std::string& path) override {
        if (locked.count(path)) return false;
        files.erase(path);
        return true;
    }
    bool IsPresentFile(const std::string& path) const override {
        return files.count(path) || logos.count(path);
    }

    std::map<std::string, std::string> files;
    std::set<std::string> logos;       // picture files that exist
    std::set<std::string> locked;      // paths that cannot be written or deleted
    std::set<std::string> unreadable;  // files there that cannot be read
};

// Latin-1 as the system code page: every character up to U+00FF has an exact
// form, no other one has.
class Latin1 : public AnsiText {
  public:
    std::optional<std::string> Encode(const std::string& text) const override {
        std::string ansi;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 0x80) {
                ansi += static_cast<char>(c);
            } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
                ansi += static_cast<char>(((c & 0x03) << 6) | (text[++i] & 0x3F));
            } else {
                return std::nullopt;
            }
        }
        return ansi;
    }
    std::string Decode(const std::string& ansi) const override {
        std::string text;
        for (const char ch : ansi) {
            const auto c = static_cast<unsigned char>(ch);
            if (c < 0x80) {
                text += ch;
            } else {
                text += static_cast<char>(0xC0 | (c >> 6));
                text += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return text;
    }
};

}  // namespace orvenna::test

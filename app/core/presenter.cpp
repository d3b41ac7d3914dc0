#include "presenter.h"

#include "rules.h"
#include "texts.h"

namespace orvenna {

namespace {

constexpr std::size_t Index(Panel panel) {
    return panel == Panel::kTop ? 0 : 1;
}

// A panel's controls: the Top panel's, or the Bottom panel's.
struct PanelControls {
    Item add, remove, option, sketch, height, width;
};

const PanelControls& ControlsOf(Panel panel) {
    static constexpr PanelControls top = {Item::kTopAdd,    Item::kTopRemove, Item::kTopOption,
                                          Item::kTopSketch, Item::kTopHeight, Item::kTopWidth};
    static constexpr PanelControls bottom = {Item::kBottomAdd,    Item::kBottomRemove,
                                             Item::kBottomOption, Item::kBottomSketch,
                                             Item::kBottomHeight, Item::kBottomWidth};
    return panel == Panel::kTop ? top : bottom;
}

Panel Other(Panel panel) {
    return panel == Panel::kTop ? Panel::kBottom : Panel::kTop;
}

// The control's ImageMode of a tone method.
int ImageModeOf(ToneMethod tone) {
    return tone == ToneMethod::kNone ? 0 : 1;
}

constexpr int kDotTwips = 10;                     // both image boxes show 10 twips a dot
constexpr int kEraseMode = 1, kPrintAllMode = 0;  // EraserAll's modes

constexpr Combo kSerialCombos[] = {Combo::kBaudRate, Combo::kBitLength, Combo::kParity,
                                   Combo::kStopBit, Combo::kHandShake};

// How messages name a list: its name and its file.
std::string Label(const LogoFiles& list) {
    return std::string(list.Descriptor().name) + " (" + list.Path() + ")";
}

TextId Reason(ListDamage damage) {
    static constexpr TextId kReasons[] = {TextId::kListUnreadable, TextId::kListNotText,
                                          TextId::kListBadEntries, TextId::kListTooMany};
    return kReasons[static_cast<std::size_t>(damage)];
}

}  // namespace

Presenter::Presenter(MainView& view, Services services) : view_(view), services_(services) {}

void Presenter::Create() {
    for (const Item item : CaptionedItems())
        view_.SetText(item, Caption(Language::kEnglish, item));
    view_.SetCaption(Text(Language::kEnglish, TextId::kDesignCaption));
    view_.SetSlider(sliderPosition_, kSliderMaximum);
    view_.ShowTab(0);
}

void Presenter::Start() {
    language_ = LanguageFromCodePage(services_.environment.CodePage());
    Fill(Combo::kPrinter, MatchDrivers(services_.environment.Printers(), language_));
    if (State(Combo::kPrinter).entries.empty()) {
        // The bare state: no collections, and every button that would need
        // one stays disabled.
        view_.Show({Text(language_, TextId::kNoDriver), Text(language_, TextId::kProgramName),
                    Icon::kNone, Buttons::kOk});
        return;
    }
    Select(Combo::kPrinter, 0);
    view_.SetVisible(Item::kAboutFrame, language_ == Language::kKorean);
    view_.Centre();
    view_.SetCaption(Text(language_, TextId::kAppTitle));

    const std::string directory = services_.environment.ProgramDirectory();
    top_ = std::make_unique<LogoFiles>(kTopList, directory);
    top_->Load(services_.files, services_.ansi);
    bottom_ = std::make_unique<LogoFiles>(kBottomList, directory);
    bottom_->Load(services_.files, services_.ansi);

    const std::vector<Column> columns = {
        {Text(language_, TextId::kColumnNo), language_ == Language::kKorean ? 550 : 450, false},
        {Text(language_, TextId::kColumnName), 2600, false},
        {Text(language_, TextId::kColumnSize), 1100, true}};
    view_.SetColumns(Panel::kTop, columns);
    view_.SetColumns(Panel::kBottom, columns);
    Refresh(Panel::kBottom);
    Refresh(Panel::kTop);

    LoadSettings();
    view_.SetChecked(Item::kModeNone, true);
    view_.SetChecked(Item::kModeDiffusion, false);
    ImageModeClicked(ToneMethod::kNone);

    for (const Panel panel : {Panel::kTop, Panel::kBottom}) {
        const bool rows = HasRows(panel);
        (panel == Panel::kTop ? topListCurrent_ : bottomListCurrent_) = rows;
        SetToneControls(rows || (panel == Panel::kBottom && HasRows(Panel::kTop)));
        view_.SetEnabled(ControlsOf(panel).add, !rows);
        view_.SetEnabled(ControlsOf(panel).remove, rows);
        SetOption(panel, rows);
    }
    brightness_ = static_cast<int>(RoundHalfEven(sliderPosition_ * 10.0 / kSliderMaximum));

    for (const Item hidden : {Item::kWaterMarkSketch, Item::kLeftSketch, Item::kRightSketch})
        view_.SetVisible(hidden, false);
    // The two options follow the lists; the user cannot change them.
    view_.SetEnabled(Item::kTopOption, false);
    view_.SetEnabled(Item::kBottomOption, false);
    for (const Item job : {Item::kLogoUpload, Item::kEraseAll, Item::kPrintOut})
        view_.SetEnabled(job, true);

    if (language_ == Language::kKorean) {
        for (const Item item : RelabelledItems())
            view_.SetText(item, Caption(language_, item));
    }
    view_.ShowTab(language_ == Language::kKorean ? 1 : 0);
    TellDamagedLists();
}

void Presenter::TellDamagedLists() {
    std::string text;
    for (const LogoFiles* list : {top_.get(), bottom_.get()}) {
        for (const ListDamage damage : list->Damage())
            text += Label(*list) + ": " + Text(language_, Reason(damage)) + "\r\n";
    }
    if (text.empty()) return;
    view_.Show({text + "\r\n" + Text(language_, TextId::kListsKept),
                Text(language_, TextId::kAppTitle), Icon::kWarning, Buttons::kOk});
}

void Presenter::Close() {
    if (Bare()) return;  // nothing was loaded, so nothing is written over
    const std::vector<std::string> failed = Save();
    if (failed.empty()) return;
    std::string text = Text(language_, TextId::kListsNotSaved);
    for (const std::string& list : failed)
        text += "\r\n" + list;
    view_.Show({text, Text(language_, TextId::kAppTitle), Icon::kWarning, Buttons::kOk});
}

void Presenter::EndSession() {
    if (!Bare()) Save();
}

void Presenter::PrinterSelected(int index) {
    Select(Combo::kPrinter, index);
}

void Presenter::AddFile(Panel panel) {
    if (Bare()) return;
    LogoFiles& list = Files(panel);
    const std::string& title = Text(language_, TextId::kAppTitle);
    if (list.Count() >= kMaxListRecords) {
        view_.Show({Text(language_, TextId::kNoMoreFiles), title, Icon::kWarning, Buttons::kOk});
        return;
    }
    const std::optional<ChosenFile> file =
        services_.dialog.OpenLogo(services_.environment.ProgramDirectory());
    if (!file || file->path.empty()) return;
    int32_t bitsPixel = 0, height = 0, width = 0;
    services_.control.BitmapInfo(file->path, bitsPixel, height, width);
    if (Accept(*file, bitsPixel, height, width)) {
        list.Add({file->path, file->title, NvDataSize(height, width), height, width});
        Refresh(panel);
    }
    // The panel shows the list's first record, whether or not one was added.
    if (list.Count() == 0 || !ShowOriginal(panel, 1)) return;
    PreviewList(panel);
    SetOption(panel, true);
    SetSizeLabels(panel, ShortestSingle(printedHeightTwips_ / double(kDotTwips)),
                  ShortestSingle(printedWidthTwips_ / double(kDotTwips)));
    CurrentFlag(panel) = true;
    CurrentFlag(Other(panel)) = false;
}

bool Presenter::Accept(const ChosenFile& file, int32_t bitsPixel, int32_t height, int32_t width) {
    std::string refusal;
    if (bitsPixel == 1) {
        refusal = Text(language_, TextId::kSelectColour);
    } else if (!PrintableSize(height, width)) {
        refusal = Text(language_, TextId::kOutOfRange);
    } else if (!services_.ansi.Encode(file.path) || !services_.ansi.Encode(file.title)) {
        // The lists are kept in the code page: the name would come back as
        // another file's.
        refusal = Text(language_, TextId::kNameNotInCodePage) + "\r\n" + file.path;
    }
    if (refusal.empty()) return true;
    view_.Show({refusal, Text(language_, TextId::kAppTitle), Icon::kWarning, Buttons::kOk});
    return false;
}

void Presenter::RemoveFile(Panel panel) {
    if (Bare() || !HasRows(panel)) return;
    if (!Confirmed(TextId::kRemoveQuestion, TextId::kAppTitle)) return;
    Files(panel).Remove(SelectedRecord(panel));
    Refresh(panel);
    SetOption(panel, false);
    view_.SetText(ControlsOf(panel).height, Text(Language::kEnglish, TextId::kHeightPrefix));
    view_.SetText(ControlsOf(panel).width, Text(Language::kEnglish, TextId::kWidthClearedPrefix));
    const Panel other = Other(panel);
    if (LogoOn(other)) {
        CurrentFlag(other) = true;
    } else {
        Refresh(panel);
        Refresh(other);
    }
    CurrentFlag(panel) = false;
    if (HasRows(other)) {
        ShowOriginal(other, 1);  // a file gone since shows an empty box
        PreviewList(other);
    }
}

void Presenter::RowSelected(Panel panel, int row) {
    if (Bare() || !HasRows(panel)) return;
    selectedRow_[Index(panel)] = row;
    const int record = SelectedRecord(panel);
    ShowOriginal(panel, record);
    const LogoFiles& list = Files(panel);
    SetSizeLabels(panel, std::to_string(list.GetHeight(record)),
                  std::to_string(list.GetWidth(record)));
    PreviewList(panel);
    CurrentFlag(panel) = true;
    CurrentFlag(Other(panel)) = false;
}

void Presenter::ImageModeClicked(ToneMethod tone) {
    tone_ = tone;
    const std::optional<Panel> current = CurrentList();
    if (!current) {
        rotation_ = 0;
        return;
    }
    view_.SetEnabled(Item::kSlider, true);
    view_.SetChecked(Item::kModeNone, tone == ToneMethod::kNone);
    view_.SetChecked(Item::kModeDiffusion, tone == ToneMethod::kErrorDiffusion);
    const int record = SelectedRecord(*current);
    ShowOriginal(*current, record);
    ShowPrinted(*current, record);
}

void Presenter::SliderSettled(int position) {
    // Where the thumb came to rest, so that the preview shows what the user
    // sees and the upload uses the same value.
    sliderPosition_ = position;
    brightness_ = static_cast<int>(RoundHalfEven(position * 10.0 / kSliderMaximum));
    view_.SetEnabled(Item::kSlider, false);
    const std::optional<Panel> current = CurrentList();
    if (current) ShowPrinted(*current, SelectedRecord(*current));
    view_.SetEnabled(Item::kSlider, true);
}

void Presenter::LogoUpload() {
    if (Bare() || !Confirmed(TextId::kUploadQuestion, TextId::kAppTitle)) return;
    const std::string top = UploadString(Panel::kTop);
    const std::string bottom = UploadString(Panel::kBottom);
    if (top.empty() && bottom.empty()) return;
    const int32_t status = services_.control.PrintDriverUpload(
        PrinterName(), top + bottom, top, bottom, topLogo_ ? 1 : 0, bottomLogo_ ? 1 : 0,
        ImageModeOf(tone_), brightness_, rotation_);
    // The printer stores the images after the job has gone out.
    if (status == 0) services_.clock.Wait(kUploadSettleMs);
    Report(Job::kDriverUpload, status);
}

void Presenter::EraseAll() {
    if (Bare() || !Confirmed(TextId::kEraseQuestion, TextId::kEraseCaption)) return;
    Report(Job::kEraseAll, services_.control.EraserAll(PrinterName(), kEraseMode));
}

void Presenter::PrintOut() {
    if (Bare()) return;
    Report(Job::kSamplePrint, services_.control.EraserAll(PrinterName(), kPrintAllMode));
}

bool Presenter::Confirmed(TextId question, TextId caption) {
    return view_.Show({Text(language_, question), Text(language_, caption), Icon::kNone,
                       Buttons::kYesNo}) == Answer::kYes;
}

void Presenter::Report(Job job, int32_t status) {
    if (const std::optional<Message> message = JobResult(language_, job, status)) {
        view_.Show(*message);
    }
}

std::string Presenter::UploadString(Panel panel) const {
    if (!HasRows(panel)) return {};
    const LogoFiles& list = panel == Panel::kTop ? *top_ : *bottom_;
    return list.GetFileName(SelectedRecord(panel)) + "|";
}

std::string Presenter::PrinterName() const {
    const ComboState& printers = combos_[static_cast<std::size_t>(Combo::kPrinter)];
    if (printers.selected < 0) return {};
    return printers.entries[static_cast<std::size_t>(printers.selected)];
}

int Presenter::SelectedRecord(Panel panel) const {
    const int rows = rowCount_[Index(panel)];
    const int row = selectedRow_[Index(panel)];
    if (rows == 0) return 0;
    return row >= 0 && row < rows ? row + 1 : 1;
}

std::optional<Panel> Presenter::CurrentList() const {
    if (topListCurrent_) return Panel::kTop;
    if (bottomListCurrent_) return Panel::kBottom;
    return std::nullopt;
}

bool Presenter::ShowOriginal(Panel panel, int record) {
    const LogoRecord& logo = (panel == Panel::kTop ? *top_ : *bottom_).Record(record);
    return view_.ShowPicture(Item::kOriginalImage, logo.fileName, logo.height * kDotTwips,
                             logo.width * kDotTwips);
}

void Presenter::ShowPrinted(Panel panel, int record) {
    const LogoRecord& logo = (panel == Panel::kTop ? *top_ : *bottom_).Record(record);
    previewName_ =
        services_.control.Preview(logo.fileName, ImageModeOf(tone_), brightness_, rotation_);
    printedHeightTwips_ = logo.height * kDotTwips;
    printedWidthTwips_ = logo.width * kDotTwips;
    // No picture, or one that does not load: an empty box, never an older
    // picture that may be another logo's.
    if (previewName_.empty() || !view_.ShowPicture(Item::kPrintedImage, previewName_,
                                                   printedHeightTwips_, printedWidthTwips_)) {
        view_.ClearPicture(Item::kPrintedImage);
    }
}

void Presenter::PreviewList(Panel panel) {
    if (HasRows(panel)) ShowPrinted(panel, SelectedRecord(panel));
}

void Presenter::SetSizeLabels(Panel panel, const std::string& height, const std::string& width) {
    // The English prefixes, in both modes.
    view_.SetText(ControlsOf(panel).height,
                  Text(Language::kEnglish, TextId::kHeightPrefix) + height);
    view_.SetText(ControlsOf(panel).width, Text(Language::kEnglish, TextId::kWidthPrefix) + width);
}

void Presenter::TabSelected(int index) {
    view_.ShowTab(index);
}

std::string Presenter::SettingsPath() const {
    return services_.environment.ProgramDirectory() + kSettingsFile;
}

void Presenter::Fill(Combo combo, const std::vector<std::string>& entries) {
    State(combo) = {entries, -1};
    view_.SetEntries(combo, entries);
}

void Presenter::Select(Combo combo, int index) {
    State(combo).selected = index;
    view_.SetSelection(combo, index);
    if (combo != Combo::kPrinter) return;
    // The printer click: the first two printers rebuild the port list, and
    // an empty port selection becomes the first port.
    if (index == 0 || index == 1) FillPortList();
    if (State(Combo::kPort).selected < 0 && !State(Combo::kPort).entries.empty()) {
        Select(Combo::kPort, 0);
    }
}

void Presenter::SelectStored(Combo combo, const std::string& text) {
    const int index = SelectListIndex(static_cast<int>(State(combo).entries.size()), text);
    if (index >= 0) Select(combo, index);
}

void Presenter::FillPortList() {
    Fill(Combo::kPort, PortList(State(Combo::kPrinter).selected == 0));
}

void Presenter::LoadSettings() {
    const ProfileText file(
        services_.files.Read(SettingsPath(), kProfileFileLimit).value_or(std::string()));
    const std::array<std::string, 8> stored = ReadSettings(file);
    SelectStored(Combo::kPrinter, stored[0]);
    FillPortList();
    SelectStored(Combo::kPort, stored[2]);
    ip_ = stored[1];
    view_.SetText(Item::kIp, services_.ansi.Decode(ip_));
    std::size_t key = 3;
    for (const Combo combo : kSerialCombos) {
        Fill(combo, SerialList(combo));
        SelectStored(combo, stored[key++]);
    }
}

std::vector<std::string> Presenter::Save() {
    ProfileText settings(
        services_.files.Read(SettingsPath(), kProfileFileLimit).value_or(std::string()));
    Settings values;
    for (std::size_t i = 0; i < kComboCount; ++i)
        values.positions[i] = combos_[i].selected;
    values.ip = ip_;
    WriteSettings(settings, values);
    services_.files.Replace(SettingsPath(), settings.Text());  // a failure here loses no list

    std::vector<std::string> failed;
    for (LogoFiles* list : {top_.get(), bottom_.get()}) {
        if (!list->Save(services_.files, services_.ansi)) failed.push_back(Label(*list));
    }
    return failed;
}

void Presenter::Refresh(Panel panel) {
    const std::vector<ListRow> rows = Files(panel).Display();
    // Every refresh selects the first row, so a list with rows always has one.
    rowCount_[Index(panel)] = static_cast<int>(rows.size());
    selectedRow_[Index(panel)] = rows.empty() ? -1 : 0;
    view_.SetRows(panel, rows, selectedRow_[Index(panel)]);
    view_.SetEnabled(ControlsOf(panel).remove, !rows.empty());
    view_.SetEnabled(ControlsOf(panel).add, rows.empty());
    SetToneControls(HasRows(Panel::kTop) || HasRows(Panel::kBottom));
}

void Presenter::SetOption(Panel panel, bool on) {
    (panel == Panel::kTop ? topLogo_ : bottomLogo_) = on;
    view_.SetChecked(ControlsOf(panel).option, on);
    view_.SetVisible(ControlsOf(panel).sketch, on);
}

void Presenter::SetToneControls(bool enabled) {
    for (const Item item : {Item::kModeNone, Item::kModeDiffusion, Item::kSlider})
        view_.SetEnabled(item, enabled);
}

bool Presenter::HasRows(Panel panel) const {
    return rowCount_[Index(panel)] > 0;
}

}  // namespace orvenna

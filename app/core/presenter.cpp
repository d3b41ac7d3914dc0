#include "presenter.h"

#include "texts.h"

namespace orvenna {

namespace {

constexpr std::size_t Index(Panel panel) {
    return panel == Panel::kTop ? 0 : 1;
}

Item AddButton(Panel panel) {
    return panel == Panel::kTop ? Item::kTopAdd : Item::kBottomAdd;
}
Item RemoveButton(Panel panel) {
    return panel == Panel::kTop ? Item::kTopRemove : Item::kBottomRemove;
}
Item OptionBox(Panel panel) {
    return panel == Panel::kTop ? Item::kTopOption : Item::kBottomOption;
}
Item SketchImage(Panel panel) {
    return panel == Panel::kTop ? Item::kTopSketch : Item::kBottomSketch;
}

constexpr Combo kSerialCombos[] = {Combo::kBaudRate, Combo::kBitLength, Combo::kParity,
                                   Combo::kStopBit, Combo::kHandShake};

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
    imageMode_ = 0;
    rotation_ = 0;

    for (const Panel panel : {Panel::kTop, Panel::kBottom}) {
        const bool rows = HasRows(panel);
        (panel == Panel::kTop ? topListCurrent_ : bottomListCurrent_) = rows;
        SetToneControls(rows || (panel == Panel::kBottom && HasRows(Panel::kTop)));
        view_.SetEnabled(AddButton(panel), !rows);
        view_.SetEnabled(RemoveButton(panel), rows);
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
    const ProfileText file(services_.files.Read(SettingsPath()).value_or(std::string()));
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
    ProfileText settings(services_.files.Read(SettingsPath()).value_or(std::string()));
    Settings values;
    for (std::size_t i = 0; i < kComboCount; ++i)
        values.positions[i] = combos_[i].selected;
    values.ip = ip_;
    WriteSettings(settings, values);
    services_.files.Replace(SettingsPath(), settings.Text());  // a failure here loses no list

    std::vector<std::string> failed;
    for (const LogoFiles* list : {top_.get(), bottom_.get()}) {
        if (!list->Save(services_.files, services_.ansi)) {
            failed.push_back(std::string(list->Descriptor().name) + " (" + list->Path() + ")");
        }
    }
    return failed;
}

void Presenter::Refresh(Panel panel) {
    const std::vector<ListRow> rows = Files(panel).Display();
    // Every refresh selects the first row, so a list with rows always has one.
    rowCount_[Index(panel)] = static_cast<int>(rows.size());
    selectedRow_[Index(panel)] = rows.empty() ? -1 : 0;
    view_.SetRows(panel, rows, selectedRow_[Index(panel)]);
    view_.SetEnabled(RemoveButton(panel), !rows.empty());
    view_.SetEnabled(AddButton(panel), rows.empty());
    SetToneControls(HasRows(Panel::kTop) || HasRows(Panel::kBottom));
}

void Presenter::SetOption(Panel panel, bool on) {
    (panel == Panel::kTop ? topLogo_ : bottomLogo_) = on ? 1 : 0;
    view_.SetChecked(OptionBox(panel), on);
    view_.SetVisible(SketchImage(panel), on);
}

void Presenter::SetToneControls(bool enabled) {
    for (const Item item : {Item::kModeNone, Item::kModeDiffusion, Item::kSlider})
        view_.SetEnabled(item, enabled);
}

bool Presenter::HasRows(Panel panel) const {
    return rowCount_[Index(panel)] > 0;
}

}  // namespace orvenna

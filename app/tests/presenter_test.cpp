// The window logic from start-up to closing, against a fake window.
#include <gtest/gtest.h>

#include "presenter_fixture.h"

namespace orvenna::test {
namespace {

TEST_F(PresenterTest, EnglishStartWithTheTopListOnly) {
    environment_.printers = {"NX-A11", "NX-A60", "nx-a60", "ZORAVE DOZUZIZ ADOREDU"};
    StoreList(kTop, "C:\\Logos\\shop.bmp");
    Start();
    EXPECT_EQ(view_.caption, "Orvenna Version 1.01");
    EXPECT_TRUE(view_.centred);
    EXPECT_EQ(view_.entries[Combo::kPrinter],
              (std::vector<std::string>{"NX-A60", "ZORAVE DOZUZIZ ADOREDU"}));
    EXPECT_EQ(view_.Selected(Combo::kPrinter), "NX-A60");
    EXPECT_EQ(view_.entries[Combo::kPort].size(), 16u);
    EXPECT_EQ(view_.Selected(Combo::kPort), "LPT1");
    EXPECT_EQ(view_.Selected(Combo::kBaudRate), "2400 bps");
    EXPECT_EQ(view_.Selected(Combo::kHandShake), "DTR/DSR");
    EXPECT_EQ(view_.texts[Item::kIp], "");
    EXPECT_EQ(view_.texts[Item::kPortNumber], "9100");
    EXPECT_EQ(view_.tab, 0);
    EXPECT_FALSE(view_.visible[Item::kAboutFrame]);

    EXPECT_EQ(view_.columns[Panel::kTop][0].title, "No");
    EXPECT_EQ(view_.columns[Panel::kTop][0].widthTwips, 450);
    EXPECT_EQ(view_.columns[Panel::kBottom][2].title, "Size");
    EXPECT_TRUE(view_.columns[Panel::kBottom][2].rightAligned);
    EXPECT_EQ(view_.rows[Panel::kTop], (std::vector<ListRow>{{"1", "shop.bmp", "4800"}}));
    EXPECT_EQ(view_.selectedRow[Panel::kTop], 0);
    EXPECT_TRUE(view_.rows[Panel::kBottom].empty());

    EXPECT_FALSE(view_.enabled[Item::kTopAdd]);
    EXPECT_TRUE(view_.enabled[Item::kTopRemove]);
    EXPECT_TRUE(view_.checked[Item::kTopOption]);
    EXPECT_TRUE(view_.visible[Item::kTopSketch]);
    EXPECT_TRUE(view_.enabled[Item::kBottomAdd]);
    EXPECT_FALSE(view_.enabled[Item::kBottomRemove]);
    EXPECT_FALSE(view_.checked[Item::kBottomOption]);
    EXPECT_FALSE(view_.visible[Item::kBottomSketch]);
    EXPECT_FALSE(view_.enabled[Item::kTopOption]);
    EXPECT_FALSE(view_.enabled[Item::kBottomOption]);
    for (const Item item : {Item::kModeNone, Item::kModeDiffusion, Item::kSlider, Item::kLogoUpload,
                            Item::kEraseAll, Item::kPrintOut}) {
        EXPECT_TRUE(view_.enabled[item]) << static_cast<int>(item);
    }
    EXPECT_TRUE(view_.checked[Item::kModeNone]);
    for (const Item item : {Item::kWaterMarkSketch, Item::kLeftSketch, Item::kRightSketch})
        EXPECT_FALSE(view_.visible[item]);

    EXPECT_TRUE(presenter_.TopLogo());
    EXPECT_FALSE(presenter_.BottomLogo());
    EXPECT_TRUE(presenter_.TopListCurrent());
    EXPECT_FALSE(presenter_.BottomListCurrent());
    EXPECT_EQ(presenter_.ImageMode(), ToneMethod::kNone);
    EXPECT_EQ(presenter_.Rotation(), 0);
    EXPECT_EQ(presenter_.Brightness(), 5);
    EXPECT_TRUE(view_.shown.empty());
}

TEST_F(PresenterTest, BothListsEmptySwitchTheToneControlsOff) {
    Start();
    for (const Item item : {Item::kModeNone, Item::kModeDiffusion, Item::kSlider, Item::kTopRemove,
                            Item::kBottomRemove}) {
        EXPECT_FALSE(view_.enabled[item]) << static_cast<int>(item);
    }
    EXPECT_TRUE(view_.enabled[Item::kTopAdd]);
    EXPECT_FALSE(presenter_.TopListCurrent());
    EXPECT_FALSE(presenter_.BottomListCurrent());
}

TEST_F(PresenterTest, StoredPositionsAreRestored) {
    struct Case {
        std::string stored;
        std::string printer, port, baudRate, parity;
    };
    for (const Case& c : std::vector<Case>{
             {"Printer=1\r\nPort=2\r\nBaudRate=2\r\nParity=2\r\n", "ZORAVE DOZUZIZ ADOREDU",
              "TCP/IP", "9600 bps", "ODD"},
             {"Printer=0\r\nPort=2\r\nBaudRate=7\r\n", "NX-A60", "USB", "2400 bps", "NONE"},
             {"Printer=0\r\nPort=15\r\nBaudRate=1.6\r\n", "NX-A60", "COM12", "9600 bps", "NONE"},
             {"Printer=1\r\nPort=15\r\nBaudRate=4.6\r\nParity=x\r\n", "ZORAVE DOZUZIZ ADOREDU",
              "LPT1", "2400 bps", "NONE"},
             {"Printer=-1\r\nPort=-1\r\nBaudRate=-1\r\n", "NX-A60", "LPT1", "2400 bps", "NONE"},
         }) {
        FakeView view;
        MemoryFiles files;
        files.files[kSettings] = "[LOGO]\r\n" + c.stored;
        Presenter presenter(view, {environment_, files, ansi_, control_, dialog_, clock_});
        presenter.Create();
        presenter.Start();
        EXPECT_EQ(view.Selected(Combo::kPrinter), c.printer) << c.stored;
        EXPECT_EQ(view.Selected(Combo::kPort), c.port) << c.stored;
        EXPECT_EQ(view.Selected(Combo::kBaudRate), c.baudRate) << c.stored;
        EXPECT_EQ(view.Selected(Combo::kParity), c.parity) << c.stored;
    }
}

TEST_F(PresenterTest, ThePrinterClickRebuildsThePortsForTheFirstTwoPrinters) {
    environment_.printers = {"NX-A60", "ZORAVE DOZUZIZ ADOREDU", "NX-A60"};
    StoreSettings("Port=2\r\n");
    Start();
    ASSERT_EQ(view_.Selected(Combo::kPort), "USB");
    presenter_.PrinterSelected(2);
    EXPECT_EQ(view_.Selected(Combo::kPort), "USB") << "the third printer keeps the list";
    EXPECT_EQ(view_.entries[Combo::kPort].size(), 16u);
    presenter_.PrinterSelected(1);
    EXPECT_EQ(view_.entries[Combo::kPort].size(), 15u);
    EXPECT_EQ(view_.Selected(Combo::kPort), "LPT1");
    presenter_.Close();
    const std::array<std::string, 8> saved = ReadSettings(ProfileText(files_.files[kSettings]));
    EXPECT_EQ(saved[0], "1");
    EXPECT_EQ(saved[2], "0");
}

TEST_F(PresenterTest, ClosingWritesTheEightKeysInOrderAndBothLists) {
    StoreSettings("IP=10.0.0.9\r\nPort=1\r\n");
    StoreList(kBottom, "C:\\Logos\\foot.bmp");
    Start();
    EXPECT_EQ(view_.texts[Item::kIp], "10.0.0.9");
    presenter_.Close();
    EXPECT_EQ(files_.files[kSettings],
              "[LOGO]\r\nIP=10.0.0.9\r\nPort=1\r\nPrinter=0\r\nBaudRate=0\r\nBitLength=0\r\n"
              "Parity=0\r\nStopBit=0\r\nHandShake=0\r\n")
        << "existing keys keep their lines";
    files_.files.erase(kSettings);
    presenter_.Close();
    EXPECT_EQ(files_.files[kSettings],
              "[LOGO]\r\nPrinter=0\r\nIP=10.0.0.9\r\nPort=1\r\nBaudRate=0\r\nBitLength=0\r\n"
              "Parity=0\r\nStopBit=0\r\nHandShake=0\r\n");
    EXPECT_EQ(files_.files[kBottom],
              "[LOGO]\r\nLogofile1=C:\\Logos\\foot.bmp|foot.bmp|4800|96|400\r\n");
    EXPECT_FALSE(files_.files.count(kTop));
    EXPECT_TRUE(view_.shown.empty());
}

TEST_F(PresenterTest, AListThatCannotBeSavedIsNamedOnceAtClose) {
    StoreList(kTop, "C:\\Logos\\shop.bmp");
    StoreList(kBottom, "C:\\Logos\\foot.bmp");
    files_.locked = {kTop, kSettings};
    Start();
    presenter_.Close();
    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].caption, "Orvenna Version 1.01");
    EXPECT_EQ(view_.shown[0].icon, Icon::kWarning);
    EXPECT_NE(view_.shown[0].text.find("Top Logo (C:\\Orvenna\\TopLogo.ini)"), std::string::npos);
    EXPECT_EQ(view_.shown[0].text.find("Bottom Logo"), std::string::npos);
}

TEST_F(PresenterTest, TheSessionsEndSavesSilently) {
    StoreList(kTop, "C:\\Logos\\shop.bmp");
    files_.locked = {kBottom};
    Start();
    files_.files.clear();
    presenter_.EndSession();
    EXPECT_TRUE(files_.files.count(kSettings));
    EXPECT_TRUE(files_.files.count(kTop));
    EXPECT_TRUE(view_.shown.empty());
}

TEST_F(PresenterTest, NoMatchingDriverLeavesTheBareState) {
    for (const auto& [codePage, printers, text] :
         std::vector<std::tuple<unsigned, std::vector<std::string>, std::string>>{
             {1252,
              {"NX-A6", "NX-A11"},
              "Installed Printer Driver not Exist\r\nPlease install Printer Driver !!!"},
             {949,
              {"ZORAVE DOZUZIZ ADOREDU"},
              "설치된 프린터 드라이버가 없습니다.\r\n프린터 드라이버를 먼저 설치해 주십시오. "
              "!!!"}}) {
        FakeView view;
        MemoryFiles files;
        files.files[kSettings] = "[LOGO]\r\nPrinter=1\r\n";
        environment_.codePage = codePage;
        environment_.printers = printers;
        Presenter presenter(view, {environment_, files, ansi_, control_, dialog_, clock_});
        presenter.Create();
        presenter.Start();
        ASSERT_EQ(view.shown.size(), 1u);
        EXPECT_EQ(view.shown[0].text, text);
        EXPECT_EQ(view.shown[0].caption, "Orvenna");
        EXPECT_EQ(view.shown[0].buttons, Buttons::kOk);
        EXPECT_EQ(view.caption, "Orvenna 1.01");
        EXPECT_EQ(view.tab, 0);
        EXPECT_TRUE(view.entries[Combo::kPrinter].empty());
        EXPECT_TRUE(view.columns.empty());
        EXPECT_EQ(view.texts[Item::kTopAdd], "Add File") << "design captions only";
        for (const Item item :
             {Item::kTopAdd, Item::kTopRemove, Item::kBottomAdd, Item::kBottomRemove,
              Item::kLogoUpload, Item::kEraseAll, Item::kPrintOut}) {
            EXPECT_FALSE(view.enabled.count(item)) << "left as created, disabled";
        }
        EXPECT_TRUE(presenter.Bare());
        presenter.Close();
        presenter.EndSession();
        EXPECT_EQ(files.files,
                  (std::map<std::string, std::string>{{kSettings, "[LOGO]\r\nPrinter=1\r\n"}}));
    }
}

TEST_F(PresenterTest, KoreanMode) {
    environment_.codePage = 949;
    environment_.printers = {"NX-A20", "NX-A60", "NX-A11"};
    Start();
    EXPECT_EQ(view_.entries[Combo::kPrinter], (std::vector<std::string>{"NX-A20", "NX-A11"}));
    EXPECT_EQ(view_.caption, "Orvenna Version 1.01");
    EXPECT_EQ(view_.tab, 1);
    EXPECT_TRUE(view_.visible[Item::kAboutFrame]);
    EXPECT_EQ(view_.columns[Panel::kTop][0].title, "순서");
    EXPECT_EQ(view_.columns[Panel::kTop][0].widthTwips, 550);
    EXPECT_EQ(view_.columns[Panel::kTop][1].title, "이름");
    EXPECT_EQ(view_.columns[Panel::kTop][2].title, "크기");
    EXPECT_EQ(view_.texts[Item::kTopAdd], "파일 추가");
    EXPECT_EQ(view_.texts[Item::kPreviewTab], "미리보기");
    EXPECT_EQ(view_.texts[Item::kDriverTab], "프린터 드라이버를 이용 로고 업로드");
    EXPECT_EQ(view_.texts[Item::kPrintOut], "저장 로고 인쇄");
    EXPECT_EQ(view_.texts[Item::kClose], "종료");
    EXPECT_EQ(view_.texts[Item::kTopFrame], "Top Logo Management") << "not relabelled";
}

}  // namespace
}  // namespace orvenna::test

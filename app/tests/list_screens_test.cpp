// The list panels and the preview panel, against a fake window and control.
#include <gtest/gtest.h>

#include "presenter_fixture.h"
#include "rules.h"

namespace orvenna::test {
namespace {

using Picture = FakeView::Picture;
constexpr char kTemp[] = "C:\\Work\\Temp.bmp";

TEST(ListRules, NvDataSizeAndPrintableSizes) {
    EXPECT_EQ(NvDataSize(96, 400), 4800);
    EXPECT_EQ(NvDataSize(100, 203), 2704);
    EXPECT_EQ(NvDataSize(0, 0), 0);
    EXPECT_EQ(NvDataSize(648, 616), 81 * 616);
    EXPECT_TRUE(PrintableSize(1, 1));
    EXPECT_TRUE(PrintableSize(648, 616));
    EXPECT_FALSE(PrintableSize(649, 616));
    EXPECT_FALSE(PrintableSize(648, 617));
    EXPECT_FALSE(PrintableSize(0, 100));
    EXPECT_FALSE(PrintableSize(100, 0));
    EXPECT_EQ(ShortestSingle(96), "96");
    EXPECT_EQ(ShortestSingle(100.5), "100.5");
}

TEST_F(PresenterTest, AddingAColourLogoFillsThePanel) {
    Start();
    Choose("C:\\Logos\\shop.bmp", 24, 100, 203);
    presenter_.AddFile(Panel::kTop);
    EXPECT_EQ(dialog_.folders, (std::vector<std::string>{"C:\\Orvenna"}));
    EXPECT_EQ(view_.rows[Panel::kTop], (std::vector<ListRow>{{"1", "shop.bmp", "2704"}}));
    EXPECT_FALSE(view_.enabled[Item::kTopAdd]);
    EXPECT_TRUE(view_.enabled[Item::kTopRemove]);
    EXPECT_TRUE(view_.enabled[Item::kSlider]);
    EXPECT_TRUE(view_.checked[Item::kTopOption]);
    EXPECT_TRUE(view_.visible[Item::kTopSketch]);
    EXPECT_TRUE(presenter_.TopLogo());
    EXPECT_EQ(Shown(Item::kOriginalImage), (Picture{"C:\\Logos\\shop.bmp", 1000, 2030}));
    EXPECT_EQ(Shown(Item::kPrintedImage), (Picture{kTemp, 1000, 2030}));
    EXPECT_EQ(control_.previews, (std::vector<std::string>{"C:\\Logos\\shop.bmp 0 5 0"}));
    EXPECT_EQ(presenter_.PreviewName(), kTemp);
    EXPECT_EQ(view_.texts[Item::kTopHeight], "Height : 100");
    EXPECT_EQ(view_.texts[Item::kTopWidth], "Width : 203");
    EXPECT_TRUE(presenter_.TopListCurrent());
    EXPECT_FALSE(presenter_.BottomListCurrent());
    EXPECT_TRUE(view_.shown.empty());

    Choose("C:\\Logos\\foot.bmp", 8, 40, 64);
    presenter_.AddFile(Panel::kBottom);
    EXPECT_EQ(view_.rows[Panel::kBottom], (std::vector<ListRow>{{"1", "foot.bmp", "320"}}));
    EXPECT_TRUE(presenter_.BottomListCurrent());
    EXPECT_FALSE(presenter_.TopListCurrent());
    EXPECT_TRUE(presenter_.BottomLogo());
    presenter_.Close();
    EXPECT_EQ(files_.files[kBottom],
              "[LOGO]\r\nLogofile1=C:\\Logos\\foot.bmp|foot.bmp|320|40|64\r\n");
}

TEST_F(PresenterTest, AddRefusesWhatCannotBeListed) {
    struct Case {
        const char* path;
        int32_t bits, height, width;
        const char* message;
    };
    for (const Case& c : {Case{"C:\\mono.bmp", 1, 20, 20, "Select Color bitmap file."},
                          {"C:\\wide.bmp", 24, 100, 617, "Out of range bitmap file."},
                          {"C:\\tall.bmp", 24, 649, 100, "Out of range bitmap file."},
                          {"C:\\text.bmp", 0, 0, 0, "Out of range bitmap file."},
                          {"C:\\\xED\x95\x9C.bmp", 24, 8, 8, "cannot be written"}}) {
        FakeView view;
        FakeDialog dialog;
        Presenter presenter(view, {environment_, files_, ansi_, control_, dialog, clock_});
        presenter.Create();
        presenter.Start();
        if (c.bits > 0) control_.bitmaps[c.path] = {c.bits, c.height, c.width};
        dialog.chosen.push_back({c.path, "x.bmp"});
        presenter.AddFile(Panel::kTop);
        ASSERT_EQ(view.shown.size(), 1u) << c.path;
        EXPECT_NE(view.shown[0].text.find(c.message), std::string::npos) << c.path;
        EXPECT_EQ(view.shown[0].icon, Icon::kWarning);
        EXPECT_EQ(view.shown[0].caption, "Orvenna Version 1.01");
        EXPECT_TRUE(view.rows[Panel::kTop].empty()) << c.path;
        EXPECT_FALSE(presenter.TopLogo());
        EXPECT_TRUE(view.enabled[Item::kTopAdd]);
    }
}

TEST_F(PresenterTest, AddStopsAt255RecordsAndOnCancel) {
    std::string text = "[LOGO]\r\n";
    for (int n = 1; n <= 255; ++n) {
        const std::string path = "C:\\Logos\\" + std::to_string(n) + ".bmp";
        text += "Logofile" + std::to_string(n) + "=" + path + "|" + std::to_string(n) +
                ".bmp|8|8|8\r\n";
        files_.logos.insert(path);
    }
    files_.files[kTop] = text;
    Start();
    presenter_.AddFile(Panel::kTop);
    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].text, "Don't read files any more.");
    EXPECT_TRUE(dialog_.folders.empty()) << "no dialog";

    presenter_.AddFile(Panel::kBottom);  // cancelled
    EXPECT_EQ(dialog_.folders.size(), 1u);
    EXPECT_TRUE(view_.rows[Panel::kBottom].empty());
    EXPECT_EQ(view_.shown.size(), 1u);
}

TEST_F(PresenterTest, RemovingAsksAndFollowsTheOtherList) {
    for (const bool bottomLogo : {true, false}) {
        FakeView view;
        MemoryFiles files;
        files.files[kTop] = "[LOGO]\r\nLogofile1=C:\\top.bmp|top.bmp|4800|96|400\r\n";
        files.files[kBottom] =
            "[LOGO]\r\nLogofile1=C:\\foot.bmp|foot.bmp|320|40|64\r\n"
            "Logofile2=C:\\foot.bmp|foot.bmp|320|40|64\r\n";
        files.logos = {"C:\\top.bmp", "C:\\foot.bmp"};
        control_.bitmaps = {{"C:\\top.bmp", {24, 96, 400}}, {"C:\\foot.bmp", {24, 40, 64}}};
        view.loadable = {"C:\\top.bmp", "C:\\foot.bmp", kTemp};
        Presenter presenter(view, {environment_, files, ansi_, control_, dialog_, clock_});
        presenter.Create();
        presenter.Start();
        if (!bottomLogo) {
            // Removing one of the two bottom records clears the bottom option
            // (and its flag) while a row stays.
            view.answers = {Answer::kYes};
            presenter.RemoveFile(Panel::kBottom);
            ASSERT_EQ(view.rows[Panel::kBottom].size(), 1u);
            ASSERT_FALSE(presenter.BottomListCurrent());
        }
        ASSERT_EQ(presenter.BottomLogo(), bottomLogo);
        view.shown.clear();
        view.answers = {Answer::kNo};
        presenter.RemoveFile(Panel::kTop);
        ASSERT_EQ(view.shown.size(), 1u);
        EXPECT_EQ(view.shown[0].text, "Do you want to remove all of the selection?");
        EXPECT_EQ(view.shown[0].caption, "Orvenna Version 1.01");
        EXPECT_EQ(view.shown[0].buttons, Buttons::kYesNo);
        EXPECT_EQ(view.shown[0].icon, Icon::kNone);
        EXPECT_EQ(view.rows[Panel::kTop].size(), 1u) << "No changes nothing";

        view.answers = {Answer::kYes};
        presenter.RemoveFile(Panel::kTop);
        EXPECT_TRUE(view.rows[Panel::kTop].empty());
        EXPECT_FALSE(presenter.TopLogo());
        EXPECT_FALSE(view.checked[Item::kTopOption]);
        EXPECT_FALSE(view.visible[Item::kTopSketch]);
        EXPECT_EQ(view.texts[Item::kTopHeight], "Height : ");
        EXPECT_EQ(view.texts[Item::kTopWidth], "Width  : ");
        EXPECT_FALSE(presenter.TopListCurrent());
        EXPECT_EQ(presenter.BottomListCurrent(), bottomLogo == 1) << bottomLogo;
        EXPECT_TRUE(view.enabled[Item::kSlider]) << "the bottom list has a row";
        EXPECT_EQ(view.pictures[Item::kOriginalImage].path, "C:\\foot.bmp");
        EXPECT_EQ(view.pictures[Item::kPrintedImage], (Picture{kTemp, 400, 640}));
    }
}

TEST_F(PresenterTest, RemovingTheLastLogoKeepsThePicturesAndSwitchesToneOff) {
    StoreList(kTop, "C:\\Logos\\shop.bmp");
    Start();
    presenter_.RowSelected(Panel::kTop, 0);
    view_.answers = {Answer::kYes};
    presenter_.RemoveFile(Panel::kTop);
    EXPECT_EQ(Shown(Item::kOriginalImage).path, "C:\\Logos\\shop.bmp");
    EXPECT_FALSE(view_.enabled[Item::kSlider]);
    EXPECT_FALSE(view_.enabled[Item::kModeDiffusion]);
    EXPECT_TRUE(view_.enabled[Item::kTopAdd]);
    view_.shown.clear();
    presenter_.RemoveFile(Panel::kTop);
    EXPECT_TRUE(view_.shown.empty()) << "an empty list asks nothing";
}

TEST_F(PresenterTest, RowClickShowsTheRecord) {
    files_.files[kTop] =
        "[LOGO]\r\nLogofile1=C:\\a.bmp|a.bmp|8|8|8\r\nLogofile2=C:\\b.bmp|b.bmp|2704|100|203\r\n";
    files_.logos = {"C:\\a.bmp", "C:\\b.bmp"};
    Knows("C:\\a.bmp", 24, 8, 8);
    Knows("C:\\b.bmp", 24, 100, 203);
    Start();
    presenter_.RowSelected(Panel::kTop, 1);
    EXPECT_EQ(Shown(Item::kOriginalImage), (Picture{"C:\\b.bmp", 1000, 2030}));
    EXPECT_EQ(Shown(Item::kPrintedImage), (Picture{kTemp, 1000, 2030}));
    EXPECT_EQ(view_.texts[Item::kTopHeight], "Height : 100");
    EXPECT_EQ(view_.texts[Item::kTopWidth], "Width : 203");
    EXPECT_TRUE(presenter_.TopListCurrent());

    // No selected row: the first row's record. A file gone since: empty
    // boxes, no stale picture, no failure.
    view_.loadable.erase("C:\\a.bmp");
    control_.bitmaps.erase("C:\\a.bmp");
    presenter_.RowSelected(Panel::kTop, -1);
    EXPECT_EQ(Shown(Item::kOriginalImage), Picture{});
    EXPECT_EQ(Shown(Item::kPrintedImage), Picture{});
    EXPECT_EQ(view_.texts[Item::kTopHeight], "Height : 8");
}

TEST_F(PresenterTest, ImageModeAndTheSlidersSettledPosition) {
    // With both lists empty: the mode changes, nothing is shown.
    Start();
    presenter_.ImageModeClicked(ToneMethod::kErrorDiffusion);
    EXPECT_EQ(presenter_.ImageMode(), ToneMethod::kErrorDiffusion);
    EXPECT_EQ(presenter_.Rotation(), 0);
    EXPECT_TRUE(control_.previews.empty());
    EXPECT_EQ(Shown(Item::kPrintedImage), Picture{});
}

TEST_F(PresenterTest, ThePreviewPanelWorksOnTheTopListFirst) {
    StoreList(kTop, "C:\\Logos\\shop.bmp");
    StoreList(kBottom, "C:\\Logos\\foot.bmp");
    Start();
    ASSERT_TRUE(presenter_.TopListCurrent() && presenter_.BottomListCurrent());
    control_.previews.clear();
    presenter_.ImageModeClicked(ToneMethod::kErrorDiffusion);
    EXPECT_EQ(control_.previews, (std::vector<std::string>{"C:\\Logos\\shop.bmp 1 5 0"}));
    EXPECT_TRUE(view_.checked[Item::kModeDiffusion]);
    EXPECT_FALSE(view_.checked[Item::kModeNone]);
    EXPECT_EQ(Shown(Item::kOriginalImage).path, "C:\\Logos\\shop.bmp");

    presenter_.SliderSettled(7);
    EXPECT_EQ(presenter_.Brightness(), 7);
    EXPECT_EQ(control_.previews.back(), "C:\\Logos\\shop.bmp 1 7 0");
    EXPECT_TRUE(view_.enabled[Item::kSlider]);
    presenter_.RowSelected(Panel::kBottom, 0);
    presenter_.SliderSettled(3);
    EXPECT_EQ(control_.previews.back(), "C:\\Logos\\foot.bmp 1 3 0");

    // No picture from the control: the box is emptied, not left stale.
    control_.previewResult.clear();
    presenter_.ImageModeClicked(ToneMethod::kNone);
    EXPECT_EQ(Shown(Item::kPrintedImage), Picture{});
    EXPECT_EQ(presenter_.PreviewName(), "");
}

}  // namespace
}  // namespace orvenna::test

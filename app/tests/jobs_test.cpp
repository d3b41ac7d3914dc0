// The device jobs: their questions, the strings they pass, the wait, and
// the words for every status.
#include <gtest/gtest.h>

#include "jobs.h"
#include "presenter_fixture.h"

namespace orvenna::test {
namespace {

constexpr char kWriteDone[] =
    "Upload finished, and Writing of bit image completed.\r\nLogo becomes available after the "
    "reset of a device.";
constexpr char kEraseDone[] =
    "Upload finished, and Cleaning of NV Image completed.\r\nLogo becomes available after the "
    "reset of a device.";
constexpr char kCommunication[] = "Communication error. Can not be transmitted.";
constexpr char kCheckDriver[] = "Please Check Printer Driver. Can not be transmitted.";

TEST(JobResult, EveryStatusOfEveryJob) {
    struct Case {
        Job job;
        int32_t status;
        const char* text;  // nullptr: no message
        const char* caption;
        Icon icon;
    };
    const char* title = "Orvenna Version 1.01";
    std::vector<Case> cases;
    for (const int32_t status : {-1, -2, -3, -4}) {
        cases.push_back({Job::kDriverUpload, status, kCommunication, title, Icon::kWarning});
        cases.push_back({Job::kEraseAll, status, kCommunication, title, Icon::kWarning});
    }
    const std::vector<Case> rest = {
        {Job::kDriverUpload, 0, kWriteDone, title, Icon::kInformation},
        {Job::kEraseAll, 0, kEraseDone, title, Icon::kInformation},
        {Job::kSamplePrint, 0, "Sample Printing Success.", title, Icon::kInformation},
        {Job::kSamplePrint, -1, kCommunication, "Orvenna Version 1.01-1", Icon::kWarning},
        {Job::kSamplePrint, -2, kCommunication, "Orvenna Version 1.01-2", Icon::kWarning},
        {Job::kSamplePrint, -3, kCommunication, "Orvenna Version 1.01-3", Icon::kWarning},
        {Job::kSamplePrint, -4, kCommunication, "Orvenna Version 1.01-4", Icon::kWarning},
        {Job::kDriverUpload, -5, kCheckDriver, title, Icon::kWarning},
        {Job::kEraseAll, -5, kCheckDriver, title, Icon::kWarning},
        {Job::kSamplePrint, -5, kCheckDriver, title, Icon::kWarning},
    };
    cases.insert(cases.end(), rest.begin(), rest.end());
    for (const Job job : {Job::kDriverUpload, Job::kEraseAll, Job::kSamplePrint}) {
        for (const int32_t silent : {-6, -100, 1, 2, 255})
            cases.push_back({job, silent, nullptr, nullptr, Icon::kNone});
    }
    for (const Language language : {Language::kEnglish, Language::kKorean}) {
        for (const Case& c : cases) {
            const auto message = JobResult(language, c.job, c.status);
            const std::string label =
                std::to_string(static_cast<int>(c.job)) + " " + std::to_string(c.status);
            if (!c.text) {
                EXPECT_FALSE(message) << label;
                continue;
            }
            ASSERT_TRUE(message) << label;
            EXPECT_EQ(message->text, c.text) << label;
            EXPECT_EQ(message->caption, c.caption) << label;
            EXPECT_EQ(message->icon, c.icon) << label;
            EXPECT_EQ(message->buttons, Buttons::kOk) << label;
        }
    }
}

class JobsTest : public PresenterTest {
  protected:
    void SetUp() override {
        PresenterTest::SetUp();
        view_.log = &log_;
        clock_.log = &log_;
    }
    std::vector<std::string> log_;
};

TEST_F(JobsTest, UploadStringsFollowTheLists) {
    struct Case {
        bool top, bottom;
        const char* call;  // nullptr: nothing sent
    };
    for (const Case& c :
         {Case{true, false, "PrintDriverUpload NX-A60 [C:\\t.bmp|] [C:\\t.bmp|] [] 10 0 5 0"},
          {false, true, "PrintDriverUpload NX-A60 [C:\\b.bmp|] [] [C:\\b.bmp|] 01 0 5 0"},
          {true, true,
           "PrintDriverUpload NX-A60 [C:\\t.bmp|C:\\b.bmp|] [C:\\t.bmp|] [C:\\b.bmp|] 11 0 5 0"},
          {false, false, nullptr}}) {
        MemoryFiles files;
        FakeControl control;
        FakeView view;
        if (c.top) files.files[kTop] = "[LOGO]\r\nLogofile1=C:\\t.bmp|t.bmp|8|8|8\r\n";
        if (c.bottom) files.files[kBottom] = "[LOGO]\r\nLogofile1=C:\\b.bmp|b.bmp|8|8|8\r\n";
        files.logos = {"C:\\t.bmp", "C:\\b.bmp"};
        Presenter presenter(view, {environment_, files, ansi_, control, dialog_, clock_});
        presenter.Create();
        presenter.Start();
        view.answers = {Answer::kYes};
        presenter.LogoUpload();
        ASSERT_EQ(view.shown.size(), c.call ? 2u : 1u) << "the question, then the result";
        EXPECT_EQ(view.shown[0].text,
                  "Logo files are written in the NV image area of the device. Continue it?");
        EXPECT_EQ(view.shown[0].buttons, Buttons::kYesNo);
        EXPECT_EQ(control.calls,
                  c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{});
    }
}

TEST_F(JobsTest, TheUploadWaitsBeforeItsSuccessOnly) {
    StoreList(kTop, "C:\\Logos\\shop.bmp");
    Start();
    presenter_.ImageModeClicked(ToneMethod::kErrorDiffusion);
    presenter_.SliderSettled(8);
    log_.clear();
    view_.answers = {Answer::kYes};
    presenter_.LogoUpload();
    EXPECT_EQ(log_, (std::vector<std::string>{
                        "message: Logo files are written in the NV image area of the device. "
                        "Continue it?",
                        "wait 5000", std::string("message: ") + kWriteDone}));
    EXPECT_EQ(control_.calls.back(),
              "PrintDriverUpload NX-A60 [C:\\Logos\\shop.bmp|] [C:\\Logos\\shop.bmp|] [] 10 1 8 0")
        << "the preview's settings";

    log_.clear();
    control_.status = -3;
    view_.answers = {Answer::kYes};
    presenter_.LogoUpload();
    EXPECT_EQ(log_.size(), 2u);
    EXPECT_EQ(log_.back(), std::string("message: ") + kCommunication);

    log_.clear();
    view_.answers = {Answer::kNo};
    const std::size_t calls = control_.calls.size();
    presenter_.LogoUpload();
    EXPECT_EQ(log_.size(), 1u) << "No: nothing sent, nothing more shown";
    EXPECT_EQ(control_.calls.size(), calls);
}

TEST_F(JobsTest, EraseAllAsksAndPrintOutDoesNot) {
    environment_.printers = {"ZORAVE DOZUZIZ ADOREDU"};
    Start();
    view_.answers = {Answer::kNo};
    presenter_.EraseAll();
    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].text, "NV image all Delete. Continue it?");
    EXPECT_EQ(view_.shown[0].caption, "Delete");
    EXPECT_TRUE(control_.calls.empty());

    view_.answers = {Answer::kYes};
    control_.status = -5;
    presenter_.EraseAll();
    EXPECT_EQ(control_.calls.back(), "EraserAll ZORAVE DOZUZIZ ADOREDU 1");
    EXPECT_EQ(view_.shown.back().text, kCheckDriver);

    control_.status = 0;
    const std::size_t shown = view_.shown.size();
    presenter_.PrintOut();
    EXPECT_EQ(control_.calls.back(), "EraserAll ZORAVE DOZUZIZ ADOREDU 0");
    ASSERT_EQ(view_.shown.size(), shown + 1) << "no question";
    EXPECT_EQ(view_.shown.back().text, "Sample Printing Success.");
    EXPECT_TRUE(log_.empty() || log_.back().find("wait") == std::string::npos);
}

TEST_F(JobsTest, TheBareStateRunsNoJob) {
    environment_.printers = {};
    Start();
    view_.shown.clear();
    view_.answers = {Answer::kYes, Answer::kYes};
    presenter_.LogoUpload();
    presenter_.EraseAll();
    presenter_.PrintOut();
    presenter_.AddFile(Panel::kTop);
    presenter_.RemoveFile(Panel::kBottom);
    EXPECT_TRUE(control_.calls.empty());
    EXPECT_TRUE(view_.shown.empty());
    EXPECT_TRUE(dialog_.folders.empty());
}

}  // namespace
}  // namespace orvenna::test

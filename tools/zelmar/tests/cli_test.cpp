#include <gtest/gtest.h>

#include "cli_fixture.h"
#include "engine/files.h"
#include "links/spooler.h"

namespace zelmar::cli {
namespace {

TEST_F(CliTest, Info) {
    EXPECT_EQ(Run({"info", Logo()}), kOk);
    EXPECT_EQ(Out(), "bits=24 height=10 width=30\n");

    EXPECT_EQ(Run({"info", Path("missing.bmp")}), kFailed);
    EXPECT_EQ(Out(), "");
    EXPECT_NE(Err().find("missing.bmp: no such file or directory"), std::string::npos) << Err();
}

TEST_F(CliTest, PreviewPrintsThePathOfThePicture) {
    const std::string logo = Logo();
    EXPECT_EQ(Run({"preview", logo}), kOk);
    EXPECT_EQ(Out(), files::InCurrentDirectory("Temp.bmp") + "\n");

    EXPECT_EQ(Run({"preview", logo, "--mode", "2", "--rotation=3", "--brightness", "14"}), kOk);
    EXPECT_EQ(Out(), files::InCurrentDirectory("LeftRotation.bmp") + "\n");
    EXPECT_TRUE(test::FileExists(Path("RealBlueColor.bmp")));

    // Nothing to show: the empty line stays for scripts, the reason goes to stderr.
    EXPECT_EQ(Run({"preview", Path("missing.bmp")}), kFailed);
    EXPECT_EQ(Out(), "\n");
    EXPECT_NE(Err().find("missing.bmp: no such file or directory"), std::string::npos) << Err();
    EXPECT_EQ(Run({"preview", logo, "--mode", "2", "--rotation", "4"}), kFailed);
    EXPECT_EQ(Out(), "\n");
    EXPECT_NE(Err().find("--rotation must be 0 to 3"), std::string::npos) << Err();
}

TEST_F(CliTest, FileUploadTakesImagesOrAList) {
    const std::string logo = Logo();
    EXPECT_EQ(Run({"file-upload", "a.out", logo, logo, "--select-type", "1"}), kOk);
    EXPECT_EQ(Out(), "0\n");
    EXPECT_EQ(Run({"file-upload", "b.out", "--list", logo + "|" + logo + "|", "--select-type=1"}),
              kOk);
    const test::Bytes a = test::ReadBytes(Path("a.out"));
    EXPECT_EQ(a.size(), 2u * (8 + 32 * 2));
    EXPECT_EQ(a, test::ReadBytes(Path("b.out")));
    EXPECT_EQ(a[3], 0x42);  // Bottom Logo
    EXPECT_EQ(Err(), "");   // no progress line when stderr is not a terminal
}

TEST_F(CliTest, FileUploadStatusAndExitCode) {
    struct Case {
        std::vector<std::string> args;
        const char* status;
    };
    const std::string logo = Logo();
    for (const Case& c : {Case{{"file-upload", "x.out", "--list", logo}, "2\n"},
                          Case{{"file-upload", "x.out"}, "2\n"},
                          Case{{"file-upload", "x.out", logo, "--rotation", "5"}, "3\n"},
                          Case{{"file-upload", "x.out", Path("missing.bmp")}, "3\n"}}) {
        EXPECT_EQ(Run(c.args), kFailed) << c.status;
        EXPECT_EQ(Out(), c.status);
    }
    EXPECT_EQ(Run({"file-upload", "x.out", "--nv-select", "1", logo}), kOk);
    EXPECT_EQ(Out(), "0\n");
}

TEST_F(CliTest, FailuresSayWhy) {
    const std::string logo = Logo();
    std::filesystem::create_directory(Path("dir.bmp"));
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"info", Path("dir.bmp")}, Path("dir.bmp") + ": a directory, not a file"},
        {{"preview", Path("dir.bmp")}, Path("dir.bmp") + ": a directory, not a file"},
        {{"file-upload", "x.out", logo, Path("missing.bmp")},
         Path("missing.bmp") + ": no such file or directory"},
        {{"file-upload", "x.out", "--list", logo}, "no image: each name of the list"},
        {{"file-upload", "x.out", logo, "--rotation", "5"}, "--rotation must be 0 to 3"},
        {{"file-upload", logo, logo}, logo + ": names the image " + logo},
        {{"file-upload", "Temp.bmp", logo}, "Temp.bmp: names the working file Temp.bmp"},
        {{"file-upload", Path("dir.bmp"), logo},
         Path("dir.bmp") + ": cannot be written: a directory, not a file"},
        {{"file-upload", Path("no/such/dir/x.out"), logo},
         "x.out: cannot be written: no such file or directory"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), kFailed) << c.message;
        EXPECT_NE(Err().find(c.message), std::string::npos) << Err();
    }
    EXPECT_FALSE(test::FileExists(Path("x.out")));

    // A working file that cannot be written fails the preview.
    std::filesystem::create_directory(Path("Temp.bmp"));
    EXPECT_EQ(Run({"preview", logo}), kFailed);
    EXPECT_EQ(Out(), "\n");
    EXPECT_NE(Err().find("Temp.bmp: cannot be written: a directory"), std::string::npos) << Err();
}

TEST_F(CliTest, APortThatNamesAFileIsRefusedAndTheFileKept) {
    const std::string logo = Logo();
    const std::string job = Path("job.prn");
    test::WriteBytes(job, test::Bytes(100, 0x55));
    const test::Bytes logoBefore = test::ReadBytes(logo), jobBefore = test::ReadBytes(job);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string aFile = "--port " + job + " names an existing regular file, not a port";
    const Case cases[] = {
        {{"upload", "--port", logo, logo}, "--port " + logo + " names the image " + logo},
        {{"upload", "--port", job, logo}, aFile},
        {{"upload", "--port", job, "--printer", "1", logo}, aFile},
        // Not there yet, but the upload would make it.
        {{"upload", "--port", "Raster.bmp", logo}, "names the working file Raster.bmp"},
        {{"print", "--port", job}, aFile},
        {{"save-options", "--port", job, "--top", "1"}, aFile},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), kUsage) << c.message;
        EXPECT_EQ(Out(), "");
        EXPECT_NE(Err().find(c.message), std::string::npos) << Err();
        EXPECT_EQ(test::ReadBytes(logo), logoBefore) << c.message;
        EXPECT_EQ(test::ReadBytes(job), jobBefore) << c.message;
    }
    EXPECT_FALSE(test::FileExists(Path("Raster.bmp")));
    EXPECT_FALSE(test::FileExists(Path("Temp.bmp")));
}

TEST_F(CliTest, FileLoad) {
    EXPECT_EQ(Run({"file-load", "C:\\logo.bmp"}), kOk);
    EXPECT_EQ(Out(), "0\n");
    EXPECT_EQ(Err(), "zelmar: C:\\logo.bmp\n");
    EXPECT_EQ(test::ReadBytes(Path("Raster.bmp")).size(), 62u);
}

TEST_F(CliTest, TheDriverLinkNeedsWindows) {
    if (links::SystemSpooler()) GTEST_SKIP() << "this platform has a print spooler";
    EXPECT_EQ(Run({"driver-upload", "--printer", "NX-A11", "--top", Logo()}), kFailed);
    EXPECT_NE(Err().find("the printer-driver link needs Windows"), std::string::npos) << Err();
    EXPECT_EQ(Run({"erase", "--printer", "NX-A11"}), kFailed);
    EXPECT_FALSE(test::FileExists(Path("TempErase.out")));
}

TEST_F(CliTest, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "usage: zelmar <command>"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"preview", "a.bmp", "--colour", "3"}, "unknown option '--colour'"},
        {{"preview", "a.bmp", "--mode", "two"}, "--mode: 'two' is not a whole number"},
        {{"preview", "a.bmp", "--brightness", "40000"}, "from -32768 to 32767"},
        {{"preview", "a.bmp", "--rotation"}, "--rotation needs a value"},
        {{"preview"}, "expected 1 argument(s), got 0"},
        {{"info", "a.bmp", "b.bmp"}, "expected 1 argument(s), got 2"},
        {{"file-upload"}, "expected at least 1 argument(s), got 0"},
        {{"file-upload", "o", "a.bmp", "--list", "b|"}, "either with --list or as arguments"},
        {{"file-upload", "o", "--nv-select", "3000000000"}, "from -2147483648 to 2147483647"},
        {{"driver-upload", "--top", "a.bmp"}, "--printer NAME is needed"},
        {{"driver-upload", "--printer", "NX-A11"}, "give --top FILE, --bottom FILE or both"},
        {{"driver-upload", "--printer", "NX-A11", "a.bmp"}, "expected 0 argument(s), got 1"},
        {{"erase", "--printer", "NX-A11", "--print-all=1"}, "--print-all takes no value"},
        {{"upload", "a.bmp"}, "give either --port NAME or --tcp ADDRESS:PORT"},
        {{"print", "--port", "COM1", "--tcp", "a:1"}, "give either --port NAME or --tcp"},
        {{"save-options", "--tcp", "127.0.0.1"}, "--tcp: '127.0.0.1' is not ADDRESS:PORT"},
        {{"upload", "--port", "COM1", "--list", "a|", "b.bmp"}, "either with --list or as"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), kUsage) << c.message;
        EXPECT_NE(Err().find(c.message), std::string::npos) << Err();
    }
}

TEST_F(CliTest, HelpOnEveryCommand) {
    for (const char* command : {"info", "preview", "file-upload", "file-load", "driver-upload",
                                "erase", "upload", "print", "save-options"}) {
        EXPECT_EQ(Run({command, "--help"}), kOk) << command;
        EXPECT_EQ(Out().rfind(std::string("usage: zelmar ") + command, 0), 0u) << Out();
    }
    EXPECT_EQ(Run({"--help"}), kOk);
    EXPECT_NE(Out().find("preview"), std::string::npos);
}

TEST_F(CliTest, HelpListsEveryOptionTheCommandTakes) {
    EXPECT_EQ(Run({"save-options", "--help"}), kOk);
    for (const char* option : {"--port NAME", "--tcp A:P", "--printer N", "--baud CODE",
                               "--parity CODE", "--top N", "--watermark N", "--margin N"}) {
        EXPECT_NE(Out().find(std::string("\n  ") + option + "  "), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace zelmar::cli

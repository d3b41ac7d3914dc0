#include "options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>

namespace zelmar::cli {
namespace {

constexpr Word kRoles[] = {{"top", 0}, {"bottom", 1}};

const Options kDeclared = {
    Flag("fast", "no waiting"),
    Text("queue", "NAME", "the printer's queue").Needed(),
    Int16("as", "ROLE", 1, "top or bottom").Named(kRoles),
    Int32("width", "N", 576, "at most N dots\nacross").Within(1, 616),
};

Reading ReadLine(const std::vector<std::string>& args) {
    return Read(kDeclared, Arguments{1, SIZE_MAX}, args);
}

TEST(Options, ValuesAsGivenOrTheirFallbacks) {
    Reading r = ReadLine({"--queue", "NX", "a", "--width=300", "--", "--fast"});
    ASSERT_EQ(r.error, "");
    EXPECT_FALSE(r.values.Given("fast"));
    EXPECT_EQ(r.values.Text("queue"), "NX");
    EXPECT_FALSE(r.values.Given("as"));
    EXPECT_EQ(r.values.Int16("as"), 1);
    EXPECT_EQ(r.values.Int32("width"), 300);
    EXPECT_EQ(r.values.positional, (std::vector<std::string>{"a", "--fast"}));

    // A word or its number; the last one given counts.
    r = ReadLine({"--queue=NX", "--fast", "--as", "bottom", "-", "--as=0", "--as", "top"});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.values.Given("fast"));
    EXPECT_EQ(r.values.Int16("as"), 0);
    EXPECT_EQ(r.values.positional, std::vector<std::string>{"-"});

    // Asking for what the command did not declare is the program's own fault.
    EXPECT_THROW(r.values.Given("colour"), std::logic_error);
    EXPECT_THROW(r.values.Int16("width"), std::logic_error);
}

TEST(Options, ALineTheCommandDoesNotTakeSaysWhyInOneLine) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{"--queue", "NX", "-w"}, "unknown option '-w'"},
        {{"--queue", "NX", "--width"}, "--width needs a value"},
        {{"--queue", "NX", "--fast=yes"}, "--fast takes no value"},
        {{"--queue", "NX", "--width", "617"}, "--width must be 1 to 616"},
        {{"--queue", "NX", "--width", "5x"},
         "--width: '5x' is not a whole number from -2147483648 to 2147483647"},
        {{"--queue", "NX", "--as", "left"},
         "--as: 'left' is not top, bottom or a whole number from -32768 to 32767"},
        {{"--queue", "NX"}, "expected at least 1 argument(s), got 0"},
        {{"a"}, "--queue NAME is needed"},
        {{"a", "--queue="}, "--queue NAME is needed"},
    };
    for (const Case& c : cases) {
        const Reading r = ReadLine(c.args);
        EXPECT_FALSE(r.help);
        EXPECT_EQ(r.error, c.error);
    }
    // Help answers a line that lacks what a run needs, not one it cannot read.
    EXPECT_TRUE(ReadLine({"-h"}).help);
    EXPECT_EQ(ReadLine({"-h"}).error, "");
    EXPECT_EQ(ReadLine({"--help", "--colour"}).error, "unknown option '--colour'");
}

TEST(Options, HelpPutsEveryOptionsTextInOneColumn) {
    std::ostringstream help;
    WriteHelp(kDeclared, help);
    EXPECT_EQ(help.str(),
              "  --fast        no waiting\n"
              "  --queue NAME  the printer's queue\n"
              "  --as ROLE     top or bottom\n"
              "  --width N     at most N dots\n"
              "                across\n");
}

}  // namespace
}  // namespace zelmar::cli

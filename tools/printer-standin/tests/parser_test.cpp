#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/command_stream.h"
#include "fixtures.h"
#include "parser.h"
#include "transcript.h"

namespace standin {
namespace {

using test::operator+;
namespace commands = zelmar::commands;

// The commands of a whole job, each as its transcript fields.
class Lines : public CommandSink {
  public:
    void Accept(Command&& command) override {
        JsonLine line;
        Describe(command, line);
        lines.push_back(line.Text());
    }
    std::vector<std::string> lines;
};

std::vector<std::string> Parse(const Bytes& job) {
    Lines sink;
    Parser parser(sink);
    parser.Feed(job);
    parser.Finish();
    return sink.lines;
}

Bytes Filled(std::size_t size, std::uint8_t value = 0xA5) {
    return Bytes(size, value);
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

struct Case {
    const char* name;
    Bytes bytes;
    std::vector<std::string> lines;
};

// Every command the control sends, and the commands of the driver's receipts.
std::vector<Case> Forms() {
    return {
        {"status query", commands::StatusQuery(), {R"({"offset":0,"command":"GS I","n":1})"}},
        {"Top Logo",
         commands::NvImageHeader(zelmar::Role::kTopLogo, 0, 16, 8) + Filled(16),
         {R"({"offset":0,"command":"GS [ ] T","role":"top logo","width":16,"height":8,"data_bytes":16})"}},
        {"Bottom Logo",
         commands::NvImageHeader(zelmar::Role::kBottomLogo, 0, 8, 16) + Filled(16),
         {R"({"offset":0,"command":"GS [ ] B","role":"bottom logo","width":8,"height":16,"data_bytes":16})"}},
        {"WaterMark",
         commands::NvImageHeader(zelmar::Role::kWaterMark, 0, 8, 8) + Filled(8),
         {R"({"offset":0,"command":"GS [ ] W","role":"watermark","width":8,"height":8,"data_bytes":8})"}},
        {"Margin Message, SelectMargin 1",
         commands::NvImageHeader(zelmar::Role::kMarginMessage, 1, 8, 8) + Filled(8),
         {R"({"offset":0,"command":"GS [ ] M","role":"margin message","width":8,"height":8,"margin":0,"data_bytes":8})"}},
        {"Margin Message, SelectMargin 3",
         commands::NvImageHeader(zelmar::Role::kMarginMessage, 3, 8, 8) + Filled(8),
         {R"({"offset":0,"command":"GS [ ] M","role":"margin message","width":8,"height":8,"margin":2,"data_bytes":8})"}},
        {"Margin Message without m",
         commands::NvImageHeader(zelmar::Role::kMarginMessage, 7, 8, 8) + Filled(8),
         {R"({"offset":0,"command":"GS [ ] M","role":"margin message","width":8,"height":8,"margin":-1,"data_bytes":8})"}},
        {"band form",
         commands::BandPreamble() + commands::BandRecordHead(0, 16) + Filled(16),
         {R"({"offset":0,"command":"ESC o","n":0})", R"({"offset":3,"command":"ESC @"})",
          R"({"offset":5,"command":"ESC X *","n":0})",
          R"({"offset":9,"command":"ESC *","m":1,"n":16,"data_bytes":16})"}},
        {"sample print",
         commands::SamplePrintStart() + Bytes{0x0D, 0x0A} + Bytes{0x1B, 0x6D},
         {R"({"offset":0,"command":"ESC o","n":1})", R"({"offset":3,"command":"CR"})",
          R"({"offset":4,"command":"LF"})", R"({"offset":5,"command":"ESC m"})"}},
        {"cut",
         commands::CutSequence(),
         {R"({"offset":0,"command":"CR"})", R"({"offset":1,"command":"LF"})",
          R"({"offset":2,"command":"ESC i"})"}},
        {"options",
         commands::OptionsCommand(1, 0, 1, 0),
         {R"({"offset":0,"command":"GS [ ] @ O","top_logo":1,"bottom_logo":0,"watermark":1,"margin_message":0})"}},
        {"definition",
         commands::DefinitionPreamble(2) + commands::SizeBytes(8, 8) + Filled(8) +
             commands::SizeBytes(16, 8) + Filled(16),
         {R"({"offset":0,"command":"ESC @"})", R"({"offset":2,"command":"FS q","count":2})",
          R"({"offset":5,"command":"FS q","index":1,"width":8,"height":8,"data_bytes":8})",
          R"({"offset":17,"command":"FS q","index":2,"width":16,"height":8,"data_bytes":16})"}},
        {"erase", commands::EraseCommand(), {R"({"offset":0,"command":"FS e"})"}},
        {"print and cut",
         commands::PrintCommand(7) + commands::FeedAndCut(),
         {R"({"offset":0,"command":"FS p","n":7,"m":48})",
          R"({"offset":4,"command":"GS V","m":66,"n":1})"}},
        {"raster row as the driver sends it",
         Bytes{0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00, 0x02, 0x00, 0x01, 0x00, 0xF0, 0x0F},
         {R"({"offset":0,"command":"ESC J","n":0})",
          R"({"offset":3,"command":"GS v 0","m":0,"width":16,"height":1,"data_bytes":2})"}},
        {"text with its settings and NUL",
         Bytes{0x1B, 0x21, 0x00, 0x00, 0x1B, 0x24, 0x10, 0x01} + Text("Total\"\\"),
         {R"({"offset":0,"command":"ESC !","n":0})", R"({"offset":3,"command":"NUL","count":1})",
          R"({"offset":4,"command":"ESC $","n":272})",
          R"({"offset":8,"command":"text","text":"Total\"\\"})"}},
        {"text-mode marker",
         Bytes{0x1B, 0x21, 0x00, 0x1B, 0x50, 0x70},
         {R"({"offset":0,"command":"ESC !","n":0})", R"({"offset":3,"command":"ESC P","n":112})"}},
        {"start-of-document marker",
         Bytes{0x1B, 0x3D, 0x01, 0x1B, 0x52, 0x00, 0x1B, 0x74, 0x00, 0x1B, 0x63, 0x33, 0x04,
               0x1B, 0x63, 0x34, 0x00, 0x1D, 0x50, 0xB4, 0xB4, 0x1D, 0x62, 0x01, 0x1B, 0x32},
         {R"({"offset":0,"command":"ESC =","n":1})", R"({"offset":3,"command":"ESC R","n":0})",
          R"({"offset":6,"command":"ESC t","n":0})",
          R"({"offset":9,"command":"ESC c","n":51,"m":4})",
          R"({"offset":13,"command":"ESC c","n":52,"m":0})",
          R"({"offset":17,"command":"GS P","n":180,"m":180})",
          R"({"offset":21,"command":"GS b","n":1})", R"({"offset":24,"command":"ESC 2"})"}},
        {"barcodes",
         Bytes{0x1D, 0x77, 0x02, 0x1D, 0x68, 0x50, 0x1D, 0x6B, 0x49, 0x03} + Text("123") +
             Bytes{0x1D, 0x6B, 0x04} + Text("AB") + Bytes{0x00},
         {R"({"offset":0,"command":"GS w","n":2})", R"({"offset":3,"command":"GS h","n":80})",
          R"({"offset":6,"command":"GS k","m":73,"n":3,"data":"123"})",
          R"({"offset":13,"command":"GS k","m":4,"data":"AB"})"}},
    };
}

TEST(ParserTest, ReadsEveryForm) {
    for (const Case& c : Forms())
        EXPECT_EQ(Parse(c.bytes), c.lines) << c.name;
}

// A job split anywhere reads as the whole job does.
TEST(ParserTest, PiecesOfAnySizeReadAsTheWhole) {
    Bytes job;
    for (const Case& c : Forms())
        job = job + c.bytes;
    const std::vector<std::string> whole = Parse(job);
    for (std::size_t cut = 1; cut < job.size(); ++cut) {
        Lines sink;
        Parser parser(sink);
        parser.Feed(job.data(), cut);
        parser.Feed(job.data() + cut, job.size() - cut);
        parser.Finish();
        ASSERT_EQ(sink.lines, whole) << "cut at " << cut;
    }
    Lines sink;
    Parser parser(sink);
    for (const std::uint8_t byte : job)
        parser.Feed(&byte, 1);
    parser.Finish();
    EXPECT_EQ(sink.lines, whole);
}

// What the printer does not understand is named, and reading goes on after it.
TEST(ParserTest, FlagsWhatItDoesNotUnderstand) {
    const std::vector<Case> cases = {
        {"unknown command",
         Bytes{0x1B, 0x99} + Text("A"),
         {R"({"offset":0,"error":"unknown command","bytes":"1b99"})",
          R"({"offset":2,"command":"text","text":"A"})"}},
        {"control bytes",
         Bytes{0x01, 0x02, 0x07} + Text("A"),
         {R"({"offset":0,"error":"unknown bytes","bytes":"010207","count":3})",
          R"({"offset":3,"command":"text","text":"A"})"}},
        {"unknown own command",
         Bytes{0x1D, 0x5B, 0x5D, 0x58, 0x0A},
         {R"({"offset":0,"error":"unknown command","command":"GS [ ]","bytes":"1d5b5d58"})",
          R"({"offset":4,"command":"LF"})"}},
        {"Margin Message with m 3",
         Bytes{0x1D, 0x5B, 0x5D, 0x4D, 0x03, 0x30},
         {R"({"offset":0,"error":"bad argument","command":"GS [ ] M","margin":3,"bytes":"1d5b5d4d03"})",
          R"({"offset":5,"command":"text","text":"0"})"}},
        {"bit image mode",
         Bytes{0x1B, 0x2A, 0x05, 0x01, 0x00},
         {R"({"offset":0,"error":"bad argument","command":"ESC *","m":5,"bytes":"1b2a050100"})"}},
        {"no image to define",
         Bytes{0x1C, 0x71, 0x00},
         {R"({"offset":0,"error":"bad argument","command":"FS q","count":0,"bytes":"1c7100"})"}},
        {"barcode without its NUL",
         Bytes{0x1D, 0x6B, 0x04} + Filled(300, 'A'),
         {R"({"offset":0,"error":"unterminated","command":"GS k","m":4,"bytes":"1d6b04"})",
          R"({"offset":259,"command":"text","text":")" + std::string(44, 'A') + R"("})"}},
        {"data cut short",
         commands::NvImageHeader(zelmar::Role::kTopLogo, 0, 16, 8) + Filled(3),
         {R"({"offset":0,"error":"truncated","command":"GS [ ] T","role":"top logo","width":16,"height":8,"received":3,"needed":16,"bytes":"1d5b5d5402000100"})"}},
        {"command cut short",
         Bytes{0x1D, 0x5B, 0x5D},
         {R"({"offset":0,"error":"truncated","bytes":"1d5b5d"})"}},
        {"definition cut short between images",
         commands::DefinitionPreamble(2) + commands::SizeBytes(8, 8) + Filled(8),
         {R"({"offset":0,"command":"ESC @"})", R"({"offset":2,"command":"FS q","count":2})",
          R"({"offset":5,"command":"FS q","index":1,"width":8,"height":8,"data_bytes":8})",
          R"({"offset":17,"error":"truncated","command":"FS q","index":2,"count":2})"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.bytes), c.lines) << c.name;
}

// Sizes are refused before anything is set aside for the data they announce:
// the bytes after the size are read as commands again.
TEST(ParserTest, RefusesSizesBeyondTheLimitsWithoutTakingTheirData) {
    const Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF};
    const std::vector<Case> cases = {
        {"role image",
         Bytes{0x1D, 0x5B, 0x5D, 0x54} + huge + Bytes{0x0A},
         {R"({"offset":0,"error":"size out of range","command":"GS [ ] T","role":"top logo","width":524280,"height":524280,"bytes":"1d5b5d54ffffffff"})",
          R"({"offset":8,"command":"LF"})"}},
        {"defined image",
         commands::DefinitionPreamble(3) + huge + Bytes{0x0A},
         {R"({"offset":0,"command":"ESC @"})", R"({"offset":2,"command":"FS q","count":3})",
          R"({"offset":5,"error":"size out of range","command":"FS q","index":1,"width":524280,"height":524280,"bytes":"ffffffff"})",
          R"({"offset":9,"command":"LF"})"}},
        {"raster",
         Bytes{0x1D, 0x76, 0x30, 0x00} + huge + Bytes{0x0A},
         {R"({"offset":0,"error":"size out of range","command":"GS v 0","m":0,"width":524280,"height":65535,"bytes":"1d763000ffffffff"})",
          R"({"offset":8,"command":"LF"})"}},
        {"empty image",
         Bytes{0x1D, 0x5B, 0x5D, 0x42, 0x00, 0x00, 0x01, 0x00},
         {R"({"offset":0,"error":"size out of range","command":"GS [ ] B","role":"bottom logo","width":0,"height":8,"bytes":"1d5b5d4200000100"})"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.bytes), c.lines) << c.name;
}

TEST(ParserTest, LongTextComesInRuns) {
    const std::vector<std::string> lines = Parse(Filled(kMaxRun + 1, 'x'));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], R"({"offset":256,"command":"text","text":"x"})");
}

}  // namespace
}  // namespace standin

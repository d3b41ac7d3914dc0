// The link interface with a recording transport and a clock that only counts.
#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "engine/upload_forms.h"
#include "fakes.h"
#include "links/link_sink.h"
#include "links/system_info.h"
#include "work_dir.h"

namespace zelmar::links {
namespace {

using test::FakeClock;
using test::RecordingTransport;

TEST(LinkResultTest, StatusNumbers) {
    EXPECT_EQ(StatusNumber(LinkError::kNone), 0);
    EXPECT_EQ(StatusNumber(LinkError::kOpen), -1);
    EXPECT_EQ(StatusNumber(LinkError::kSettings), -2);
    EXPECT_EQ(StatusNumber(LinkError::kStatus), -3);
    EXPECT_EQ(StatusNumber(LinkError::kWrite), -4);
}

TEST(WriteElementTest, EachDisciplineCutsAndPausesAsItSays) {
    struct Case {
        Discipline discipline;
        std::size_t size;
        std::vector<std::size_t> writes;
        std::uint32_t limitMs;  // of every write
        std::vector<std::uint32_t> sleeps;
    };
    const Case cases[] = {
        {Discipline::kWhole, 130, {130}, 0, {}},
        {Discipline::kBytePerWrite, 3, {1, 1, 1}, 0, {}},
        // 20 ms after every piece, the last too.
        {Discipline::kPieces, 100, {64, 36}, 0, {20, 20}},
        {Discipline::kPieces, 64, {64}, 0, {20}},
        // 20 ms between pieces; each piece may take 5000 ms.
        {Discipline::kPaced, 130, {64, 64, 2}, 5000, {20, 20}},
        {Discipline::kPaced, 64, {64}, 5000, {}},
    };
    for (const Case& c : cases) {
        RecordingTransport transport;
        FakeClock clock;
        const Bytes data(c.size, 0x5A);
        ASSERT_TRUE(WriteElement(transport, clock, c.discipline, data.data(), data.size()).ok());
        EXPECT_EQ(transport.Sent(), data);
        EXPECT_EQ(transport.WriteSizes(), c.writes) << static_cast<int>(c.discipline);
        for (const auto& w : transport.writes)
            EXPECT_EQ(w.limitMs, c.limitMs);
        EXPECT_EQ(clock.sleeps, c.sleeps) << static_cast<int>(c.discipline);
    }
}

TEST(WriteElementTest, TheFirstFailedWriteEndsTheElement) {
    for (Discipline d : {Discipline::kBytePerWrite, Discipline::kPieces, Discipline::kPaced}) {
        RecordingTransport transport;
        transport.failWrite = 2;
        transport.writeFailureCode = 121;
        FakeClock clock;
        const Bytes data(200, 1);
        const LinkResult result = WriteElement(transport, clock, d, data.data(), data.size());
        EXPECT_EQ(result.error, LinkError::kWrite);
        EXPECT_EQ(result.systemError, 121u) << "the system's reason is kept";
        EXPECT_EQ(transport.writes.size(), 1u);
        EXPECT_EQ(transport.calls.size(), 2u) << "no write after the failed one";
    }
}

class LinkSinkTest : public zelmar::test::WorkDirTest {};

TEST_F(LinkSinkTest, FormsTravelAsTheFramingSays) {
    // Headers whole, NV data a byte per write, a pause after each header.
    Framing framing;
    framing.imageHeader = {Discipline::kWhole, 50};
    framing.nvData = {Discipline::kBytePerWrite, 0};
    RecordingTransport transport;
    FakeClock clock;
    LinkSink sink(transport, clock, framing);
    zelmar::test::WriteBytes(Path("a.bmp"),
                             zelmar::test::MakeDotsBmp(8, 16, [](int, int y) { return y < 8; }));
    ASSERT_EQ(WriteModelZeroForm({Path("a.bmp"), Path("a.bmp")}, {}, sink, nullptr),
              FormStatus::kDone);
    EXPECT_TRUE(sink.Result().ok());
    std::vector<std::size_t> image(1 + 16, 1);  // the header, then 8 columns of 2 bytes
    image[0] = 8;
    std::vector<std::size_t> expected = image;
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_EQ(transport.WriteSizes(), expected);
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{50, 50}));
    EXPECT_EQ(transport.Sent()[8], 0xFF);  // column 0: the top band is black
    EXPECT_EQ(transport.Sent()[9], 0x00);
}

TEST_F(LinkSinkTest, AFailureStopsTheFormAndIsKept) {
    Framing framing;
    framing.nvData = {Discipline::kBytePerWrite, 0};
    RecordingTransport transport;
    transport.failWrite = 3;  // the second data byte
    transport.writeFailureCode = 32;
    FakeClock clock;
    LinkSink sink(transport, clock, framing);
    zelmar::test::WriteBytes(Path("a.bmp"),
                             zelmar::test::MakeDotsBmp(8, 16, [](int, int) { return true; }));
    std::vector<int32_t> progress;
    EXPECT_EQ(
        WriteModelZeroForm({Path("a.bmp")}, {}, sink, [&](int32_t k) { progress.push_back(k); }),
        FormStatus::kWriteFailed);
    EXPECT_EQ(sink.Result().error, LinkError::kWrite);
    EXPECT_EQ(sink.Result().systemError, 32u);
    EXPECT_TRUE(progress.empty());
    EXPECT_FALSE(sink.Write(Element::kCommand, Bytes{1})) << "a failed sink stays failed";
    EXPECT_EQ(transport.writes.size(), 2u);
}

TEST(SystemInfoTest, LegacyPlatformIsTheWindows9xFamilyOnly) {
    EXPECT_TRUE(LegacyPlatformFromId(1));
    EXPECT_FALSE(LegacyPlatformFromId(2));
    EXPECT_FALSE(LegacyPlatformFromId(0));
    EXPECT_FALSE(LegacyPlatformFromId(std::nullopt)) << "both version queries failed";
}

TEST(SystemInfoTest, HostArchitecture) {
    struct Case {
        HostFacts facts;
        bool is64;
    };
    const Case cases[] = {
        {{9, 10, 0, {}}, true},    // x64
        {{6, 5, 2, {}}, true},     // IA64
        {{0, 5, 1, {}}, false},    // x86
        {{12, 10, 0, {}}, false},  // ARM64 decides nothing: the flag stays clear
        {{0, 6, 0, 15}, true},     // version 6: product type 15
        {{0, 5, 1, 15}, false},    // before version 6 the type is not asked
        {{std::nullopt, 0, 0, {}}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HostIs64BitFrom(c.facts), c.is64)
            << c.facts.processorArchitecture.value_or(999) << " " << c.facts.ntMajorVersion;
    }
}

TEST(SystemInfoTest, ThisHost) {
    EXPECT_FALSE(HostSystem().LegacyPlatform());
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(HostSystem().HostIs64Bit()) << "a 64-bit program runs";
    }
}

}  // namespace
}  // namespace zelmar::links

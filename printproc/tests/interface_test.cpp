// What the spooler's entry points take from the core: datatypes and their
// listing, the parameter text, and pause, resume and cancel.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "datatypes.h"
#include "errors.h"
#include "job_control.h"
#include "memory_parts.h"
#include "parameters.h"

namespace tivrap {
namespace {

TEST(DatatypeTest, NamesMatchWithoutRegardToCase) {
    struct Case {
        const char16_t* name;
        std::uint32_t result;
        Datatype datatype;
    };
    const Case cases[] = {
        {u"RAW", 0, Datatype::kRaw},
        {u"raw", 0, Datatype::kRaw},
        {u"NT EMF 1.006", 0, Datatype::kEmf1006},
        {u"nt emf 1.007", 0, Datatype::kEmf1007},
        {u"NT EMF 1.008", 0, Datatype::kEmf1008},
        {u"Text", 0, Datatype::kText},
        {u"RAW ", kErrorInvalidDatatype, Datatype::kText},
        {u"NT EMF 1.009", kErrorInvalidDatatype, Datatype::kText},
        {u"", kErrorInvalidParameter, Datatype::kText},
        {nullptr, kErrorInvalidParameter, Datatype::kText},
    };
    for (const Case& c : cases) {
        Datatype found = Datatype::kText;
        EXPECT_EQ(FindDatatype(c.name, found), c.result);
        EXPECT_EQ(found, c.datatype);
    }
}

std::uint64_t ReadLittleEndian(const std::uint8_t* at, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes; i-- > 0;)
        value = value << 8 | at[i];
    return value;
}

std::u16string ReadName(const std::vector<std::uint8_t>& buffer, std::size_t at) {
    std::u16string name;
    for (; buffer.at(at) != 0 || buffer.at(at + 1) != 0; at += 2)
        name += static_cast<char16_t>(buffer[at] | buffer[at + 1] << 8);
    return name;
}

TEST(DatatypeListingTest, PointersFirstAndNamesPackedFromTheEnd) {
    // Names: (3 + 1 + 3 * 13 + 5) * 2 = 96 bytes, then one pointer each.
    struct Case {
        std::size_t pointerSize;
        std::uint32_t needed;
    };
    for (const Case c : {Case{8, 136}, Case{4, 116}}) {
        const std::uint64_t address = 0x10000;
        for (std::uint32_t size : {c.needed, c.needed + 1, c.needed + 20}) {
            std::vector<std::uint8_t> buffer(size, 0xCC);
            std::uint32_t needed = 0;
            std::uint32_t returned = 99;
            ASSERT_EQ(
                ListDatatypes(buffer.data(), size, &needed, &returned, {c.pointerSize, address}),
                0u);
            EXPECT_EQ(needed, c.needed);
            ASSERT_EQ(returned, 5u);
            std::size_t previous = size;
            for (std::size_t k = 0; k < 5; ++k) {
                const std::uint64_t pointer =
                    ReadLittleEndian(buffer.data() + k * c.pointerSize, c.pointerSize);
                const std::size_t at = static_cast<std::size_t>(pointer - address);
                EXPECT_EQ(ReadName(buffer, at), kDatatypeNames[k]);
                EXPECT_EQ(at % 2, 0u);
                EXPECT_LT(at, previous) << "each name lies before the one listed before it";
                EXPECT_GE(at, 5 * c.pointerSize) << "no name overwrites a pointer";
                previous = at;
            }
        }
    }
}

TEST(DatatypeListingTest, TooSmallOrMissingBuffersReportTheNeededSize) {
    for (std::size_t pointerSize : {std::size_t{8}, std::size_t{4}}) {
        const std::uint32_t full = pointerSize == 8 ? 136 : 116;
        std::vector<std::uint8_t> buffer(full, 0xCC);
        std::uint32_t needed = 0;
        std::uint32_t returned = 99;
        EXPECT_EQ(ListDatatypes(buffer.data(), full - 1, &needed, &returned, {pointerSize, 0}),
                  kErrorInsufficientBuffer);
        EXPECT_EQ(needed, full);
        EXPECT_EQ(returned, 0u);
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(full, 0xCC)) << "nothing is written";
        EXPECT_EQ(ListDatatypes(nullptr, 0, &needed, &returned, {pointerSize, 0}),
                  kErrorInsufficientBuffer);
        EXPECT_EQ(needed, full);
        EXPECT_EQ(ListDatatypes(nullptr, full, &needed, &returned, {pointerSize, 0}),
                  kErrorInvalidParameter);
        EXPECT_EQ(ListDatatypes(buffer.data(), full, nullptr, &returned, {pointerSize, 0}),
                  kErrorInvalidParameter);
        EXPECT_EQ(ListDatatypes(buffer.data(), full, &needed, nullptr, {pointerSize, 0}),
                  kErrorInvalidParameter);
    }
}

TEST(ParameterTest, NumbersByKey) {
    struct Case {
        const char16_t* text;
        const char16_t* key;
        std::uint32_t result;
        std::uint32_t number;  // 7 where it is left alone
    };
    const Case cases[] = {
        {u"COPIES=3;", u"COPIES", 0, 3},
        {u"COPIES=3", u"COPIES", kErrorNoData, 7},  // no closing ";"
        {u" \tcopies \t= 12\t ;", u"COPIES", 0, 12},
        {u"TABS=4;COPIES=2;", u"COPIES", 0, 2},
        {u"TABS=4;COPIES=2", u"COPIES", kErrorNoData, 7},
        {u"COPIESX=5;", u"COPIES", 0, 5},  // the name begins with the key
        {u"COPY=5;", u"COPIES", kErrorNoData, 7},
        {u"NOCOPIES=5;", u"COPIES", kErrorNoData, 7},
        {u"COPIES;COPIES=6;", u"COPIES", 0, 6},
        {u"COPIES=x2;", u"COPIES", kErrorNoData, 7},
        {u"COPIES=;", u"COPIES", kErrorNoData, 7},
        {u"COPIES=42abc;", u"COPIES", 0, 42},
        {u"COPIES=4294967295;", u"COPIES", 0, 4294967295u},
        {u"COPIES=4294967296;", u"COPIES", 0, 4294967295u},
        {u"COPIES=99999999999999999999;", u"COPIES", 0, 4294967295u},
        {u"", u"COPIES", kErrorNoData, 7},
        {nullptr, u"COPIES", kErrorInvalidParameter, 7},
        {u"COPIES=3;", nullptr, kErrorInvalidParameter, 7},
        {u"COPIES=3;", u"", kErrorInvalidParameter, 7},
    };
    for (const Case& c : cases) {
        std::uint32_t number = 7;
        EXPECT_EQ(FindParameterNumber(c.text, c.key, &number), c.result);
        EXPECT_EQ(number, c.number);
    }
    EXPECT_EQ(FindParameterNumber(u"COPIES=3;", u"COPIES", nullptr), kErrorInvalidParameter);
}

TEST(ParameterTest, TextValuesNeedRoomForTheirTerminator) {
    char16_t value[6] = {u'?', u'?', u'?', u'?', u'?', u'?'};
    EXPECT_EQ(FindParameterText(u"NAME = front ;", u"name", value, 5), kErrorInsufficientBuffer);
    EXPECT_EQ(FindParameterText(u"NAME = front ;", u"name", value, 6), 0u);
    EXPECT_EQ(std::u16string(value), u"front");
    EXPECT_EQ(FindParameterText(u"NAME=front", u"NAME", value, 6), kErrorNoData);
    EXPECT_EQ(FindParameterText(u"NAME=front;", u"NAME", nullptr, 6), kErrorInvalidParameter);
}

TEST(ParameterTest, JobSettings) {
    struct Case {
        const char16_t* text;
        Datatype datatype;
        std::uint32_t copies;
        std::uint32_t tabSize;
    };
    const Case cases[] = {
        {nullptr, Datatype::kRaw, 1, 8},     {u"COPIES=3;", Datatype::kRaw, 3, 8},
        {u"COPIES=3", Datatype::kRaw, 1, 8}, {u"COPIES=2;TABS=4;", Datatype::kText, 2, 4},
        {u"TABS=4;", Datatype::kRaw, 1, 8},  // only text jobs have tabs
        {u"TABS=0;", Datatype::kText, 1, 8},
    };
    for (const Case& c : cases) {
        const JobSettings settings = ReadJobSettings(c.text, c.datatype);
        EXPECT_EQ(settings.copies, c.copies);
        EXPECT_EQ(settings.tabSize, c.tabSize);
    }
}

TEST(JobControlTest, CommandsSetTheStatusFlags) {
    memory::MemoryPauseEvent event;
    JobControl control(event);
    EXPECT_FALSE(control.Command(0));
    EXPECT_FALSE(control.Command(4));
    EXPECT_EQ(control.Status(), 0u);
    EXPECT_TRUE(control.Command(1));
    EXPECT_EQ(control.Status(), kStatusPaused);
    EXPECT_TRUE(control.Command(2));
    EXPECT_EQ(control.Status(), 0u);
    EXPECT_TRUE(control.GoOn()) << "a resumed job does not wait";
    EXPECT_TRUE(control.Command(2)) << "resuming a running job changes nothing";
    EXPECT_EQ(control.Status(), 0u);
    EXPECT_EQ(event.Waits(), 0u);
    EXPECT_TRUE(control.Command(1));
    EXPECT_TRUE(control.Command(3));
    EXPECT_EQ(control.Status(), kStatusCancelled);
    EXPECT_TRUE(control.Command(1)) << "a cancelled job is not paused again";
    EXPECT_EQ(control.Status(), kStatusCancelled);
    EXPECT_FALSE(control.GoOn());
    EXPECT_EQ(event.Waits(), 0u);
}

TEST(JobControlTest, ResumeAndCancelReleaseAJobPausedOnAnotherThread) {
    for (std::uint32_t command : {2u, 3u}) {
        memory::MemoryPauseEvent event;
        JobControl control(event);
        control.Pause();
        bool wentOn = command != 2;
        std::thread job([&] { wentOn = control.GoOn(); });
        event.AwaitWaits(1);
        control.Command(command);
        job.join();
        EXPECT_EQ(wentOn, command == 2) << "resume goes on, cancel stops";
    }
}

}  // namespace
}  // namespace tivrap

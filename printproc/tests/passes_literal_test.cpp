// Literal bytes beside the receipt digests: for each pass of a reworked job,
// a receipt of a few commands and every byte the printer must get of it, so
// that a failure shows which pass and which rule went wrong. Each receipt
// starts with the driver's start-of-document marker, which no pass changes,
// and ends in bytes that the passes leave alone: the last fewer than 8 bytes
// of every pass go out as they are.
#include <gtest/gtest.h>

#include "memory_parts.h"
#include "raw_job.h"
#include "receipt_bytes.h"

namespace tivrap {
namespace {

using namespace test;

// What the printer gets of a whole job, "A" translated into 1B 4D 00 and "C"
// into C3, "B" without a value.
Bytes Printed(const Bytes& receipt) {
    memory::MemorySpoolerJob spooler(receipt);
    memory::MemoryScratchStorage scratch;
    memory::MemoryTranslation translation({{u"41", "1b4d00"}, {u"43", "c3"}});
    SectionTranslator translator = translation.Translator();
    memory::MemoryPauseEvent event;
    JobControl control(event);
    memory::MemoryDebugOutput debug;
    EXPECT_TRUE(RunRawJob({}, {spooler, scratch, translator, control, debug}));
    return spooler.printed;
}

TEST(PassesLiteralTest, WhatThePrinterGets) {
    struct Case {
        const char* name;
        Bytes receipt;  // after the marker
        Bytes printed;  // after the marker
    };
    const Case cases[] = {
        {"barcode pass: a length byte, and the feed after it short",
         Bytes{
             0x1B, 0x74, 0x00, 0x1D, 0x77, 0x02,  // ESC t 0, GS w 2: module width
             0x1D, 0x68, 0x50,                    // GS h 80: height
             0x1D, 0x6B, 0x49, 0x00,              // GS k 73, the length's placeholder
             0x31, 0x32, 0x33,                    // the data "123"
             0x00, 0x1B, 0x24, 0x00, 0x00,        // position-and-feed: position 0,
             0x00, 0x1B, 0x4A, 0x20,              // then feed 32
         } + Tail(),
         Bytes{
             0x1B, 0x74, 0x00, 0x1D, 0x77, 0x02, 0x1D, 0x68, 0x50,  // the head's first 9 bytes
             0x1D, 0x6B, 0x49, 0x03,                                // GS k 73, 3 bytes
             0x31, 0x32, 0x33,                                      // "123"
             0x00, 0x1B, 0x4A, 0x00,                                // the short feed
         } + Tail()},
        {"widening pass: a narrower row padded to the run's width, then merged",
         Bytes{
             0x1B, 0x4A, 0x00,                    // feed 0
             0x1D, 0x76, 0x30, 0x00,              // GS v 0, mode 0
             0x03, 0x00, 0x01, 0x00,              // 3 bytes wide, 1 row
             0xAA, 0xBB, 0xCC,                    // its data
             0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30,  // the next row:
             0x00, 0x02, 0x00, 0x01, 0x00,        // 2 bytes wide, 1 row
             0xDD, 0xEE,                          // its data
         } + Tail(),
         Bytes{
             0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30, 0x00,  // one raster command:
             0x03, 0x00, 0x02, 0x00,                    // 3 bytes wide, 2 rows
             0xAA, 0xBB, 0xCC,                          // the first row
             0xDD, 0xEE, 0x00,                          // the second, widened
         } + Tail()},
        {"final pass: rows of one width become one raster command",
         Bytes{
             0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30,  // a row
             0x00, 0x02, 0x00, 0x01, 0x00,        // 2 bytes wide, 1 row
             0x11, 0x22,                          // its data
             0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30,  // another row
             0x00, 0x02, 0x00, 0x01, 0x00,        // of the same width
             0x33, 0x44,                          // its data
         } + Tail(),
         Bytes{
             0x1B, 0x4A, 0x00, 0x1D, 0x76, 0x30,  // one raster command:
             0x00, 0x02, 0x00, 0x02, 0x00,        // 2 bytes wide, 2 rows
             0x11, 0x22, 0x33, 0x44,              // both rows' data
         } + Tail()},
        {"final pass: text mode translates, drops what has no value",
         Bytes{
             0x1B, 0x21, 0x00, 0x1B, 0x50, 0x70,  // the text-mode marker
             0x41, 0x42, 0x43,                    // "ABC"
         } + Tail(),
         Bytes{
             0x1B, 0x21, 0x00,              // ESC ! 0
             0x00, 0x1B, 0x24, 0x00, 0x00,  // position 0
             0x1B, 0x4D, 0x00,              // "A"
             0xC3,                          // "C"; "B" dropped
         } + Tail()},
        {"tail trim: a last byte 01 takes 9 bytes with it",
         Bytes{0x41, 0x42, 0x43, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x01},
         Bytes{0x41, 0x42, 0x43}},
        {"tail trim: a last byte 40 takes 7 bytes with it",
         Bytes{0x41, 0x42, 0x43, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x40},
         Bytes{0x41, 0x42, 0x43}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Printed(StartOfDocument() + c.receipt), StartOfDocument() + c.printed) << c.name;
}

}  // namespace
}  // namespace tivrap

// The debug output as a debugger sees it: every line raises the debug-print
// exception, which a vectored handler can read.
#include "win32/trace.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmar::win32 {
namespace {

std::vector<std::string>* g_seen = nullptr;

LONG CALLBACK SeeDebugPrint(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && g_seen && record.NumberParameters >= 2) {
        g_seen->emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class DebugLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_seen = &seen_;
        handler_ = AddVectoredExceptionHandler(1, SeeDebugPrint);
    }
    void TearDown() override {
        RemoveVectoredExceptionHandler(handler_);
        g_seen = nullptr;
    }
    std::vector<std::string> seen_;
    void* handler_ = nullptr;
};

TEST_F(DebugLineTest, DebugLinesAlwaysGoOutEachEndingInALineFeed) {
    DebugLine("Error Find_PC_StartDoc()");
    DebugLine(L"pData->pDatatype == RAW");
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0], "Error Find_PC_StartDoc()\n");
    EXPECT_EQ(seen_[1], "pData->pDatatype == RAW\n");
}

}  // namespace
}  // namespace zelmar::win32

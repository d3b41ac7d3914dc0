// The owners: each handle closed once, and put() for the functions that
// return a handle through a pointer.
#include <windows.h>

#include <winspool.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "win32/handle_owners.h"
#include "win32/printer_owners.h"
#include "win32/unique_handle.h"

namespace zelmar::win32 {
namespace {

// A kind of handle whose closes are recorded; -1 holds nothing.
std::vector<int> closed;
void Record(int handle) {
    closed.push_back(handle);
}
using Recorded = UniqueHandle<HandleTraits<int, Record, -1>>;

TEST(OwnersTest, PutClosesWhatIsHeldAndHoldsWhatIsWritten) {
    closed.clear();
    {
        Recorded owner(3);
        int* const slot = owner.put();
        EXPECT_EQ(closed, std::vector<int>{3});
        EXPECT_EQ(*slot, -1) << "the function finds the empty handle";
        *slot = 4;
        EXPECT_EQ(owner.get(), 4);
        owner.put();  // a call that fails and writes nothing
        EXPECT_FALSE(owner);
        *owner.put() = 5;
    }
    EXPECT_EQ(closed, (std::vector<int>{3, 4, 5})) << "the empty handle is never closed";
}

TEST(OwnersTest, MovesAndReleasesCloseEachHandleOnce) {
    closed.clear();
    {
        Recorded first(1);
        Recorded second(std::move(first));
        EXPECT_FALSE(first);
        Recorded third(2);
        third = std::move(second);
        EXPECT_EQ(closed, std::vector<int>{2});
        EXPECT_EQ(third.get(), 1);
        EXPECT_EQ(Recorded(6).release(), 6);
    }
    EXPECT_EQ(closed, (std::vector<int>{2, 1}));
}

// The call sites return at once when an open fails: the owner must then hold
// nothing, with what it held before closed.
TEST(OwnersTest, AFailedOpenLeavesTheOwnerEmpty) {
    UniqueHkey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    const HKEY held = key.get();
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\No such key of Zelmar", 0, KEY_READ,
                            key.put()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key);
    EXPECT_EQ(RegQueryInfoKeyW(held, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE)
        << "the first key was closed";

    EXPECT_FALSE(UniqueFile(CreateFileW(L"C:\\no such folder\\file", GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr)))
        << "INVALID_HANDLE_VALUE holds nothing";

    UniquePrinter printer;
    EXPECT_FALSE(
        OpenPrinterW(const_cast<LPWSTR>(L"No such queue of Zelmar"), printer.put(), nullptr));
    EXPECT_FALSE(printer);
}

}  // namespace
}  // namespace zelmar::win32

// The control's code linked into a program, without the DLL: the automation
// library links on its own, the type library (embedded in this program) is
// loaded once for the module however many controls there are, and a released
// control is freed.
#include <gtest/gtest.h>

#include "com_test.h"
#include "dispatch_ids.h"
#include "module.h"
#include "zelmar_ctrl.h"

namespace zelmar::automation {
namespace {

using test::Arguments;
using test::Call;

TEST(InProcessTest, ControlsShareTheModulesTypeLibrary) {
    test::OleApartment ole;
    win32::ComPtr<ITypeLib> first, second;
    ASSERT_EQ(ModuleTypeLib(first), S_OK);
    ASSERT_EQ(ModuleTypeLib(second), S_OK);
    EXPECT_EQ(first.Get(), second.Get());

    win32::ComPtr<IDispatch> a, b;
    ASSERT_EQ(CZelmarCtrl::Create(IID_PPV_ARGS(&a)), S_OK);
    ASSERT_EQ(CZelmarCtrl::Create(IID_PPV_ARGS(&b)), S_OK);
    EXPECT_TRUE(ModuleInUse());

    Arguments missing;
    LONG bits = 7, height = 7, width = 7;
    missing.Text(L"no-such-file.bmp").LongRef(&bits).LongRef(&height).LongRef(&width);
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Call(*b.Get(), ZELMAR_DISPID_BITMAP_INFO, missing, &result), S_OK);
    EXPECT_EQ(result.lVal, -1);
    EXPECT_EQ(bits, 7) << "outputs untouched";

    // The last reference frees each control, and with it the module's count.
    EXPECT_EQ(a.Reset(), 0u);
    EXPECT_EQ(b.Reset(), 0u);
    EXPECT_FALSE(ModuleInUse());
}

}  // namespace
}  // namespace zelmar::automation

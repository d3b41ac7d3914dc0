// The control's code linked into a program, without the DLL: the automation
// library links on its own, the type library (embedded in this program) is
// loaded once for the module however many controls there are, and a released
// control is freed.
#include <gtest/gtest.h>

#include <fstream>

#include "bmp_builder.h"
#include "com_test.h"
#include "dispatch_ids.h"
#include "engine/trace.h"
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

// Each call that arrives, with its arguments as they came and as they went
// back, its HRESULT and its result; an id the control lacks too.
class DispatchTraceTest : public zelmar::test::WorkDirTest {};

TEST_F(DispatchTraceTest, EachCallIsTracedWithItsArgumentsAndResult) {
    test::OleApartment ole;
    win32::ComPtr<IDispatch> control;
    ASSERT_EQ(CZelmarCtrl::Create(IID_PPV_ARGS(&control)), S_OK);
    const std::string logo = Path("logo.bmp");
    zelmar::test::WriteBytes(logo, zelmar::test::MakeDotsBmp(16, 8, [](int, int) { return true; }));
    const std::string file = Path("trace.txt");

    StartTrace({true, file});
    Arguments info;
    LONG bits = 7, height = 7, width = 7;
    info.Text(std::wstring(logo.begin(), logo.end()))
        .LongRef(&bits)
        .LongRef(&height)
        .LongRef(&width);
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(Call(*control.Get(), ZELMAR_DISPID_BITMAP_INFO, info, &result), S_OK);
    Arguments none;
    EXPECT_EQ(Call(*control.Get(), 99, none, &result), DISP_E_MEMBERNOTFOUND);
    StartTrace({});

    std::vector<std::string> steps;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        steps.push_back(line.substr(line.find(" dispatch ") + 1));
    const std::string call = "dispatch BitmapInfo(\"" + logo + "\", ";
    EXPECT_EQ(steps, (std::vector<std::string>{
                         call + "&7, &7, &7)",
                         call + "&24, &8, &16) -> 0x00000000 0",
                         "dispatch id 99()",
                         "dispatch id 99() -> 0x80020003",
                     }));
}

}  // namespace
}  // namespace zelmar::automation

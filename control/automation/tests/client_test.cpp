// A C++ client of the registered control: every image method by dispatch id,
// the out parameters, the working files and the Progress events.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_builder.h"
#include "com_test.h"
#include "dispatch_ids.h"
#include "identity.h"
#include "methods/image_methods.h"
#include "work_dir.h"
#include "zelmar_h.h"

namespace zelmar::test {
namespace {

class ClientTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        colour_ = Path("colour.bmp");
        WriteBytes(colour_, MakeColourBmp(200, 80, [](int x, int y) {
                       return Grey((x * 7 + y * 3) % 256) ^ (x % 5 == 0 ? 0x400000u : 0u);
                   }));
    }
    std::wstring WorkingFile(const wchar_t* name) const {
        wchar_t directory[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, directory);
        return std::wstring(directory) + L"\\" + name;
    }

    std::string colour_;
};

TEST_F(ClientTest, ReleasedObjectsLetTheModuleUnload) {
    HMODULE module = GetModuleHandleW(L"Zelmar.ocx");
    ASSERT_NE(module, nullptr);
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnloadFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE) << "the control is alive";
    ComPtr<IUnknown> page;
    ASSERT_EQ(CoCreateInstance(automation::CLSID_ZelmarPropPage, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(&page)),
              S_OK);
    control_.Reset();
    EXPECT_EQ(canUnload(), S_FALSE) << "the property page is alive";
    page.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(ClientTest, NamesMapToTheirDispatchIds) {
    const std::vector<std::pair<const wchar_t*, DISPID>> methods = {
        {L"BitmapInfo", ZELMAR_DISPID_BITMAP_INFO},
        {L"Print", ZELMAR_DISPID_PRINT},
        {L"PrintTCPIP", ZELMAR_DISPID_PRINT_TCPIP},
        {L"Preview", ZELMAR_DISPID_PREVIEW},
        {L"FileUpload", ZELMAR_DISPID_FILE_UPLOAD},
        {L"UploadTCPIP", ZELMAR_DISPID_UPLOAD_TCPIP},
        {L"Upload", ZELMAR_DISPID_UPLOAD},
        {L"FileLoad", ZELMAR_DISPID_FILE_LOAD},
        {L"PrinterSave", ZELMAR_DISPID_PRINTER_SAVE},
        {L"PrinterSaveTCPIP", ZELMAR_DISPID_PRINTER_SAVE_TCPIP},
        {L"PrintDriverUpload", ZELMAR_DISPID_PRINT_DRIVER_UPLOAD},
        {L"EraserAll", ZELMAR_DISPID_ERASER_ALL},
        {L"AboutBox", ZELMAR_DISPID_ABOUT_BOX}};
    // Hosts that read the dispinterface find the ids that calls by name reach
    // (the vtable that DispInvoke calls): its two descriptions agree.
    ComPtr<ITypeInfo> shown;
    ASSERT_EQ(control_->GetTypeInfo(0, LOCALE_USER_DEFAULT, &shown), S_OK);
    for (const auto& [name, id] : methods) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID found = 0, described = 0;
        EXPECT_EQ(control_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found), S_OK);
        EXPECT_EQ(found, id) << name;
        EXPECT_EQ(shown->GetIDsOfNames(names, 1, &described), S_OK);
        EXPECT_EQ(described, id) << name;
    }

    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(shown->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, DIID__DZelmar);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    shown->ReleaseTypeAttr(attributes);

    ComPtr<IProvideClassInfo2> classInfo;
    GUID events = {};
    ASSERT_EQ(control_.As(&classInfo), S_OK);
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_EQ(events, DIID__DZelmarEvents);
}

TEST_F(ClientTest, UnknownDispatchIdsAreNotMembers) {
    for (DISPID id : {0, ZELMAR_DISPID_ERASER_ALL + 1, 999, -1, ZELMAR_DISPID_ABOUT_BOX + 1}) {
        Arguments none;
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(Call(*control_.Get(), id, none, &result), DISP_E_MEMBERNOTFOUND) << id;
    }
    Arguments tooFew;
    tooFew.Text(L"colour.bmp");
    EXPECT_EQ(Call(*control_.Get(), ZELMAR_DISPID_BITMAP_INFO, tooFew, nullptr),
              DISP_E_BADPARAMCOUNT);
}

TEST_F(ClientTest, BitmapInfoFillsItsOutputs) {
    LONG bits = 77, height = 77, width = 77;
    Arguments found;
    found.Text(Wide(colour_)).LongRef(&bits).LongRef(&height).LongRef(&width);
    EXPECT_EQ(Status(ZELMAR_DISPID_BITMAP_INFO, found), 0);
    EXPECT_EQ(bits, 24);
    EXPECT_EQ(height, 80);
    EXPECT_EQ(width, 200);

    // A script host's variables: VARIANTs by reference, coming back as longs.
    VARIANT variables[3];
    for (VARIANT& v : variables)
        VariantInit(&v);
    Arguments script;
    script.Text(L"colour.bmp")
        .VariantRef(&variables[0])
        .VariantRef(&variables[1])
        .VariantRef(&variables[2]);
    EXPECT_EQ(Status(ZELMAR_DISPID_BITMAP_INFO, script), 0);
    for (const auto& [variable, expected] :
         {std::pair{&variables[0], 24}, {&variables[1], 80}, {&variables[2], 200}}) {
        EXPECT_EQ(variable->vt, VT_I4);
        EXPECT_EQ(variable->lVal, expected);
    }

    Arguments missing;
    missing.Text(L"missing.bmp").LongRef(&bits).LongRef(&height).LongRef(&width);
    bits = height = width = 77;
    EXPECT_EQ(Status(ZELMAR_DISPID_BITMAP_INFO, missing), -1);
    EXPECT_EQ(bits + height + width, 3 * 77) << "outputs untouched";
}

TEST_F(ClientTest, NamesTravelInTheSystemCodePage) {
    const std::wstring name = L"logo-\u00e9\u00e8.bmp";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0, nullptr,
                        &lossy);
    if (lossy) GTEST_SKIP() << "the system code page lacks the test's letters";
    WriteBytes(SystemCodePage(name), ReadBytes(colour_));
    LONG bits = 0, height = 0, width = 0;
    Arguments arguments;
    arguments.Text(name).LongRef(&bits).LongRef(&height).LongRef(&width);
    EXPECT_EQ(Status(ZELMAR_DISPID_BITMAP_INFO, arguments), 0);
    EXPECT_EQ(width, 200);
}

TEST_F(ClientTest, PreviewReturnsThePictureToShow) {
    struct Case {
        SHORT mode, brightness, rotate;
        const wchar_t* shown;  // empty: no result
    };
    for (const Case c : {Case{1, 5, 3, L"Temp.bmp"}, Case{2, 5, 1, L"RightRotation.bmp"},
                         Case{2, 13, 0, L"NoRotation.bmp"}, Case{2, 5, 4, L""}}) {
        Arguments arguments;
        arguments.Text(Wide(colour_)).Short(c.mode).Short(c.brightness).Short(c.rotate);
        VARIANT result;
        VariantInit(&result);
        ASSERT_EQ(Call(*control_.Get(), ZELMAR_DISPID_PREVIEW, arguments, &result), S_OK);
        ASSERT_EQ(result.vt, VT_BSTR);
        const std::wstring shown(result.bstrVal, SysStringLen(result.bstrVal));
        VariantClear(&result);
        EXPECT_EQ(shown, *c.shown ? WorkingFile(c.shown) : L"") << c.mode << "/" << c.rotate;
    }
    EXPECT_TRUE(FileExists(Path("LeftRotation.bmp")));
    EXPECT_TRUE(FileExists(Path("RealGreenColor.bmp")));

    // Numbers arrive as longs from many hosts; they are taken as shorts.
    Arguments longs;
    longs.Text(Wide(colour_)).Long(0).Long(5).Long(0);
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(Call(*control_.Get(), ZELMAR_DISPID_PREVIEW, longs, &result), S_OK);
    VariantClear(&result);
}

TEST_F(ClientTest, PlainDispatchSinksReceiveProgressToo) {
    sink_.knowsEvents = false;
    Connect();
    Arguments arguments;
    arguments.Text(L"upload.bin").Text(Wide(colour_) + L"|").Long(0);
    arguments.Short(0).Short(5).Short(0).Short(0).Short(0);
    EXPECT_EQ(Status(ZELMAR_DISPID_FILE_UPLOAD, arguments), 0);
    EXPECT_EQ(sink_.received, std::vector<LONG>{1});
}

TEST_F(ClientTest, FileUploadWritesTheEngineStreamAndFiresProgress) {
    struct Case {
        LONG nvSelect;
        std::vector<LONG> progress;
    };
    Connect();
    const std::wstring list = Wide(colour_) + L"|" + Wide(colour_) + L"|";
    for (const Case& c : {Case{0, {1, 2}}, Case{1, {0}}}) {
        sink_.received.clear();
        Arguments arguments;
        arguments.Text(L"upload.bin").Text(list).Long(c.nvSelect);
        arguments.Short(1).Short(7).Short(1).Short(1).Short(0);
        EXPECT_EQ(Status(ZELMAR_DISPID_FILE_UPLOAD, arguments), 0);
        EXPECT_EQ(sink_.received, c.progress);
        const std::string list8(list.begin(), list.end());
        ASSERT_EQ(zelmar::FileUpload(Path("engine.bin"), list8, c.nvSelect, {1, 7, 1}, 1, 0, {}),
                  0);
        EXPECT_EQ(ReadBytes(Path("upload.bin")), ReadBytes(Path("engine.bin"))) << c.nvSelect;
    }

    sink_.received.clear();
    Arguments noBar;
    noBar.Text(L"none.bin").Text(Wide(colour_)).Long(0);
    noBar.Short(1).Short(5).Short(0).Short(0).Short(0);
    EXPECT_EQ(Status(ZELMAR_DISPID_FILE_UPLOAD, noBar), 2);
    EXPECT_FALSE(FileExists(Path("none.bin")));
    EXPECT_TRUE(sink_.received.empty());

    Arguments cannotCreate;
    cannotCreate.Text(L"no-such-dir\\upload.bin").Text(list).Long(0);
    cannotCreate.Short(1).Short(5).Short(0).Short(0).Short(0);
    EXPECT_EQ(Status(ZELMAR_DISPID_FILE_UPLOAD, cannotCreate), 1);

    ASSERT_EQ(events_->Unadvise(cookie_), S_OK);
    Arguments again;
    again.Text(L"upload.bin").Text(list).Long(1);
    again.Short(1).Short(5).Short(0).Short(0).Short(0);
    EXPECT_EQ(Status(ZELMAR_DISPID_FILE_UPLOAD, again), 0);
    EXPECT_TRUE(sink_.received.empty()) << "no events after Unadvise";
}

TEST_F(ClientTest, FileLoadShowsTheNameSilentlyAndWritesAnEmptyRaster) {
    DebugOutput output;
    Arguments arguments;
    arguments.Text(L"C:\\logos\\shown.bmp");
    EXPECT_EQ(Status(ZELMAR_DISPID_FILE_LOAD, arguments), 0);
    EXPECT_EQ(DebugOutput::Text(), "Zelmar: C:\\logos\\shown.bmp\n");
    EXPECT_EQ(ReadBytes(Path("Raster.bmp")).size(), 62u);

    DebugOutput::Text().clear();
    Arguments none;
    EXPECT_EQ(Call(*control_.Get(), ZELMAR_DISPID_ABOUT_BOX, none, nullptr), S_OK);
    EXPECT_EQ(DebugOutput::Text(), "About Zelmar Control: Zelmar Control, Version 1.0\n");
}

TEST_F(ClientTest, DeviceMethodsOnAPortThatIsNotThereReportNoLink) {
    struct Case {
        DISPID id;
        const char* types;  // L long, S short, T text, first parameter first
    };
    for (const Case c :
         {Case{ZELMAR_DISPID_PRINT, "LTLLLLLLLL"}, Case{ZELMAR_DISPID_PRINT_TCPIP, "LTTLLL"},
          Case{ZELMAR_DISPID_UPLOAD_TCPIP, "LTTTSSSSS"},
          Case{ZELMAR_DISPID_UPLOAD, "LTLLLLLTSSSSS"},
          Case{ZELMAR_DISPID_PRINTER_SAVE, "LTLLLLLSSSS"},
          Case{ZELMAR_DISPID_PRINTER_SAVE_TCPIP, "LTTSSSS"}}) {
        Arguments arguments;
        for (const char* type = c.types; *type; ++type) {
            if (*type == 'L') arguments.Long(0);
            if (*type == 'S') arguments.Short(0);
            // No such port; as an address, no address; as an image list, no image.
            if (*type == 'T') arguments.Text(L"LPT9");
        }
        EXPECT_EQ(Status(c.id, arguments), -1) << c.id;
    }
}

TEST_F(ClientTest, PersistsOnlyTheVersionAndNamesItsPage) {
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IStream> stream;
    ASSERT_EQ(control_.As(&persist), S_OK);
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, 4u);
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    DWORD version = 0;
    stream->Read(&version, 4, nullptr);
    EXPECT_EQ(version, 0x00010000u);
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(persist->Load(stream.Get()), S_OK);
    EXPECT_TRUE(FAILED(persist->Load(stream.Get()))) << "nothing left to read";

    ComPtr<ISpecifyPropertyPages> specify;
    CAUUID pages = {};
    ASSERT_EQ(control_.As(&specify), S_OK);
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    wchar_t page[39];
    StringFromGUID2(pages.pElems[0], page, 39);
    EXPECT_STREQ(page, L"{A7B202AB-A508-4235-9C97-C25799782590}");
    CoTaskMemFree(pages.pElems);
}

}  // namespace
}  // namespace zelmar::test

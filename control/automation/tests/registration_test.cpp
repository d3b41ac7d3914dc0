// regsvr32 with Zelmar.ocx: the entries it leaves, and the ones /u takes away.
// Runs first and leaves the control registered for the other tests.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "com_test.h"

namespace zelmar::test {
namespace {

constexpr wchar_t kControlKey[] = L"CLSID\\{871D8DC2-84A4-4D1F-99D5-2A4E3BE2E87C}";
constexpr wchar_t kPageKey[] = L"CLSID\\{A7B202AB-A508-4235-9C97-C25799782590}";
constexpr wchar_t kProgId[] = L"ZELMAR.ZelmarCtrl.1";
constexpr wchar_t kTypeLib[] = L"{080F7E03-AC50-4949-AACA-E79F82D3099F}";
constexpr wchar_t kDispatchKey[] = L"Interface\\{5D605A2B-ACDE-49CD-9642-7B268923ACD9}";
constexpr wchar_t kEventsKey[] = L"Interface\\{72B4B28B-9DF6-4E69-9E00-F1EE51001ADD}";

bool KeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

// A REG_SZ value; "<missing>" when there is none.
std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t text[1024];
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS) {
        return L"<missing>";
    }
    return text;
}

std::set<std::wstring> Subkeys(const std::wstring& key) {
    std::set<std::wstring> names;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.insert(name);
    }
    RegCloseKey(opened);
    return names;
}

class RegistrationTest : public ::testing::Test {
  protected:
    long Regsvr32(const wchar_t* options) {
        std::string output;
        return RunProgram(L"regsvr32.exe " + std::wstring(options) + L" \"" + module_ + L"\"", L"",
                          output);
    }

    const std::wstring module_ = BesideThisProgram(L"Zelmar.ocx");
    OleApartment ole_;
};

TEST_F(RegistrationTest, RegistersOneSetOfEntriesAndRemovesThem) {
    ASSERT_EQ(Regsvr32(L"/s"), 0);
    ASSERT_EQ(Regsvr32(L"/s"), 0);

    const std::wstring control = kControlKey;
    const std::wstring& server = module_;
    struct Expected {
        std::wstring key;
        const wchar_t* name;
        std::wstring value;
    };
    for (const Expected& e : std::vector<Expected>{
             {kProgId, nullptr, L"Zelmar Control"},
             {std::wstring(kProgId) + L"\\CLSID", nullptr,
              L"{871D8DC2-84A4-4D1F-99D5-2A4E3BE2E87C}"},
             {control, nullptr, L"Zelmar Control"},
             {control + L"\\ProgID", nullptr, kProgId},
             {control + L"\\InprocServer32", nullptr, server},
             {control + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
             {control + L"\\ToolboxBitmap32", nullptr, server + L", 1"},
             {control + L"\\TypeLib", nullptr, kTypeLib},
             {control + L"\\Version", nullptr, L"1.0"},
             {kPageKey, nullptr, L"Zelmar Property Page"},
             {std::wstring(kPageKey) + L"\\InprocServer32", nullptr, server},
             {std::wstring(kPageKey) + L"\\InprocServer32", L"ThreadingModel", L"<missing>"},
         }) {
        EXPECT_EQ(Value(e.key, e.name), e.value) << e.key;
    }
    EXPECT_EQ(Subkeys(control),
              (std::set<std::wstring>{L"Control", L"InprocServer32", L"MiscStatus", L"ProgID",
                                      L"ToolboxBitmap32", L"TypeLib", L"Version"}));
    EXPECT_EQ(Subkeys(kProgId), std::set<std::wstring>{L"CLSID"});

    CLSID clsid = {};
    DWORD status = 0;
    ASSERT_EQ(CLSIDFromString(L"{871D8DC2-84A4-4D1F-99D5-2A4E3BE2E87C}", &clsid), S_OK);
    EXPECT_EQ(OleRegGetMiscStatus(clsid, DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
    EXPECT_TRUE(KeyExists(std::wstring(L"TypeLib\\") + kTypeLib + L"\\1.0"));
    EXPECT_TRUE(KeyExists(kDispatchKey));

    ASSERT_EQ(Regsvr32(L"/s /u"), 0);
    for (const std::wstring& key : {std::wstring(kProgId), control, std::wstring(kPageKey),
                                    std::wstring(L"TypeLib\\") + kTypeLib,
                                    std::wstring(kDispatchKey), std::wstring(kEventsKey)}) {
        EXPECT_FALSE(KeyExists(key)) << key;
    }
    EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), CO_E_CLASSSTRING);

    // Registered again, for the tests that follow.
    ASSERT_EQ(Regsvr32(L"/s"), 0);
    EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
}

TEST(ResourcesTest, ModuleCarriesItsVersionStringsAndPictures) {
    const std::wstring module = BesideThisProgram(L"Zelmar.ocx");
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(module.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(
        GetFileVersionInfoW(module.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    for (const auto& [name, expected] :
         {std::pair{L"FileDescription", L"Zelmar ActiveX Control Module"},
          {L"ProductName", L"Zelmar ActiveX Control Module"},
          {L"InternalName", L"Zelmar"},
          {L"OriginalFilename", L"Zelmar.OCX"}}) {
        wchar_t* text = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(
            VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &size))
            << key;
        EXPECT_STREQ(text, expected);
    }

    const HMODULE data = LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr);
    for (const auto& [id, expected] :
         {std::pair{1u, L"Zelmar Control"}, {2u, L"Zelmar Property Page"}, {200u, L"General"}}) {
        wchar_t text[64] = {};
        LoadStringW(data, id, text, 64);
        EXPECT_STREQ(text, expected) << id;
    }
    for (const LPCSTR type :
         std::initializer_list<LPCSTR>{RT_BITMAP, RT_GROUP_ICON, RT_DIALOG, "TYPELIB"}) {
        EXPECT_NE(FindResourceA(data, MAKEINTRESOURCEA(1), type), nullptr);
    }
    EXPECT_NE(FindResourceA(data, MAKEINTRESOURCEA(200), RT_DIALOG), nullptr);
    FreeLibrary(data);
}

}  // namespace
}  // namespace zelmar::test

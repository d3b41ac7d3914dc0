#include "com_test.h"

#include <ocidl.h>

#include <fstream>
#include <iterator>

namespace zelmar::test {

std::wstring BesideThisProgram(const wchar_t* name) {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    std::wstring directory(path.data(), length);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1) + name;
}

long RunProgram(const std::wstring& commandLine, const std::wstring& directory,
                std::string& output) {
    wchar_t outputName[MAX_PATH];
    wchar_t tempDirectory[MAX_PATH];
    GetTempPathW(MAX_PATH, tempDirectory);
    GetTempFileNameW(tempDirectory, L"out", 0, outputName);
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    const HANDLE file = CreateFileW(outputName, GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    const BOOL started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &process);
    CloseHandle(file);
    DWORD exitCode = static_cast<DWORD>(-1);
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    std::ifstream in(outputName, std::ios::binary);
    output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileW(outputName);
    return started ? static_cast<long>(exitCode) : -1;
}

std::string SystemCodePage(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

Arguments::~Arguments() {
    for (VARIANT& value : values_)
        VariantClear(&value);
}

VARIANT& Arguments::Add(VARTYPE type) {
    VARIANT& value = values_.emplace_back();
    VariantInit(&value);
    value.vt = type;
    return value;
}

Arguments& Arguments::Long(LONG value) {
    Add(VT_I4).lVal = value;
    return *this;
}

Arguments& Arguments::Short(SHORT value) {
    Add(VT_I2).iVal = value;
    return *this;
}

Arguments& Arguments::Text(const std::wstring& value) {
    Add(VT_BSTR).bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *this;
}

Arguments& Arguments::LongRef(LONG* variable) {
    Add(VT_BYREF | VT_I4).plVal = variable;
    return *this;
}

Arguments& Arguments::VariantRef(VARIANT* variable) {
    Add(VT_BYREF | VT_VARIANT).pvarVal = variable;
    return *this;
}

DISPPARAMS Arguments::Params() {
    reversed_.assign(values_.rbegin(), values_.rend());
    return {reversed_.data(), nullptr, static_cast<UINT>(reversed_.size()), 0};
}

HRESULT Call(IDispatch& object, DISPID id, Arguments& arguments, VARIANT* result) {
    DISPPARAMS params = arguments.Params();
    UINT argumentError = 0;
    return object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                         nullptr, &argumentError);
}

void ControlTest::SetUp() {
    WorkDirTest::SetUp();
    CLSID clsid = {};
    ASSERT_EQ(CLSIDFromProgID(L"ZELMAR.ZelmarCtrl.1", &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control_)),
              S_OK);
}

void ControlTest::TearDown() {
    events_.Reset();
    control_.Reset();
    WorkDirTest::TearDown();
}

LONG ControlTest::Status(DISPID id, Arguments& arguments) {
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(Call(*control_.Get(), id, arguments, &result), S_OK) << "dispatch id " << id;
    EXPECT_EQ(result.vt, VT_I4);
    return result.lVal;
}

void ControlTest::Connect() {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control_.As(&container), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID__DZelmarEvents, &events_), S_OK);
    ASSERT_EQ(events_->Advise(&sink_, &cookie_), S_OK);
}

}  // namespace zelmar::test

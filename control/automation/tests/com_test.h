// Helpers of the control's tests under Wine: the module under test, child
// processes, and dispatch calls with arguments that own their values.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace zelmar::test {

using Microsoft::WRL::ComPtr;

// The full path of a file in this test program's own directory, where the
// build puts Zelmar.ocx.
std::wstring BesideThisProgram(const wchar_t* name);

// Runs a program and waits for it; its output and errors go to `output`.
// The exit code, or -1 when it could not start.
long RunProgram(const std::wstring& commandLine, const std::wstring& directory,
                std::string& output);

// The caller's text as the control reads names: the system code page.
std::string SystemCodePage(const std::wstring& text);

// OLE for the life of a test, on the test's thread.
class OleApartment {
  public:
    OleApartment() { OleInitialize(nullptr); }
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;
    ~OleApartment() { OleUninitialize(); }
};

// The arguments of one dispatch call, first parameter first.
class Arguments {
  public:
    Arguments() = default;
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    ~Arguments();

    Arguments& Long(LONG value);
    Arguments& Short(SHORT value);
    Arguments& Text(const std::wstring& value);
    Arguments& LongRef(LONG* variable);
    Arguments& VariantRef(VARIANT* variable);

    DISPPARAMS Params();

  private:
    VARIANT& Add(VARTYPE type);

    std::vector<VARIANT> values_;    // in call order
    std::vector<VARIANT> reversed_;  // as IDispatch::Invoke takes them
};

// Calls dispatch id `id` as a method.
HRESULT Call(IDispatch& object, DISPID id, Arguments& arguments, VARIANT* result);

}  // namespace zelmar::test

// Helpers of the control's tests under Wine: the module under test, child
// processes, and dispatch calls with arguments that own their values.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "dispatch_ids.h"
#include "work_dir.h"
#include "zelmar_h.h"

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

// The text written to the debug output while an instance lives (as the
// system code page carries it: Wine passes the narrow form).
class DebugOutput {
  public:
    DebugOutput() : handler_(AddVectoredExceptionHandler(1, &Catch)) { Text().clear(); }
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;
    ~DebugOutput() { RemoveVectoredExceptionHandler(handler_); }
    static std::string& Text() {
        static std::string text;
        return text;
    }

  private:
    static LONG CALLBACK Catch(EXCEPTION_POINTERS* exception) {
        const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
        if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2) {
            Text() += reinterpret_cast<const char*>(record.ExceptionInformation[1]);
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    void* handler_;
};

// Records every Progress(Data) it receives. Script hosts' sinks answer only
// IDispatch, not the event interface's id.
class ProgressSink final : public IDispatch {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid != IID_IUnknown && riid != IID_IDispatch &&
            (riid != DIID__DZelmarEvents || !knowsEvents)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }  // lives in the test's fixture
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (id == ZELMAR_DISPID_PROGRESS && params->cArgs == 1 && params->rgvarg[0].vt == VT_I4) {
            received.push_back(params->rgvarg[0].lVal);
        }
        return S_OK;
    }

    std::vector<LONG> received;
    bool knowsEvents = true;
};

// A test that talks to a new control, created by its program id, as a host
// does, in a fresh working directory.
class ControlTest : public WorkDirTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    static std::wstring Wide(const std::string& text) {
        return std::wstring(text.begin(), text.end());
    }
    // A method that returns a long: its status.
    LONG Status(DISPID id, Arguments& arguments);
    // Connects `sink_` to Progress until the test ends.
    void Connect();

    OleApartment ole_;
    ProgressSink sink_;  // outlives the control's hold on it
    ComPtr<IDispatch> control_;
    ComPtr<IConnectionPoint> events_;
    DWORD cookie_ = 0;
};

}  // namespace zelmar::test

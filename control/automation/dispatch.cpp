#include "dispatch.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/trace.h"
#include "module.h"
#include "win32/text.h"

namespace zelmar::automation {

namespace {

// The caller's arguments, with each variable that came by reference as a
// VARIANT replaced: by its value for an input, by a value of the parameter's
// type for an output, which goes back into the variable after the call.
class Arguments {
  public:
    explicit Arguments(const DISPPARAMS& params)
        : params_(params),
          args_(params.rgvarg, params.rgvarg + params.cArgs),
          values_(params.cArgs) {
        params_.rgvarg = args_.data();
        for (VARIANT& value : values_)
            VariantInit(&value);
    }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    ~Arguments() {
        for (VARIANT& value : values_)
            VariantClear(&value);
    }

    HRESULT Unwrap(const FUNCDESC& function, UINT* argumentError);
    DISPPARAMS* Params() { return &params_; }
    void WriteBack() {
        for (const auto& [variable, value] : outputs_)
            VariantCopy(variable, value);
    }

  private:
    // The method's parameter that argument `i` stands for; -1 for none.
    int Parameter(UINT i, const FUNCDESC& function) const {
        const int parameter = i < params_.cNamedArgs ? params_.rgdispidNamedArgs[i]
                                                     : static_cast<int>(params_.cArgs - 1 - i);
        return parameter < function.cParams ? parameter : -1;
    }

    DISPPARAMS params_;
    std::vector<VARIANTARG> args_;
    std::vector<VARIANT> values_;
    std::vector<std::pair<VARIANT*, VARIANT*>> outputs_;  // (variable, value)
};

HRESULT Arguments::Unwrap(const FUNCDESC& function, UINT* argumentError) {
    for (UINT i = 0; i < params_.cArgs; ++i) {
        VARIANTARG& arg = args_[i];
        const int parameter = Parameter(i, function);
        if (arg.vt != (VT_BYREF | VT_VARIANT) || !arg.pvarVal || parameter < 0) continue;
        const TYPEDESC& type = function.lprgelemdescParam[parameter].tdesc;
        VARIANT* variable = arg.pvarVal;
        VARIANT& value = values_[i];
        const bool output = type.vt == VT_PTR;
        const HRESULT hr = output ? VariantChangeType(&value, variable, 0, type.lptdesc->vt)
                                  : VariantCopyInd(&value, variable);
        if (FAILED(hr)) {
            if (argumentError) *argumentError = i;
            return DISP_E_TYPEMISMATCH;
        }
        if (output) {
            arg.vt = static_cast<VARTYPE>(VT_BYREF | value.vt);
            arg.byref = &value.lVal;  // every member of the value's union starts here
            outputs_.emplace_back(variable, &value);
        } else {
            arg = value;
        }
    }
    return S_OK;
}

std::string Utf8(BSTR text) {
    return win32::Utf8Text(std::wstring_view(text, SysStringLen(text)));
}

// An argument or a result as the trace shows it: a text in quotes, any other
// value as its text; "&" before a variable passed by reference.
std::string Shown(const VARIANT& value) {
    const std::string reference = (value.vt & VT_BYREF) ? "&" : "";
    win32::UniqueVariant plain;
    if (FAILED(VariantCopyInd(plain.put(), const_cast<VARIANT*>(&value)))) return reference + "?";
    if (plain.get().vt == VT_BSTR) return reference + '"' + Utf8(plain.get().bstrVal) + '"';
    if (plain.get().vt == VT_EMPTY) return reference + "empty";
    win32::UniqueVariant text;
    if (FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(&plain.get()), VARIANT_ALPHABOOL,
                                 VT_BSTR))) {
        return reference + "type " + std::to_string(plain.get().vt);
    }
    return reference + Utf8(text.get().bstrVal);
}

// "Name(argument, ...)", the arguments in the method's order.
std::string ShownCall(ITypeInfo* methods, DISPID id, const DISPPARAMS* params) {
    win32::UniqueBstr name;
    UINT names = 0;
    methods->GetNames(id, name.put(), 1, &names);
    std::string call = names == 1 ? Utf8(name.get()) : "id " + std::to_string(id);
    call += '(';
    for (UINT i = params ? params->cArgs : 0; i > 0; --i) {
        call += Shown(params->rgvarg[i - 1]);
        if (i > 1) call += ", ";
    }
    return call + ')';
}

std::string ShownResult(HRESULT hr, const VARIANT* result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
    return result && SUCCEEDED(hr) ? std::string(code) + " " + Shown(*result) : code;
}

}  // namespace

HRESULT MethodDispatcher::Load() {
    win32::ComPtr<ITypeLib> library;
    HRESULT hr = ModuleTypeLib(library);
    if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(IID_IZelmarMethods, &methods_);
    if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(DIID__DZelmar, &shown_);
    if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(CLSID_Zelmar, &coclass_);
    return hr;
}

HRESULT MethodDispatcher::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const {
    return DispGetIDsOfNames(methods_.Get(), names, count, ids);
}

HRESULT MethodDispatcher::Invoke(IZelmarMethods* target, DISPID id, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) const {
    if (TraceOn()) Trace("dispatch", ShownCall(methods_.Get(), id, params));
    const HRESULT hr = InvokeMethod(target, id, flags, params, result, exception, argumentError);
    if (TraceOn()) {
        Trace("dispatch", ShownCall(methods_.Get(), id, params), "->", ShownResult(hr, result));
    }
    return hr;
}

HRESULT MethodDispatcher::InvokeMethod(IZelmarMethods* target, DISPID id, WORD flags,
                                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                       UINT* argumentError) const {
    win32::ComPtr<ITypeInfo2> info;
    UINT index = 0;
    FUNCDESC* function = nullptr;
    if (FAILED(methods_.As(&info)) || FAILED(info->GetFuncIndexOfMemId(id, INVOKE_FUNC, &index)) ||
        FAILED(info->GetFuncDesc(index, &function))) {
        return DISP_E_MEMBERNOTFOUND;
    }
    DISPPARAMS none = {};
    Arguments arguments(params ? *params : none);
    HRESULT hr = arguments.Unwrap(*function, argumentError);
    info->ReleaseFuncDesc(function);
    if (FAILED(hr)) return hr;
    hr = DispInvoke(target, methods_.Get(), id, flags, arguments.Params(), result, exception,
                    argumentError);
    if (SUCCEEDED(hr)) arguments.WriteBack();
    return hr;
}

}  // namespace zelmar::automation

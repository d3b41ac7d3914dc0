#include "events.h"

#include <algorithm>

#include "dispatch_ids.h"
#include "module.h"
#include "zelmar_h.h"

namespace zelmar::automation {

STDMETHODIMP ProgressEvents::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ProgressEvents::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = DIID__DZelmarEvents;
    return S_OK;
}

STDMETHODIMP ProgressEvents::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = &container_;
    container_.AddRef();
    return S_OK;
}

STDMETHODIMP ProgressEvents::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    // Script hosts and many containers advise a sink that answers only IDispatch.
    win32::ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(DIID__DZelmarEvents, &events)) &&
        FAILED(sink->QueryInterface(IID_IDispatch, &events))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    return win32::Guarded([&] {
        sinks_.emplace_back(lastCookie_ + 1, events);
        *cookie = ++lastCookie_;
        return S_OK;
    });
}

STDMETHODIMP ProgressEvents::Unadvise(DWORD cookie) {
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [cookie](const auto& sink) { return sink.first == cookie; });
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    sinks_.erase(found);
    return S_OK;
}

STDMETHODIMP ProgressEvents::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

void ProgressEvents::Fire(std::int32_t data) {
    if (frozen_ > 0) return;
    // A sink may unadvise from its handler: call the ones connected now.
    const auto sinks = sinks_;
    for (const auto& sink : sinks) {
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_I4;
        argument.lVal = data;
        DISPPARAMS params = {&argument, nullptr, 1, 0};
        sink.second->Invoke(ZELMAR_DISPID_PROGRESS, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                            &params, nullptr, nullptr, nullptr);
    }
}

}  // namespace zelmar::automation

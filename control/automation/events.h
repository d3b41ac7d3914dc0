// The control's connection point for _DZelmarEvents and its one event,
// Progress(Data).
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "win32/com_owners.h"

namespace zelmar::automation {

class ProgressEvents final : public IConnectionPoint {
  public:
    // The connection point shares the control's reference count.
    explicit ProgressEvents(IConnectionPointContainer& container) : container_(container) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_.Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    // Calls Progress(data) on every connected sink, now, on this thread;
    // nothing while the container has frozen the events.
    void Fire(std::int32_t data);
    void Freeze(bool freeze) { frozen_ = freeze ? frozen_ + 1 : std::max(frozen_ - 1, 0); }

  private:
    IConnectionPointContainer& container_;
    std::vector<std::pair<DWORD, win32::ComPtr<IDispatch>>> sinks_;
    DWORD lastCookie_ = 0;
    int frozen_ = 0;
};

}  // namespace zelmar::automation

// A top-level window for the tests with the application's control site,
// which activates a control in place at a given rectangle of its client area.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <memory>

#include "control_site.h"
#include "win32/window_owners.h"

namespace zelmar::test {

class Container {
  public:
    explicit Container(const RECT& position);

    HWND Window() const { return window_.get(); }
    // Gives `control` the site and activates it in place. The container
    // closes its control and takes its site back when it goes.
    HRESULT Place(IOleObject& control) { return site_->Place(control); }
    bool Deactivated() const { return site_->Deactivated(); }

  private:
    win32::UniqueWindow window_;  // outlives the site
    std::unique_ptr<orvenna::ControlSite> site_;
};

}  // namespace zelmar::test

// The Zelmar control's methods by dispatch id, through its IDispatch: the
// window does not link the control's code. Text goes as BSTRs, the 16-bit
// numbers as VT_I2, BitmapInfo's outputs as VT_BYREF | VT_I4.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <wrl/client.h>

#include <vector>

#include "services.h"

namespace orvenna {

class ControlClient final : public LogoControl {
  public:
    // The hosted control; until then, and without one, every call fails.
    void Attach(IDispatch* control) { control_ = control; }

    int32_t BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height,
                       int32_t& width) override;
    std::string Preview(const std::string& path, int imageMode, int brightness,
                        int rotation) override;
    int32_t PrintDriverUpload(const std::string& printer, const std::string& images,
                              const std::string& top, const std::string& bottom, int topLogo,
                              int bottomLogo, int imageMode, int brightness, int rotation) override;
    int32_t EraserAll(const std::string& printer, int mode) override;

  private:
    class Arguments;
    // Calls method `id`; false when the call fails or the result is not of
    // `type`.
    bool Call(DISPID id, Arguments& arguments, VARTYPE type, VARIANT& result);
    int32_t Status(DISPID id, Arguments& arguments);

    Microsoft::WRL::ComPtr<IDispatch> control_;
};

}  // namespace orvenna

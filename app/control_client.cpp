#include "control_client.h"

#include "dispatch_ids.h"
#include "platform.h"
#include "win32/com_owners.h"

namespace orvenna {

namespace {

// What a call that does not reach the control reports: nothing could be
// opened.
constexpr int32_t kNotReached = -1;

}  // namespace

// The arguments of one call, first parameter first, owning their values.
class ControlClient::Arguments {
  public:
    Arguments() = default;
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    ~Arguments() {
        for (VARIANT& value : values_)
            VariantClear(&value);
    }

    Arguments& Text(const std::string& utf8) {
        const std::wstring wide = Wide(utf8);
        Add(VT_BSTR).bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        return *this;
    }
    Arguments& Short(int value) {
        Add(VT_I2).iVal = static_cast<SHORT>(value);
        return *this;
    }
    Arguments& LongRef(LONG* variable) {
        Add(VT_BYREF | VT_I4).plVal = variable;
        return *this;
    }
    // IDispatch::Invoke takes them last first.
    DISPPARAMS Params() {
        reversed_.assign(values_.rbegin(), values_.rend());
        return {reversed_.data(), nullptr, static_cast<UINT>(reversed_.size()), 0};
    }

  private:
    VARIANT& Add(VARTYPE type) {
        VARIANT& value = values_.emplace_back();
        VariantInit(&value);
        value.vt = type;
        return value;
    }

    std::vector<VARIANT> values_;
    std::vector<VARIANT> reversed_;  // shallow copies, owned by values_
};

bool ControlClient::Call(DISPID id, Arguments& arguments, VARTYPE type, VARIANT& result) {
    if (!control_) return false;
    DISPPARAMS params = arguments.Params();
    UINT argumentError = 0;
    const HRESULT hr = control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                        &result, nullptr, &argumentError);
    return SUCCEEDED(hr) && result.vt == type;
}

int32_t ControlClient::Status(DISPID id, Arguments& arguments) {
    zelmar::win32::UniqueVariant result;
    if (!Call(id, arguments, VT_I4, *result.put())) return kNotReached;
    return result.get().lVal;
}

int32_t ControlClient::BitmapInfo(const std::string& path, int32_t& bitsPixel, int32_t& height,
                                  int32_t& width) {
    LONG bits = bitsPixel, rows = height, columns = width;
    Arguments arguments;
    arguments.Text(path).LongRef(&bits).LongRef(&rows).LongRef(&columns);
    const int32_t status = Status(ZELMAR_DISPID_BITMAP_INFO, arguments);
    bitsPixel = bits;
    height = rows;
    width = columns;
    return status;
}

std::string ControlClient::Preview(const std::string& path, int imageMode, int brightness,
                                   int rotation) {
    Arguments arguments;
    arguments.Text(path).Short(imageMode).Short(brightness).Short(rotation);
    zelmar::win32::UniqueVariant result;
    if (!Call(ZELMAR_DISPID_PREVIEW, arguments, VT_BSTR, *result.put())) return {};
    const BSTR shown = result.get().bstrVal;
    return Utf8(std::wstring(shown, SysStringLen(shown)));
}

int32_t ControlClient::PrintDriverUpload(const std::string& printer, const std::string& images,
                                         const std::string& top, const std::string& bottom,
                                         int topLogo, int bottomLogo, int imageMode, int brightness,
                                         int rotation) {
    Arguments arguments;
    arguments.Text(printer).Text(images).Text(top).Text(bottom);
    arguments.Short(topLogo).Short(bottomLogo).Short(imageMode).Short(brightness).Short(rotation);
    return Status(ZELMAR_DISPID_PRINT_DRIVER_UPLOAD, arguments);
}

int32_t ControlClient::EraserAll(const std::string& printer, int mode) {
    Arguments arguments;
    arguments.Text(printer).Short(mode);
    return Status(ZELMAR_DISPID_ERASER_ALL, arguments);
}

}  // namespace orvenna

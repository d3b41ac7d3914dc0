#include <windows.h>

#include <setupapi.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "port_file_win32.h"
#include "transports.h"

namespace zelmar::links {

namespace {

// The USB printing device-interface class.
constexpr GUID kUsbPrintClass = {
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};
constexpr char kPrinterSuffix[] = "\\USB0/4";
// Enumeration ends with ERROR_NO_MORE_ITEMS; this bounds a set that never says so.
constexpr DWORD kMaxInterfaces = 256;

// The detail record's size field: 5 on 32-bit Windows, 8 on 64-bit.
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == (sizeof(void*) == 8 ? 8 : 5));

// The device-setup functions, taken by name from "SETUPAPI.DLL": it is not
// linked, so that the control loads where it is missing.
struct SetupFunctions {
    decltype(&SetupDiGetClassDevsA) getClassDevs = nullptr;
    decltype(&SetupDiEnumDeviceInterfaces) enumInterfaces = nullptr;
    decltype(&SetupDiGetDeviceInterfaceDetailA) getInterfaceDetail = nullptr;
    decltype(&SetupDiDestroyDeviceInfoList) destroyList = nullptr;

    bool Load(HMODULE library) {
        Take(library, "SetupDiGetClassDevsA", getClassDevs);
        Take(library, "SetupDiEnumDeviceInterfaces", enumInterfaces);
        Take(library, "SetupDiGetDeviceInterfaceDetailA", getInterfaceDetail);
        Take(library, "SetupDiDestroyDeviceInfoList", destroyList);
        return getClassDevs && enumInterfaces && getInterfaceDetail && destroyList;
    }

  private:
    template <typename Function>
    static void Take(HMODULE library, const char* name, Function& function) {
        function =
            reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    }
};

// The device set of the present USB printers, released when it goes.
class PrinterSet {
  public:
    explicit PrinterSet(const SetupFunctions& setup)
        : setup_(setup),
          set_(setup.getClassDevs(&kUsbPrintClass, nullptr, nullptr,
                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
    PrinterSet(const PrinterSet&) = delete;
    PrinterSet& operator=(const PrinterSet&) = delete;
    ~PrinterSet() {
        if (set_ != INVALID_HANDLE_VALUE) setup_.destroyList(set_);
    }

    explicit operator bool() const { return set_ != INVALID_HANDLE_VALUE; }

    // The interface of `index`; false with ERROR_NO_MORE_ITEMS past the last.
    bool Interface(DWORD index, SP_DEVICE_INTERFACE_DATA& entry) const {
        entry = {};
        entry.cbSize = sizeof entry;
        return setup_.enumInterfaces(set_, nullptr, &kUsbPrintClass, index, &entry) != FALSE;
    }

    // The interface's device path; false when it cannot be had, or does not
    // end within the record the library filled.
    bool DevicePath(SP_DEVICE_INTERFACE_DATA& entry, std::string& path) const {
        DWORD needed = 0;
        setup_.getInterfaceDetail(set_, &entry, nullptr, 0, &needed, nullptr);
        constexpr std::size_t kPathAt = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
        if (needed <= kPathAt) return false;
        std::vector<std::uint8_t> record(needed);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(record.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!setup_.getInterfaceDetail(set_, &entry, detail, needed, nullptr, nullptr)) {
            return false;
        }
        const char* text = detail->DevicePath;
        const void* end = std::memchr(text, '\0', needed - kPathAt);
        if (!end) return false;
        path.assign(text, static_cast<const char*>(end));
        return !path.empty();
    }

  private:
    const SetupFunctions& setup_;
    HDEVINFO set_;
};

// The device path of the first present USB printer whose interface opens.
LinkResult FirstPrinterPath(const SetupFunctions& setup, std::string& path) {
    const PrinterSet printers(setup);
    if (!printers) return LastError(LinkError::kOpen);
    for (DWORD index = 0; index < kMaxInterfaces; ++index) {
        SP_DEVICE_INTERFACE_DATA entry;
        if (!printers.Interface(index, entry)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
            continue;
        }
        if (printers.DevicePath(entry, path) && OpenExisting(path, 0)) {
            return LinkResult::Done();
        }
    }
    return LinkResult::Failed(LinkError::kOpen, ERROR_NO_MORE_ITEMS);
}

// The first present USB printer, found through the device-setup library on
// every open; its writes and reads are a device file's, asynchronous.
class UsbPrinter final : public PortFile {
  public:
    LinkResult Open() override {
        Close();
        library_.reset(LoadLibraryA("SETUPAPI.DLL"));
        if (!library_) return LastError(LinkError::kOpen);
        const LinkResult opened = OpenFirstPrinter();
        if (!opened.ok()) library_.reset();
        return opened;
    }

    void Close() override {
        PortFile::Close();
        library_.reset();
    }

  private:
    LinkResult OpenFirstPrinter() {
        SetupFunctions setup;
        if (!setup.Load(library_.get())) {
            return LinkResult::Failed(LinkError::kOpen, ERROR_PROC_NOT_FOUND);
        }
        std::string path;
        const LinkResult found = FirstPrinterPath(setup, path);
        if (!found.ok()) return found;
        win32::UniqueFile port = OpenExisting(path + kPrinterSuffix, FILE_FLAG_OVERLAPPED);
        if (!port) return LastError(LinkError::kOpen);
        return Attach(std::move(port), false);
    }

    win32::UniqueLibrary library_;
};

}  // namespace

std::unique_ptr<Transport> UsbTransport() {
    return std::make_unique<UsbPrinter>();
}

}  // namespace zelmar::links

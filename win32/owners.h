// Owners of Win32 handles and COM resources, so that every path releases them
// and the release lives in one place. Each owner knows its handle's "empty"
// value: INVALID_HANDLE_VALUE for files and ports, INVALID_SOCKET for sockets,
// null for the rest.
#pragma once

#include <winsock2.h>

#include <windows.h>

#include <ole2.h>
#include <winspool.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <type_traits>

namespace zelmar::win32 {

using Microsoft::WRL::ComPtr;

// A handle closed by CloseHandle whose empty value is `Empty`.
template <std::intptr_t Empty>
class UniqueKernelHandle {
  public:
    UniqueKernelHandle() = default;
    explicit UniqueKernelHandle(HANDLE handle) : handle_(handle) {}
    UniqueKernelHandle(UniqueKernelHandle&& other) noexcept : handle_(other.release()) {}
    UniqueKernelHandle& operator=(UniqueKernelHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueKernelHandle() { reset(); }

    static HANDLE empty() { return reinterpret_cast<HANDLE>(Empty); }
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != empty(); }
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = empty();
        return handle;
    }
    void reset(HANDLE handle = empty()) {
        if (handle_ != empty()) CloseHandle(handle_);
        handle_ = handle;
    }

  private:
    HANDLE handle_ = empty();
};

using UniqueFile = UniqueKernelHandle<-1>;  // files, ports and devices
using UniqueEvent = UniqueKernelHandle<0>;  // events and other objects

// A socket, closed by closesocket.
class UniqueSocket {
  public:
    UniqueSocket() = default;
    explicit UniqueSocket(SOCKET socket) : socket_(socket) {}
    UniqueSocket(UniqueSocket&& other) noexcept : socket_(other.release()) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueSocket() { reset(); }

    SOCKET get() const { return socket_; }
    explicit operator bool() const { return socket_ != INVALID_SOCKET; }
    SOCKET release() {
        const SOCKET socket = socket_;
        socket_ = INVALID_SOCKET;
        return socket;
    }
    void reset(SOCKET socket = INVALID_SOCKET) {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = socket;
    }

  private:
    SOCKET socket_ = INVALID_SOCKET;
};

struct LibraryFreer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};
using UniquePrinter = std::unique_ptr<void, PrinterCloser>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueHkey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

struct BstrFreer {
    void operator()(BSTR text) const { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFreer>;

// A VARIANT cleared when it goes.
class UniqueVariant {
  public:
    UniqueVariant() { VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&value_); }
    VARIANT* get() { return &value_; }

  private:
    VARIANT value_;
};

// Hands `object` (which may be null) to a caller, with a reference of its own.
template <typename Interface>
HRESULT ShareOut(Interface* object, Interface** out) {
    if (!out) return E_POINTER;
    *out = object;
    if (object) object->AddRef();
    return S_OK;
}

}  // namespace zelmar::win32

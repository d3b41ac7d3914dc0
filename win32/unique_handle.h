// One owner for every kind of handle, so that every path releases what it
// opened and the release lives in one place. A kind's traits name its handle
// type, the value that holds nothing and how it is closed; the *_owners.h
// headers define the kinds, one platform family each, so that a file includes
// only the system headers it uses.
#pragma once

#include <cstdint>
#include <type_traits>

namespace zelmar::win32 {

template <typename Traits>
class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Empty(); }
    Handle release() {
        const Handle handle = handle_;
        handle_ = Traits::Empty();
        return handle;
    }
    void reset(Handle handle = Traits::Empty()) {
        if (handle_ != Traits::Empty()) Traits::Close(handle_);
        handle_ = handle;
    }
    // For a function that returns a handle through a pointer: closes what is
    // held and gives the address of the empty handle, which the owner then
    // holds. A function that fails leaves it empty (it writes nothing or the
    // empty value), so a failure needs no clean-up.
    Handle* put() {
        reset();
        return &handle_;
    }

  private:
    Handle handle_ = Traits::Empty();
};

// The traits of a kind closed by `Closer`, whose empty value is `EmptyValue`
// as a handle (-1 is INVALID_HANDLE_VALUE for pointers, INVALID_SOCKET for
// sockets).
template <typename H, auto Closer, std::intptr_t EmptyValue = 0>
struct HandleTraits {
    using Handle = H;
    static Handle Empty() {
        if constexpr (std::is_pointer_v<Handle>) {
            return reinterpret_cast<Handle>(EmptyValue);
        } else {
            return static_cast<Handle>(EmptyValue);
        }
    }
    static void Close(Handle handle) { Closer(handle); }
};

}  // namespace zelmar::win32

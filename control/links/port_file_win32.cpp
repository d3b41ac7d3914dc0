#include "port_file_win32.h"

#include <algorithm>

#include "direct_link.h"
#include "ports.h"
#include "transports.h"

namespace zelmar::links {

namespace {

// A pending operation is looked at this often.
constexpr DWORD kPollMs = 10;

// A reply takes what fits one read call.
DWORD Capacity(std::size_t capacity) {
    return static_cast<DWORD>(std::min<std::size_t>(capacity, MAXDWORD));
}

}  // namespace

std::string PortPath(const std::string& port) {
    return ChooseLink(port) == LinkKind::kSerial ? SerialDeviceName(port) : port;
}

LinkResult LastError(LinkError error) {
    return LinkResult::Failed(error, GetLastError());
}

win32::UniqueFile OpenExisting(const std::string& name, DWORD flags) {
    return win32::UniqueFile(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, flags, nullptr));
}

void PurgeAll(HANDLE port) {
    PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void SetPortTimeouts(HANDLE port, DWORD writeMsPerByte, DWORD writeMs) {
    COMMTIMEOUTS timeouts = {};
    GetCommTimeouts(port, &timeouts);
    timeouts.ReadIntervalTimeout = kReadIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = kReadTotalMs;
    timeouts.WriteTotalTimeoutMultiplier = writeMsPerByte;
    timeouts.WriteTotalTimeoutConstant = writeMs;
    SetCommTimeouts(port, &timeouts);
}

LinkResult PortFile::Attach(win32::UniqueFile port, bool blocking) {
    port_ = std::move(port);
    blocking_ = blocking;
    write_ = {};
    read_ = {};
    if (blocking) return LinkResult::Done();
    for (Record* record : {&write_, &read_}) {
        record->event.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!record->event) {
            const LinkResult failed = LastError(LinkError::kOpen);
            Close();
            return failed;
        }
    }
    return LinkResult::Done();
}

void PortFile::Close() {
    port_.reset();
    write_ = {};
    read_ = {};
}

void PortFile::Purge() {
    if (port_) PurgeAll(port_.get());
}

void PortFile::ClearError() const {
    DWORD errors = 0;
    ClearCommError(port_.get(), &errors, nullptr);
}

// Starts an operation with `record` and waits for it, looking every 10 ms;
// one still pending after `limitMs` is cancelled. The record is free again
// when this returns.
template <typename Start>
LinkResult PortFile::Await(Record& record, Start start, LinkError failure, std::uint32_t limitMs,
                           DWORD& transferred) {
    OVERLAPPED& overlapped = record.overlapped;
    overlapped = {};
    overlapped.Offset = static_cast<DWORD>(record.offset);
    overlapped.OffsetHigh = static_cast<DWORD>(record.offset >> 32);
    overlapped.hEvent = record.event.get();
    ResetEvent(overlapped.hEvent);
    if (!start(&overlapped) && GetLastError() != ERROR_IO_PENDING) return LastError(failure);
    const DWORD started = GetTickCount();
    while (!GetOverlappedResult(port_.get(), &overlapped, &transferred, FALSE)) {
        if (GetLastError() != ERROR_IO_INCOMPLETE) return LastError(failure);
        const DWORD waited = GetTickCount() - started;
        if (waited >= limitMs) {
            CancelIo(port_.get());
            // It may have completed before the cancel took.
            if (!GetOverlappedResult(port_.get(), &overlapped, &transferred, TRUE)) {
                return LinkResult::Failed(failure, ERROR_TIMEOUT);
            }
            break;
        }
        WaitForSingleObject(overlapped.hEvent, std::min<DWORD>(kPollMs, limitMs - waited));
    }
    record.offset += transferred;
    return LinkResult::Done();
}

LinkResult PortFile::Write(const std::uint8_t* data, std::size_t size, std::uint32_t limitMs) {
    if (!port_) return LinkResult::Failed(LinkError::kWrite, ERROR_INVALID_HANDLE);
    if (size > MAXDWORD) return LinkResult::Failed(LinkError::kWrite, ERROR_INVALID_PARAMETER);
    const auto count = static_cast<DWORD>(size);
    DWORD written = 0;
    if (blocking_) {
        // The port's write time-outs bound it.
        if (!WriteFile(port_.get(), data, count, &written, nullptr)) {
            return LastError(LinkError::kWrite);
        }
    } else {
        const LinkResult done = Await(
            write_,
            [&](OVERLAPPED* overlapped) {
                return WriteFile(port_.get(), data, count, nullptr, overlapped);
            },
            LinkError::kWrite, limitMs > 0 ? limitMs : kDeviceWriteLimitMs, written);
        if (!done.ok()) {
            ClearError();
            return done;
        }
    }
    // A write the port's time-out cut short.
    if (written != count) return LinkResult::Failed(LinkError::kWrite, ERROR_TIMEOUT);
    return LinkResult::Done();
}

LinkResult PortFile::Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
                          std::uint32_t timeoutMs) {
    received = 0;
    if (!port_) return LinkResult::Done();
    const DWORD count = Capacity(capacity);
    DWORD got = 0;
    if (blocking_) {
        // The port's read time-outs bound it.
        if (!ReadFile(port_.get(), buffer, count, &got, nullptr)) {
            return LastError(LinkError::kStatus);
        }
    } else {
        // Only what waits in the port's input queue; a device that keeps no
        // queue has nothing.
        DWORD errors = 0;
        COMSTAT status = {};
        if (!ClearCommError(port_.get(), &errors, &status) || status.cbInQue == 0) {
            return LinkResult::Done();
        }
        // The read time-outs end the read; the limit is for a device that
        // keeps none.
        const LinkResult done = Await(
            read_,
            [&](OVERLAPPED* overlapped) {
                return ReadFile(port_.get(), buffer, count, nullptr, overlapped);
            },
            LinkError::kStatus, kReadTotalMs + timeoutMs, got);
        if (!done.ok()) {
            PurgeAll(port_.get());
            ClearError();
            return done;
        }
    }
    received = std::min<std::size_t>(got, capacity);
    return LinkResult::Done();
}

}  // namespace zelmar::links

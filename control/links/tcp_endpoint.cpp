#include "tcp_endpoint.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zelmar::links {

namespace {

// The C locale's classes, whatever the process's locale.
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a digit in bases up to 16; 16 for anything else.
unsigned DigitValue(char c) {
    if (IsDigit(c)) return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 16;
}

// One part of a dotted address: decimal, octal (0...) or hexadecimal (0x...).
bool ReadPart(const std::string& text, std::size_t& at, std::uint64_t& value) {
    unsigned base = 10;
    if (at < text.size() && text[at] == '0') {
        base = 8;
        if (at + 1 < text.size() && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
            base = 16;
            at += 2;
        }
    }
    const std::size_t start = at;
    value = 0;
    for (; at < text.size(); ++at) {
        const unsigned digit = DigitValue(text[at]);
        if (digit == 16 || (base != 16 && !IsDigit(text[at]))) break;
        if (digit >= base) return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) return false;
    }
    // "0x" alone is no number; a lone "0" is (it read as octal).
    return at > start || base == 8;
}

std::uint32_t ParseAddress(const std::string& text) {
    std::uint64_t parts[4];
    std::size_t count = 0, at = 0;
    while (true) {
        if (count == 4 || !ReadPart(text, at, parts[count])) return kNoAddress;
        ++count;
        if (at < text.size() && text[at] == '.') {
            ++at;
            continue;
        }
        break;
    }
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    if (at != text.size()) return kNoAddress;
    // The last part fills the bytes the others leave.
    const unsigned lastBits = 32 - 8 * static_cast<unsigned>(count - 1);
    std::uint64_t address = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (parts[i] > 0xFF) return kNoAddress;
        address = address << 8 | parts[i];
    }
    if (lastBits < 32 && parts[count - 1] >> lastBits) return kNoAddress;
    address = address << lastBits | parts[count - 1];
    return static_cast<std::uint32_t>(address);
}

// The leading decimal number, as the C library's conversion reads it,
// clamped to the range of an int.
std::int64_t LeadingNumber(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = std::min<std::int64_t>(value * 10 + (text[at] - '0'), kLimit + 1);
    }
    return negative ? -value : std::min(value, kLimit);
}

std::string FailureText(ConnectFailure failure, const TcpEndpoint& endpoint, std::uint32_t error,
                        std::string& caption) {
    switch (failure) {
        case ConnectFailure::kStartup:
            caption = "WSAStartup error";
            return "Unable to start TCP/IP stack";
        case ConnectFailure::kVersion:
            caption = "WSAStartup Version Warning";
            return "wrong version of protocol stack, need 2.0";
        case ConnectFailure::kVersionCleanup:
            caption = "WSACleanup error";
            return "WSACleanup, error " + std::to_string(error);
        case ConnectFailure::kSocket:
            caption = "확인";
            return "OutSock 소켓생성 에러";
        case ConnectFailure::kConnect:
            caption = "POSPrinter IP & Port Check";
            return "Fail to Connection to POSPrinter(IP=" + endpoint.addressText +
                   " Port=" + std::to_string(endpoint.port) + ")";
    }
    return {};
}

}  // namespace

TcpEndpoint ParseTcpEndpoint(const std::string& ipAddress, const std::string& portNumber) {
    return {ipAddress, ParseAddress(ipAddress),
            static_cast<std::uint16_t>(static_cast<std::uint64_t>(LeadingNumber(portNumber)))};
}

void ShowConnectFailure(MessageSink& messages, ConnectFailure failure, const TcpEndpoint& endpoint,
                        std::uint32_t error) {
    std::string caption;
    const std::string text = FailureText(failure, endpoint, error, caption);
    messages.ShowMessage(text, caption);
}

}  // namespace zelmar::links

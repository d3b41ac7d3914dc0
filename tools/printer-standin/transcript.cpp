#include "transcript.h"

#include <cstdio>

namespace standin {

namespace {

const char* RoleName(int role) {
    switch (static_cast<Role>(role)) {
        case Role::kTopLogo:
            return "top logo";
        case Role::kBottomLogo:
            return "bottom logo";
        case Role::kWaterMark:
            return "watermark";
        case Role::kMarginMessage:
            return "margin message";
    }
    return "?";
}

}  // namespace

std::string JsonEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

void JsonLine::Key(std::string_view key) {
    if (text_.size() > 1) text_ += ',';
    text_ += '"';
    text_ += key;
    text_ += "\":";
}

void StreamTranscript::Write(const JsonLine& line) {
    out_ << line.Text() << '\n' << std::flush;
}

JsonLine& JsonLine::Add(std::string_view key, long long value) {
    Key(key);
    text_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, std::string_view text) {
    Key(key);
    text_ += '"';
    text_ += JsonEscape(text);
    text_ += '"';
    return *this;
}

JsonLine& JsonLine::AddFlag(std::string_view key, bool value) {
    Key(key);
    text_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::AddHex(std::string_view key, const Bytes& bytes, std::size_t limit) {
    static const char kDigits[] = "0123456789abcdef";
    Key(key);
    text_ += '"';
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        text_ += kDigits[bytes[i] >> 4];
        text_ += kDigits[bytes[i] & 15];
    }
    if (bytes.size() > limit) text_ += "...";
    text_ += '"';
    return *this;
}

void Describe(const Command& command, JsonLine& line) {
    line.Add("offset", static_cast<long long>(command.offset));
    if (command.op == Op::kError) line.Add("error", command.detail);
    switch (command.op) {
        case Op::kText:
            line.Add("command", "text")
                .Add("text", std::string_view(reinterpret_cast<const char*>(command.data.data()),
                                              command.data.size()));
            return;
        case Op::kNul:
            line.Add("command", "NUL").Add("count", static_cast<long long>(command.data.size()));
            return;
        default:
            break;
    }
    if (*command.mnemonic) line.Add("command", command.mnemonic);
    for (const Argument& a : command.args) {
        if (a.key == Key::kRole) {
            line.Add(KeyName(a.key), RoleName(a.value));
        } else {
            line.Add(KeyName(a.key), a.value);
        }
    }
    if (command.op == Op::kError) {
        if (!command.head.empty()) {
            line.AddHex("bytes", command.head);
        } else if (!command.data.empty()) {  // a run of bytes not understood
            line.AddHex("bytes", command.data);
            line.Add("count", static_cast<long long>(command.data.size()));
        }
    } else if (command.op == Op::kBarcode) {
        line.Add("data", std::string_view(reinterpret_cast<const char*>(command.data.data()),
                                          command.data.size()));
    } else if (!command.data.empty()) {
        line.Add("data_bytes", static_cast<long long>(command.data.size()));
    }
}

}  // namespace standin

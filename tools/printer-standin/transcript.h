// The printer's transcript: one JSON object per line for every command it
// read, what it did about it, and every error.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "parser.h"

namespace standin {

// One JSON object, built field by field in order.
class JsonLine {
  public:
    JsonLine() { text_.reserve(128); }  // room for most lines, so one allocation
    JsonLine& Add(std::string_view key, long long value);
    JsonLine& Add(std::string_view key, std::string_view text);
    JsonLine& AddFlag(std::string_view key, bool value);
    JsonLine& AddHex(std::string_view key, const Bytes& bytes, std::size_t limit = 32);
    std::string Text() const { return text_ + "}"; }

  private:
    void Key(std::string_view key);
    std::string text_ = "{";
};

// JSON string content: quotes, backslashes and control characters escaped,
// bytes from 0x80 up as the Latin-1 characters of the same number.
std::string JsonEscape(std::string_view text);

// Adds the fields of a command: its offset, mnemonic, arguments and data size,
// or, for an error, the error and the bytes concerned.
void Describe(const Command& command, JsonLine& line);

class Transcript {
  public:
    virtual ~Transcript() = default;
    virtual void Write(const JsonLine& line) = 0;
};

// Writes each line at once, so that a reader never waits for a buffer.
class StreamTranscript : public Transcript {
  public:
    explicit StreamTranscript(std::ostream& out) : out_(out) {}
    void Write(const JsonLine& line) override;

  private:
    std::ostream& out_;
};

// Keeps the lines, for tests and tools.
class MemoryTranscript : public Transcript {
  public:
    void Write(const JsonLine& line) override { lines.push_back(line.Text()); }
    std::vector<std::string> lines;
};

}  // namespace standin

// The options of a command, each declared once: its name, what its value is,
// the value when it is not given and its help. One loop reads a command line
// against them ("--name value" or "--name=value"), says in one line what is
// wrong with it, and their declarations write the option lines of --help.
//
//   Int16("mode", "M", ImageOptions{}.imageMode, "0 None (default), ...")
//   Int32("width", "N", kPaperWidth, "fit to at most N dots").Within(1, 616)
//   Int16("as", "ROLE", 0, "top, bottom, ...").Named(kRoles)
//   Text("printer", "NAME", "the installed printer").Needed()
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <limits>
#include <string>
#include <vector>

namespace zelmar::cli {

enum class Kind { kFlag, kText, kInt16, kInt32 };

// A word that stands for a number: `constexpr Word kRoles[] = {{"top", 0}, ...};`.
struct Word {
    const char* text;
    int32_t number;
};

struct Option {
    const char* name;  // "mode" for --mode
    Kind kind;
    const char* placeholder;      // the value in the help: "M"; "" for a flag
    int32_t fallback;             // a number's value when not given
    const char* help;             // lines joined by '\n'
    long long low = 0, high = 0;  // the numbers taken; within the kind's range
    bool needed = false;          // the command cannot go without it
    const Word* words = nullptr;  // words taken beside the numbers
    std::size_t wordCount = 0;

    // The numbers outside low ... high are refused: "--name must be low to high".
    constexpr Option Within(long long least, long long most) const {
        Option narrowed = *this;
        narrowed.low = least;
        narrowed.high = most;
        return narrowed;
    }
    // A command line without it (or, for text, with an empty one) is refused.
    constexpr Option Needed() const {
        Option needing = *this;
        needing.needed = true;
        return needing;
    }
    // The words of `table` are taken beside the numbers: --as top for --as 0.
    template <std::size_t N>
    constexpr Option Named(const Word (&table)[N]) const {
        Option named = *this;
        named.words = table;
        named.wordCount = N;
        return named;
    }
};

constexpr Option Flag(const char* name, const char* help) {
    return {name, Kind::kFlag, "", 0, help};
}
constexpr Option Text(const char* name, const char* placeholder, const char* help) {
    return {name, Kind::kText, placeholder, 0, help};
}

// The range of the method argument that a number of this kind feeds.
constexpr long long Lowest(Kind kind) {
    return kind == Kind::kInt16 ? std::numeric_limits<int16_t>::min()
                                : std::numeric_limits<int32_t>::min();
}
constexpr long long Highest(Kind kind) {
    return kind == Kind::kInt16 ? std::numeric_limits<int16_t>::max()
                                : std::numeric_limits<int32_t>::max();
}
constexpr Option Number(const char* name, Kind kind, const char* placeholder, int32_t fallback,
                        const char* help) {
    return {name, kind, placeholder, fallback, help, Lowest(kind), Highest(kind)};
}
constexpr Option Int16(const char* name, const char* placeholder, int16_t fallback,
                       const char* help) {
    return Number(name, Kind::kInt16, placeholder, fallback, help);
}
constexpr Option Int32(const char* name, const char* placeholder, int32_t fallback,
                       const char* help) {
    return Number(name, Kind::kInt32, placeholder, fallback, help);
}

using Options = std::vector<Option>;

// How many arguments a command takes beside its options.
struct Arguments {
    std::size_t least, most;
};

// The options' values after a command line was read, looked up by name. A
// name that was not declared, or one of another kind, throws std::logic_error.
struct Values {
    struct Value {
        const Option* option;
        bool given;
        std::string text;
        int32_t number;
    };
    std::vector<Value> options;           // one for each declared option, in order
    std::vector<std::string> positional;  // the arguments that are not options

    bool Given(const std::string& name) const { return Find(name).given; }
    const std::string& Text(const std::string& name) const;
    int16_t Int16(const std::string& name) const;
    int32_t Int32(const std::string& name) const;

  private:
    const Value& Find(const std::string& name) const;
    const Value& Find(const std::string& name, Kind kind) const;
};

// What a command line says: `help` for "--help" or "-h" anywhere; otherwise
// `error`, one line, when the line is not one the command takes.
struct Reading {
    Values values;
    bool help = false;
    std::string error;
};
Reading Read(const Options& options, Arguments arguments, const std::vector<std::string>& args);

// The options' lines of --help, their help in one column.
void WriteHelp(const Options& options, std::ostream& out);

}  // namespace zelmar::cli

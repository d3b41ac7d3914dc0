#include "options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ostream>
#include <stdexcept>

namespace zelmar::cli {

namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool LookUpWord(const Option& option, const std::string& text, long long& value) {
    for (std::size_t i = 0; i < option.wordCount; ++i) {
        if (text == option.words[i].text) {
            value = option.words[i].number;
            return true;
        }
    }
    return false;
}

// "top, bottom or " for a table of words, "" without one.
std::string WordChoices(const Option& option) {
    std::string choices;
    for (std::size_t i = 0; i < option.wordCount; ++i) {
        choices += option.words[i].text;
        choices += i + 1 < option.wordCount ? ", " : " or ";
    }
    return choices;
}

// Sets the value from `text`: false with `error` set when the option does not
// take it.
bool Assign(Values::Value& value, const std::string& text, std::string& error) {
    const Option& option = *value.option;
    value.given = true;
    if (option.kind == Kind::kText) {
        value.text = text;
        return true;
    }
    const long long low = Lowest(option.kind), high = Highest(option.kind);
    const std::string name = std::string("--") + option.name;
    long long number = 0;
    if (!LookUpWord(option, text, number) && !ParseNumber(text, low, high, number)) {
        error = name + ": '" + text + "' is not " + WordChoices(option) + "a whole number from " +
                std::to_string(low) + " to " + std::to_string(high);
        return false;
    }
    if (number < option.low || number > option.high) {
        error =
            name + " must be " + std::to_string(option.low) + " to " + std::to_string(option.high);
        return false;
    }
    value.number = static_cast<int32_t>(number);
    return true;
}

// Reads the option that args[i] names, and its value, which may be the next
// argument: false with `error` set when the command does not take them.
bool ReadOption(const std::vector<std::string>& args, std::size_t& i, Values& values,
                std::string& error) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
    const auto value =
        std::find_if(values.options.begin(), values.options.end(), [&](const Values::Value& v) {
            return arg.compare(0, 2, "--") == 0 && v.option->name == name;
        });
    if (value == values.options.end()) {
        error = "unknown option '" + arg + "'";
        return false;
    }
    if (value->option->kind == Kind::kFlag) {
        value->given = true;
        if (equals == std::string::npos) return true;
        error = "--" + name + " takes no value";
        return false;
    }
    if (equals != std::string::npos) return Assign(*value, arg.substr(equals + 1), error);
    if (i + 1 < args.size()) return Assign(*value, args[++i], error);
    error = "--" + name + " needs a value";
    return false;
}

// What the command misses, or has too much of, after the whole line was read.
std::string Incomplete(const Values& values, Arguments arguments) {
    const std::size_t count = values.positional.size();
    if (count < arguments.least || count > arguments.most) {
        const std::string expected = arguments.least == arguments.most
                                         ? std::to_string(arguments.least)
                                         : "at least " + std::to_string(arguments.least);
        return "expected " + expected + " argument(s), got " + std::to_string(count);
    }
    for (const Values::Value& value : values.options) {
        const Option& option = *value.option;
        if (option.needed && (!value.given || (option.kind == Kind::kText && value.text.empty()))) {
            return std::string("--") + option.name + " " + option.placeholder + " is needed";
        }
    }
    return {};
}

}  // namespace

const Values::Value& Values::Find(const std::string& name) const {
    for (const Value& value : options) {
        if (value.option->name == name) return value;
    }
    throw std::logic_error("no option --" + name);
}

const Values::Value& Values::Find(const std::string& name, Kind kind) const {
    const Value& value = Find(name);
    if (value.option->kind != kind) throw std::logic_error("--" + name + " is of another kind");
    return value;
}

const std::string& Values::Text(const std::string& name) const {
    return Find(name, Kind::kText).text;
}

int16_t Values::Int16(const std::string& name) const {
    return static_cast<int16_t>(Find(name, Kind::kInt16).number);
}

int32_t Values::Int32(const std::string& name) const {
    return Find(name, Kind::kInt32).number;
}

Reading Read(const Options& options, Arguments arguments, const std::vector<std::string>& args) {
    Reading reading;
    for (const Option& option : options)
        reading.values.options.push_back({&option, false, "", option.fallback});
    bool onlyPositional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPositional || arg.size() < 2 || arg[0] != '-' || arg == "-") {
            reading.values.positional.push_back(arg);
        } else if (arg == "--") {
            onlyPositional = true;
        } else if (arg == "--help" || arg == "-h") {
            reading.help = true;
        } else if (!ReadOption(args, i, reading.values, reading.error)) {
            return reading;
        }
    }
    if (!reading.help) reading.error = Incomplete(reading.values, arguments);
    return reading;
}

void WriteHelp(const Options& options, std::ostream& out) {
    const auto head = [](const Option& option) {
        std::string text = std::string("  --") + option.name;
        if (*option.placeholder) text += std::string(" ") + option.placeholder;
        return text;
    };
    std::size_t column = 0;
    for (const Option& option : options)
        column = std::max(column, head(option).size() + 2);
    for (const Option& option : options) {
        const std::string first = head(option);
        out << first << std::string(column - first.size(), ' ');
        for (const char* c = option.help; *c; ++c) {
            out << *c;
            if (*c == '\n') out << std::string(column, ' ');
        }
        out << '\n';
    }
}

}  // namespace zelmar::cli

#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace zelmar::cli {

namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

}  // namespace

bool Options::Assign(const Option& option, const std::string& value, std::string& error) const {
    if (option.text) {
        *option.text = value;
        if (option.given) *option.given = true;
        return true;
    }
    const bool narrow = option.int16 != nullptr;
    const long long low =
        narrow ? std::numeric_limits<int16_t>::min() : std::numeric_limits<int32_t>::min();
    const long long high =
        narrow ? std::numeric_limits<int16_t>::max() : std::numeric_limits<int32_t>::max();
    long long number = 0;
    if (!ParseNumber(value, low, high, number)) {
        error = "--" + option.name + ": '" + value + "' is not a whole number from " +
                std::to_string(low) + " to " + std::to_string(high);
        return false;
    }
    if (narrow) {
        *option.int16 = static_cast<int16_t>(number);
    } else {
        *option.int32 = static_cast<int32_t>(number);
    }
    if (option.given) *option.given = true;
    return true;
}

bool Options::Parse(const std::vector<std::string>& args, std::vector<std::string>& positional,
                    bool& help, std::string& error) const {
    help = false;
    bool onlyPositional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPositional || arg.size() < 2 || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyPositional = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        const Option* option = nullptr;
        for (const Option& o : options_) {
            if (arg.compare(0, 2, "--") == 0 && o.name == name) option = &o;
        }
        if (!option) {
            error = "unknown option '" + arg + "'";
            return false;
        }
        const bool flag = !option->text && !option->int16 && !option->int32;
        if (flag) {
            if (equals != std::string::npos) {
                error = "--" + name + " takes no value";
                return false;
            }
            *option->given = true;
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "--" + name + " needs a value";
            return false;
        }
        if (!Assign(*option, value, error)) return false;
    }
    return true;
}

}  // namespace zelmar::cli

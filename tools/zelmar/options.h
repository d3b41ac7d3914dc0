// Options of one subcommand: "--name value" or "--name=value", numbers checked
// against the range of the method argument they feed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelmar::cli {

class Options {
  public:
    void AddInt16(const std::string& name, int16_t* target) { Add(name, target, nullptr, nullptr); }
    // `given`, when not null, tells whether the option was on the command line.
    void AddInt32(const std::string& name, int32_t* target, bool* given = nullptr) {
        Add(name, nullptr, target, nullptr);
        options_.back().given = given;
    }
    void AddText(const std::string& name, std::string* target, bool* given = nullptr) {
        Add(name, nullptr, nullptr, target);
        options_.back().given = given;
    }
    // An option without a value: `given` tells whether it was there.
    void AddFlag(const std::string& name, bool* given) {
        Add(name, nullptr, nullptr, nullptr);
        options_.back().given = given;
    }

    // Fills the targets and `positional`; false with `error` set on a bad
    // option or number. Sets `help` for "--help" or "-h".
    bool Parse(const std::vector<std::string>& args, std::vector<std::string>& positional,
               bool& help, std::string& error) const;

  private:
    struct Option {
        std::string name;
        int16_t* int16 = nullptr;
        int32_t* int32 = nullptr;
        std::string* text = nullptr;
        bool* given = nullptr;
    };
    void Add(const std::string& name, int16_t* a, int32_t* b, std::string* c) {
        options_.push_back(Option{name, a, b, c});
    }
    bool Assign(const Option& option, const std::string& value, std::string& error) const;

    std::vector<Option> options_;
};

}  // namespace zelmar::cli

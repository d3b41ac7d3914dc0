#include "language.h"

#include <algorithm>

namespace orvenna {

namespace {

constexpr unsigned kKoreanCodePage = 949;

const std::vector<std::string>& DriverNames(Language language) {
    static const std::vector<std::string> korean = {"NX-A11", "NX-A20", "NX-A21"};
    static const std::vector<std::string> english = {"ZORAVE DOZUZIZ ADOREDU", "NX-A60"};
    return language == Language::kKorean ? korean : english;
}

}  // namespace

Language LanguageFromCodePage(unsigned codePage) {
    return codePage == kKoreanCodePage ? Language::kKorean : Language::kEnglish;
}

std::vector<std::string> MatchDrivers(const std::vector<std::string>& installed,
                                      Language language) {
    const std::vector<std::string>& names = DriverNames(language);
    std::vector<std::string> matched;
    for (const std::string& printer : installed) {
        if (std::find(names.begin(), names.end(), printer) != names.end()) {
            matched.push_back(printer);
        }
    }
    return matched;
}

}  // namespace orvenna

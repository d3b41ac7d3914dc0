#include "parameters.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>

#include "errors.h"
#include "text.h"

namespace tivrap {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool BeginsWith(std::u16string_view name, std::u16string_view key) {
    return name.size() >= key.size() && EqualsFolded(name.substr(0, key.size()), key);
}

std::optional<std::u16string_view> FindValue(std::u16string_view text, std::u16string_view key) {
    std::size_t end = 0;
    for (std::size_t start = 0; (end = text.find(u';', start)) != text.npos; start = end + 1) {
        const std::u16string_view entry = text.substr(start, end - start);
        const std::size_t equals = entry.find(u'=');
        if (equals != entry.npos && BeginsWith(Trim(entry.substr(0, equals)), key))
            return Trim(entry.substr(equals + 1));
    }
    return std::nullopt;
}

bool Missing(const char16_t* parameters, const char16_t* key, const void* out) {
    return parameters == nullptr || key == nullptr || *key == u'\0' || out == nullptr;
}

}  // namespace

std::uint32_t FindParameterText(const char16_t* parameters, const char16_t* key, char16_t* value,
                                std::size_t capacity) {
    if (Missing(parameters, key, value)) return kErrorInvalidParameter;
    const std::optional<std::u16string_view> found = FindValue(parameters, key);
    if (!found) return kErrorNoData;
    if (found->size() >= capacity) return kErrorInsufficientBuffer;
    *std::copy(found->begin(), found->end(), value) = u'\0';
    return 0;
}

std::uint32_t FindParameterNumber(const char16_t* parameters, const char16_t* key,
                                  std::uint32_t* number) {
    if (Missing(parameters, key, number)) return kErrorInvalidParameter;
    const std::optional<std::u16string_view> found = FindValue(parameters, key);
    if (!found || found->empty() || !IsDigit(found->front())) return kErrorNoData;
    constexpr std::uint32_t kLargest = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < found->size() && IsDigit((*found)[i]); ++i) {
        const std::uint32_t digit = static_cast<std::uint32_t>((*found)[i] - u'0');
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    *number = value;
    return 0;
}

JobSettings ReadJobSettings(const char16_t* parameters, Datatype datatype) {
    JobSettings settings;
    if (parameters == nullptr) return settings;
    FindParameterNumber(parameters, u"COPIES", &settings.copies);
    std::uint32_t tabs = 0;
    if (datatype == Datatype::kText && FindParameterNumber(parameters, u"TABS", &tabs) == 0 &&
        tabs != 0)
        settings.tabSize = tabs;
    return settings;
}

}  // namespace tivrap

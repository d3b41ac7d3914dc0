// The spooler's wide text as the print processor compares it.
#pragma once

#include <string_view>

namespace tivrap {

// Case-insensitive for the Latin letters, exact for everything else: every
// name the print processor matches (datatypes, parameter keys) is ASCII.
char16_t FoldCase(char16_t c);
bool EqualsFolded(std::u16string_view a, std::u16string_view b);

}  // namespace tivrap

#include "text.h"

#include <algorithm>

namespace tivrap {

char16_t FoldCase(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool EqualsFolded(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](auto x, auto y) {
               return FoldCase(x) == FoldCase(y);
           });
}

}  // namespace tivrap

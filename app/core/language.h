// The language mode and the printer drivers it looks for.
#pragma once

#include <string>
#include <vector>

namespace orvenna {

enum class Language { kEnglish, kKorean };

// Decided once at start-up: the system's ANSI code page 949 is Korean mode,
// any other code page English mode.
Language LanguageFromCodePage(unsigned codePage);

// The installed printers whose name equals one of the mode's driver names
// exactly (letter case included), in the platform's order, each once.
std::vector<std::string> MatchDrivers(const std::vector<std::string>& installed, Language language);

}  // namespace orvenna

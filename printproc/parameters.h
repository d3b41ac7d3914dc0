// The parameter text of a job's open data: entries name=value, each ended by
// ";", with blanks and tabs allowed around names and values. An entry matches
// when its name begins with the key, compared without regard to case; an
// entry without its closing ";" does not count.
//
// Lookups return 0 when found, 87 when a required argument is missing, 122
// when the caller's buffer is too small for the value, 232 when no entry
// matches (or, for a number, its value does not begin with a decimal digit).
#pragma once

#include <cstddef>
#include <cstdint>

#include "datatypes.h"

namespace tivrap {

// Copies the value, with its terminator, into `value` of `capacity` characters.
std::uint32_t FindParameterText(const char16_t* parameters, const char16_t* key, char16_t* value,
                                std::size_t capacity);

// Reads the value as an unsigned decimal number; a number too large for 32
// bits reads as the largest one. `number` is left alone unless found.
std::uint32_t FindParameterNumber(const char16_t* parameters, const char16_t* key,
                                  std::uint32_t* number);

// What a job record takes from its parameter text.
struct JobSettings {
    std::uint32_t copies = 1;
    std::uint32_t tabSize = 8;
};

// COPIES for every job; TABS for "TEXT" jobs, when it is not 0.
JobSettings ReadJobSettings(const char16_t* parameters, Datatype datatype);

}  // namespace tivrap

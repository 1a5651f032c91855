#pragma once
// Parsing of the numbers that radtool commands take on their command line.

#include <cstdint>
#include <string>

// Parses a whole decimal or 0x-prefixed hexadecimal integer, optionally preceded by '-', and
// checks that it lies in [min, max]. On failure returns false and puts the reason, fit to follow
// the option's name in a one-line message, in *error; *value is then unchanged.
bool ParseInteger(const std::string& text, std::int64_t min, std::int64_t max,
                  std::int64_t* value, std::string* error);

// The same for any value of 0 to 2^64-1, without sign.
bool ParseUnsigned64(const std::string& text, std::uint64_t* value, std::string* error);

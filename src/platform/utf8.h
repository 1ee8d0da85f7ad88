// The one UTF-8 decoder: the POSIX text conversion's and the screen model's.
// Private to src/platform/ and the tests' in-memory screen.
#pragma once

#include <cstddef>
#include <cstdint>

enum class Utf8 { Character, Incomplete, Malformed };

// The sequence at bytes[i] of `size`: Character with its code point in `c`;
// Incomplete when the bytes end inside a sequence that may still be valid;
// Malformed otherwise. `length` is the bytes the sequence takes: 1 for a bad
// lead or continuation byte, the whole form for an overlong, surrogate or
// out-of-range one.
Utf8 DecodeUtf8(const char* bytes, size_t size, size_t i, uint32_t& c, size_t& length);

// Numbers and block sizes as the user types them on the command line: decimal
// text in the user's number format, read without any locale-dependent library
// call so that the result is the same on every system.
#pragma once

#include <cstdint>
#include <string>

namespace modMain {

// The user's decimal separator (LOCALE_SDECIMAL); "." when the system gives
// none.
std::wstring UserDecimalSeparator();

enum NumberVerdict { NumberOk, NumberNotNumeric, NumberOverflow };

// Reads text as a number and rounds it to a whole number, halves to the even
// neighbour (1.5 -> 2, 2.5 -> 2). A number is: optional spaces, an optional
// sign, decimal digits with an optional decimal separator and fraction (at
// least one digit in all), an optional exponent (E or e, optional sign,
// digits), optional spaces; thousands separators are not part of it.
// NumberOverflow when the rounded value lies outside -32768..32767; `number`
// is set only with NumberOk. Exact for any length of digits and any exponent.
NumberVerdict RoundToInt16(const std::wstring& text, const std::wstring& decimalSeparator,
                           int16_t& number);

enum BlockSizeVerdict { BlockSizeOk, BlockSizeNotSize, BlockSizeNotPositive, BlockSizeOverflow };

// The block size in bytes of a size text (a number and B, K or M in either
// case), computed in 32-bit arithmetic: number, number * 1024 or
// number * 2^20, the number rounded as RoundToInt16 does and, for M, within
// -2048..2047. A size of zero or below can size no buffer and is refused as
// BlockSizeNotPositive. `bytes` is set only with BlockSizeOk.
BlockSizeVerdict ConvertBlockSize(const std::wstring& bufsize, const std::wstring& decimalSeparator,
                                  int32_t& bytes);

}  // namespace modMain

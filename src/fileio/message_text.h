// Pieces of text that several of the engine's messages share. Private to
// src/fileio/.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace modFileIO {

// Going on from where the destination ends.
extern const wchar_t* const ResumeAdvice;
// Starting over: every message that says a copy must be made anew says it so.
extern const wchar_t* const StartOverAdvice;
// The same as a sentence of its own.
std::wstring StartOverSentence();

// A code or a count as the messages show it: plain digits.
std::wstring Number(int64_t value);
// A byte count or an offset as the messages show it: grouped by the user's
// thousands separator, as the summary shows them.
std::wstring Grouped(int64_t bytes);
// "system error N", with the meaning of the codes a user can't look up by
// number alone.
std::wstring ErrorText(DWORD error);
// The line after a transfer that the sector rule refused (error 87):
// `sectorBytes` is the disk's sector size, 0 when unknown.
std::wstring SectorExplanation(const std::wstring& what, int32_t blockBytes, int64_t startOffset,
                               DWORD sectorBytes);

}  // namespace modFileIO

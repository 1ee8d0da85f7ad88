// Feeds arbitrary UTF-16 text (two bytes per character, low byte first) to
// the command-line tokenizer, the options parser and the block-size
// conversion, and checks what must hold for any input. Also feeds the raw
// bytes to the POSIX argument decoder.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/modMain.h"
#include "driver/number.h"
#include "platform/posix/args.h"

namespace {

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

std::wstring WithoutQuotes(std::wstring text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L'"') out += c;
  return out;
}

// Compares the exact rounding with the C library's reading of the same
// text, where a double holds the number exactly enough to round the same:
// plain ASCII, "." as separator, at most 15 digits before the exponent.
void CompareWithLibrary(const std::wstring& text, modMain::NumberVerdict verdict, int16_t number) {
  std::string narrow;
  int digits = 0;
  bool exponent = false;
  for (wchar_t c : text) {
    if (c > 0x7F) return;
    if (c == L'e' || c == L'E') exponent = true;
    if (!exponent && c >= L'0' && c <= L'9') ++digits;
    narrow += static_cast<char>(c);
  }
  if (digits > 15) return;
  char* end = nullptr;
  const double value = std::strtod(narrow.c_str(), &end);
  while (*end == ' ') ++end;
  Check(*end == '\0', "library reads the whole number");
  const double rounded = std::nearbyint(value);
  const bool fits = rounded >= -32768.0 && rounded <= 32767.0;
  if (verdict == modMain::NumberOk)
    Check(fits && rounded == number, "same rounding as the library");
  if (verdict == modMain::NumberOverflow) Check(!fits, "overflow where the library overflows");
}

void CheckNumber(const std::wstring& text) {
  for (const wchar_t* separator : {L".", L","}) {
    int16_t number = 0;
    const modMain::NumberVerdict verdict = modMain::RoundToInt16(text, separator, number);
    if (separator[0] == L'.' && verdict != modMain::NumberNotNumeric)
      CompareWithLibrary(text, verdict, number);
    int32_t bytes = 0;
    if (modMain::ConvertBlockSize(text, separator, bytes) == modMain::BlockSizeOk)
      Check(bytes > 0 && bytes <= 2146435072, "block size in range");
  }
}

void CheckSplit(const std::wstring& text) {
  const std::vector<std::wstring> stripped = modMain::SplitCommandLine(text, true);
  const std::vector<std::wstring> kept = modMain::SplitCommandLine(text, false);
  Check(stripped.size() == kept.size(), "quotes don't change the split");
  for (size_t i = 0; i < kept.size(); ++i) {
    Check(!kept[i].empty(), "no argument is empty before its quotes go");
    Check(stripped[i] == WithoutQuotes(kept[i]), "stripping only removes quotes");
    CheckNumber(stripped[i]);
  }
  const modMain::CopyParams p = modMain::ParseCopyParams(stripped);
  if (p.Valid) Check(!p.Source.empty() && !p.Dest.empty(), "a valid command line names two files");
  CheckNumber(p.Bufsize);

  // The POSIX argument text must give back the arguments it was made of.
  std::wstring joined;
  std::wstring problem;
  Check(JoinArguments(stripped, joined, problem), "quote-free arguments can be joined");
  Check(modMain::SplitCommandLine(joined, true) == stripped, "joined arguments split back");
}

// Arguments cut at U+0000, as argv hands them over: any text but a double
// quote must survive the round trip through the argument text.
void CheckJoin(const std::wstring& text) {
  std::vector<std::wstring> args(1);
  for (wchar_t c : text) {
    if (c == L'\0')
      args.emplace_back();
    else
      args.back() += c;
  }
  std::wstring joined;
  std::wstring problem;
  if (JoinArguments(args, joined, problem))
    Check(modMain::SplitCommandLine(joined, true) == args, "argv survives the argument text");
  else
    Check(!problem.empty(), "a refusal says why");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2)
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  CheckSplit(text);
  CheckNumber(text);
  CheckJoin(text);

  std::vector<std::wstring> args;
  std::wstring problem;
  if (!DecodeArguments(std::string(reinterpret_cast<const char*>(data), size), args, problem))
    Check(!problem.empty(), "a refusal says why");
  return 0;
}

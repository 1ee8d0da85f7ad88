// The console's byte processing, shared by the terminal and the in-memory
// screen.
#include "platform/screen.h"
#include "platform/utf8.h"

#include <algorithm>
#include <iterator>

namespace {

struct Range {
  uint32_t first;
  uint32_t last;
};

// Combining marks and zero-width characters most often met in text.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x2060, 0x2064}, {0x20D0, 0x20FF},
    {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}};
// East Asian wide and fullwidth characters and the emoji blocks.
constexpr Range kDoubleWidth[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x2614, 0x2615},   {0x2648, 0x2653},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},
    {0x26C4, 0x26C5},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x2753, 0x2757},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

template <size_t N>
bool InRanges(const Range (&ranges)[N], uint32_t c) {
  const Range* found = std::lower_bound(std::begin(ranges), std::end(ranges), c,
                                        [](const Range& r, uint32_t v) { return r.last < v; });
  return found != std::end(ranges) && found->first <= c;
}

}  // namespace

int CellWidth(uint32_t character) {
  if (InRanges(kZeroWidth, character)) return 0;
  return InRanges(kDoubleWidth, character) ? 2 : 1;
}

uint32_t Displayable(uint32_t character) {
  if (character < 0x20) return 0x2400 + character;
  if (character == 0x7F) return 0x2421;
  if ((character >= 0x80 && character < 0xA0) || character > 0x10FFFF ||
      (character >= 0xD800 && character <= 0xDFFF))
    return 0xFFFD;
  return character;
}

Screen::~Screen() = default;

BOOL Screen::Write(const char* bytes, size_t size) {
  const Geometry size_now = Sync();
  std::string data = pending_;
  data.append(bytes, size);
  pending_.clear();
  for (size_t i = 0; i < data.size();) {
    uint32_t c = 0;
    size_t length = 1;
    const Utf8 result = DecodeUtf8(data.data(), data.size(), i, c, length);
    if (result == Utf8::Incomplete) {
      pending_ = data.substr(i);
      break;
    }
    // Each byte of a bad sequence shows as a replacement character.
    Process(result == Utf8::Character ? c : 0xFFFD, size_now);
    i += result == Utf8::Character ? length : 1;
  }
  return Flush();
}

BOOL Screen::SetCursor(COORD position) {
  const Geometry size = Sync();
  if (position.X < 0 || position.X >= size.bufferColumns || position.Y < 0 ||
      position.Y >= kBufferRows) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const COORD from = cursor_;
  cursor_.X = position.X;
  cursor_.Y = std::max(position.Y, windowTop_);
  if (cursor_.Y - windowTop_ >= size.windowRows)
    windowTop_ = static_cast<SHORT>(cursor_.Y - size.windowRows + 1);
  if (from.X != cursor_.X || from.Y != cursor_.Y) MoveCursor(from, cursor_);
  return TRUE;
}

BOOL Screen::SetAttribute(WORD attribute) {
  attribute_ = attribute;
  AttributeChanged();
  return TRUE;
}

void Screen::GetInfo(CONSOLE_SCREEN_BUFFER_INFO& info) {
  const Geometry size = Sync();
  info.dwSize = {size.bufferColumns, kBufferRows};
  info.dwCursorPosition = cursor_;
  info.wAttributes = attribute_;
  info.srWindow = {0, windowTop_, static_cast<SHORT>(size.windowColumns - 1),
                   static_cast<SHORT>(windowTop_ + size.windowRows - 1)};
  info.dwMaximumWindowSize = {size.windowColumns, size.windowRows};
}

void Screen::Place(COORD cursor, SHORT windowTop) {
  cursor_ = cursor;
  windowTop_ = windowTop;
  Sync();
}

// Measures, and brings the cursor and the window back inside a screen that
// may have been resized since the last call.
Screen::Geometry Screen::Sync() {
  Geometry size = Measure();
  size.bufferColumns = std::max<SHORT>(size.bufferColumns, 1);
  size.windowColumns = std::clamp<SHORT>(size.windowColumns, 1, size.bufferColumns);
  size.windowRows = std::clamp<SHORT>(size.windowRows, 1, kBufferRows);
  cursor_.X = std::clamp<SHORT>(cursor_.X, 0, static_cast<SHORT>(size.bufferColumns - 1));
  cursor_.Y = std::clamp<SHORT>(cursor_.Y, 0, kBufferRows - 1);
  if (size.reshaped) windowTop_ = cursor_.Y;
  windowTop_ = std::min({windowTop_, cursor_.Y, static_cast<SHORT>(kBufferRows - size.windowRows)});
  if (cursor_.Y - windowTop_ >= size.windowRows)
    windowTop_ = static_cast<SHORT>(cursor_.Y - size.windowRows + 1);
  return size;
}

void Screen::Process(uint32_t c, const Geometry& size) {
  if (mode_ & ENABLE_PROCESSED_OUTPUT) {
    switch (c) {
      case '\r':
        cursor_.X = 0;
        CarriageReturn();
        return;
      case '\n':
        cursor_.X = 0;
        NextRow(size);
        LineFeed();
        return;
      case '\b':
        if (cursor_.X > 0) {
          --cursor_.X;
          Backspace();
        }
        return;
      case '\t': {
        // Blanks up to the next stop of eight; a tab never runs past the row.
        const int blanks = std::min(8 - cursor_.X % 8, size.bufferColumns - cursor_.X);
        for (int k = 0; k < blanks; ++k) PutVisible(' ', size);
        return;
      }
      case '\a':
        Bell();
        return;
      default:
        break;
    }
  }
  PutVisible(Displayable(c), size);
}

void Screen::PutVisible(uint32_t c, const Geometry& size) {
  int width = CellWidth(c);
  if (width == 0) {
    Put(cursor_, static_cast<wchar_t>(c), 0);
    return;
  }
  const SHORT last = static_cast<SHORT>(size.bufferColumns - 1);
  const bool wrap = (mode_ & ENABLE_WRAP_AT_EOL_OUTPUT) != 0;
  if (width == 2 && cursor_.X == last) {
    // Half a wide character can't be shown: it goes to the next row, or
    // becomes a replacement character where the row can't be left.
    if (wrap && last > 0) {
      PutVisible(' ', size);
    } else {
      c = 0xFFFD;
      width = 1;
    }
  }
  Put(cursor_, static_cast<wchar_t>(c), width);
  cursor_.X = static_cast<SHORT>(cursor_.X + width);
  if (cursor_.X <= last) return;
  if (wrap) {
    cursor_.X = 0;
    NextRow(size);
    WrapToNextRow();
  } else {
    cursor_.X = last;
    StayInLastColumn(last);
  }
}

void Screen::NextRow(const Geometry& size) {
  if (cursor_.Y == kBufferRows - 1)
    ScrollBuffer();
  else
    ++cursor_.Y;
  if (cursor_.Y - windowTop_ >= size.windowRows)
    windowTop_ = static_cast<SHORT>(cursor_.Y - size.windowRows + 1);
}

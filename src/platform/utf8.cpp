// The UTF-8 decoder that the POSIX text conversion and the screen model
// share; built on every system, since the tests' in-memory screen runs the
// screen model on Windows too.
#include "platform/utf8.h"

namespace {

bool IsScalar(uint32_t c) { return c < 0x110000 && (c < 0xD800 || c > 0xDFFF); }

}  // namespace

Utf8 DecodeUtf8(const char* bytes, size_t size, size_t i, uint32_t& c, size_t& length) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  length = 1;
  c = lead;
  if (lead < 0x80) return Utf8::Character;
  uint32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, c = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, c = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, c = lead & 0x07, min = 0x10000;
  } else {
    return Utf8::Malformed;
  }
  for (size_t k = 1; k < length; ++k) {
    if (i + k >= size) return Utf8::Incomplete;
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) {
      length = 1;
      return Utf8::Malformed;
    }
    c = (c << 6) | (next & 0x3F);
  }
  return c >= min && IsScalar(c) ? Utf8::Character : Utf8::Malformed;
}

#include "TextWidth.h"

#include <cstdint>

namespace KivoHost {
namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// Characters that combine with the one before them, or take no room at all.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0x302A, 0x302F}, {0x3099, 0x309A}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF}};

// Characters a terminal shows two columns wide.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

template <size_t N>
bool within(const Range (&ranges)[N], char32_t c) {
  for (const Range& range : ranges) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

size_t columnsOf(char32_t c) {
  if (within(kZeroWidth, c)) return 0;
  return within(kWide, c) ? 2 : 1;
}

// The length of the UTF-8 sequence at `at` and its character; a stray byte counts
// as one character of its own.
size_t decode(const std::string& text, size_t at, char32_t& c) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (at + length > text.size()) length = 1;
  c = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      c = lead;
      return 1;
    }
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  return length;
}

}  // namespace

size_t displayWidth(const std::string& text) {
  size_t columns = 0;
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    at += decode(text, at, c);
    columns += columnsOf(c);
  }
  return columns;
}

std::string cutToWidth(const std::string& text, size_t columns) {
  size_t used = 0;
  size_t at = 0;
  while (at < text.size()) {
    char32_t c = 0;
    const size_t length = decode(text, at, c);
    used += columnsOf(c);
    if (used > columns) break;
    at += length;
  }
  return text.substr(0, at);
}

}  // namespace KivoHost

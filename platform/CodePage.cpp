#include "platform/CodePage.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace vexa::platform {

namespace {

// Characters of the bytes 0x80 … 0xBF; 0xC0 … 0xFF are U+0410 … U+044F in order.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

constexpr char32_t kReplacement = 0xFFFD;

char32_t CharOfByte(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return kHigh[b - 0x80];
}

int ByteOfChar(char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(0xC0 + (c - 0x0410));
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == c) return static_cast<int>(0x80 + i);
  return -1;
}


// Decodes the character at utf8[i]. Returns its length in bytes, or 0 when the byte there
// does not start a well-formed sequence (a stray continuation, a cut or overlong sequence, a
// surrogate, a value beyond U+10FFFF).
std::size_t Decode(std::string_view utf8, std::size_t i, char32_t& c) {
  const auto lead = static_cast<unsigned char>(utf8[i]);
  std::size_t extra = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    c = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    c = lead & 0x1F;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    c = lead & 0x0F;
    least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    c = lead & 0x07;
    least = 0x10000;
  } else {
    return 0;
  }
  if (i + extra >= utf8.size()) return 0;
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto cont = static_cast<unsigned char>(utf8[i + k]);
    if ((cont & 0xC0) != 0x80) return 0;
    c = (c << 6) | (cont & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return extra + 1;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t c = 0;
    const std::size_t n = Decode(utf8, i, c);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    i += n;
    const int b = ByteOfChar(c);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() * 2);
  for (char ch : ansi)
    AppendUtf8(out, CharOfByte(static_cast<unsigned char>(ch)));
  return out;
}

std::string UnstorableCharacter::Describe() const {
  char code[32];
  if (length == 1 && codePoint == kReplacement) {
    const auto byte = static_cast<unsigned char>(text.empty() ? 0 : text[0]);
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(byte));
    return std::string("the byte ") + code + " (not UTF-8)";
  }
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(codePoint));
  if (codePoint == 0) return std::string("the character ") + code;
  return "\"" + text + "\" (" + code + ")";
}

std::optional<UnstorableCharacter> FirstUnstorableCharacter(std::string_view utf8) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t c = 0;
    const std::size_t n = Decode(utf8, i, c);
    if (n == 0) {
      UnstorableCharacter bad;
      bad.offset = i;
      bad.length = 1;
      bad.codePoint = kReplacement;
      bad.text = std::string(1, utf8[i]);
      return bad;
    }
    if (c == 0 || ByteOfChar(c) < 0) {
      UnstorableCharacter bad;
      bad.offset = i;
      bad.length = n;
      bad.codePoint = c;
      bad.text = std::string(utf8.substr(i, n));
      return bad;
    }
    i += n;
  }
  return std::nullopt;
}

} // namespace vexa::platform

#pragma once
// The ANSI code page of the documents: single-byte Windows-1251. Titles and captions are
// stored as those bytes; the user interface and the command line speak UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vexa::platform {

// Appends one character (a code point) to a UTF-8 text.
void AppendUtf8(std::string& out, char32_t c);

// Converts UTF-8 text to Windows-1251. A character the code page cannot hold, and every byte
// of malformed UTF-8, becomes '?'. Check the text with FirstUnstorableCharacter first where
// such a loss must not pass in silence.
std::string Utf8ToAnsi(std::string_view utf8);

// Converts Windows-1251 bytes to UTF-8. Every byte has a character (0x98, unassigned in the
// code page, maps to U+0098), so the conversion never fails.
std::string AnsiToUtf8(std::string_view ansi);

// A character of UTF-8 text that a document cannot store.
struct UnstorableCharacter {
  std::size_t offset = 0; // where it starts in the text, in bytes
  std::size_t length = 0; // its bytes in the text
  char32_t codePoint = 0; // U+FFFD for a byte that is not UTF-8
  std::string text;       // its bytes: the character as UTF-8, or the one bad byte

  // For messages: "ä" (U+00E4) with the quotes, "the character U+0000", or
  // "the byte 0xC3 (not UTF-8)".
  std::string Describe() const;
};

// The first character of utf8 that Windows-1251 cannot hold — one outside the code page, a
// NUL (it would end the stored text) or a byte of malformed UTF-8 — or nullopt when
// Utf8ToAnsi would keep every character.
std::optional<UnstorableCharacter> FirstUnstorableCharacter(std::string_view utf8);

} // namespace vexa::platform

#pragma once
// The ANSI code page of the documents: single-byte Windows-1251. Titles and captions are
// stored as those bytes; the user interface and the command line speak UTF-8.
#include <string>
#include <string_view>

namespace vexa::platform {

// Converts UTF-8 text to Windows-1251. A character the code page cannot hold, and every byte
// of malformed UTF-8, becomes '?'.
std::string Utf8ToAnsi(std::string_view utf8);

// Converts Windows-1251 bytes to UTF-8. Every byte has a character (0x98, unassigned in the
// code page, maps to U+0098), so the conversion never fails.
std::string AnsiToUtf8(std::string_view ansi);

} // namespace vexa::platform

#pragma once
// The values file of one registry key, in the .reg value syntax:
//
//   [HKEY_CURRENT_USER\Software\Dorvik Software\VEXA\Settings\Draw]
//   "grid_color"=dword:00c8c8c8
//   "Last file"="/home/ann/titration \"A\".vexa"
//   "Sizes"=hex:10,00,00,00
//   ; "\??\/tmp/zelcor.exe", ""
//   "PendingFileRenameOperations"=hex(7):5c,3f,...,00,00,00
//   @="the key's default value"
//
// Lines starting with ';' or '[' and empty lines carry no value. Inside quotes a backslash
// escapes '\' and '"'; a control character is written as \xHH so that every name and string
// stays on its line. A multi-string is the bytes of its strings, each followed by a zero byte,
// and one more zero byte at the end; a comment above it shows the strings. A line that cannot
// be read is skipped: a damaged file is read as far as it is sound.
#include "platform/Registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace vexa::platform {

struct NamedValue {
  std::string name;
  RegValue value;
  bool operator==(const NamedValue&) const = default;
};

// The values in file order. A later line for a name already read replaces the earlier value.
std::vector<NamedValue> ParseValuesFile(std::string_view text);

// The whole file: the key header line, then one line per value (with the comment line of a
// multi-string).
std::string FormatValuesFile(std::string_view keyHeader, const std::vector<NamedValue>& values);

// Key and value names compare without regard to case: ASCII letters, and in UTF-8 text the
// Latin-1 and Cyrillic letters.
std::string FoldCase(std::string_view name);
bool NamesEqual(std::string_view a, std::string_view b);

} // namespace vexa::platform

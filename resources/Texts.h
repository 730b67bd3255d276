#pragma once
// The program's one string table: ID -> text. The program's own texts are built in; the
// framework registers its standard texts at start. Plain C++, so the engine (the default title,
// the results page), the drawing code and the window program all read the same table.
#include <cstddef>

namespace vexa {

// The program's home page, shown in the About box.
inline constexpr const char* kWebAddress = "https://vexa.example.org/";

struct StringEntry {
  int id;
  const char* text; // UTF-8, kept by the table: a literal or another text that lives as long
};

// The text of string `id` (UTF-8), or an empty text when the table has none.
const char* ProgramString(int id);

// Adds entries to the table, behind the program's own texts; an entry replaces an earlier
// registered one of the same ID. Entries are registered at start, before any thread reads the
// table.
void RegisterStrings(const StringEntry* entries, std::size_t count);

} // namespace vexa

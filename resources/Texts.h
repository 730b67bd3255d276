#pragma once
// The program's string table: ID -> text.
namespace vexa {

// The text of string `id` (UTF-8), or an empty text when the table has none.
const char* ProgramString(int id);

} // namespace vexa

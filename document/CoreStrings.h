#pragma once
// The few string-table entries the plain engine needs (the default title, the results log's
// templates). The window program's string table holds the same texts under the same IDs.
#include <string>

namespace vexa {

// The text of string `id`, or an empty string when the engine does not know it.
const char* CoreString(int id);

} // namespace vexa

#pragma once
// The string table: ID -> text. The framework holds its own standard messages; the program
// adds its table at start-up. A command's entry holds its status prompt and its tooltip,
// separated by a line feed.
#include <QString>

#include <cstddef>

struct StringEntry {
  int id;
  const char* text; // UTF-8
};

// Adds entries to the table (a later entry with the same ID replaces an earlier one).
void RegisterStrings(const StringEntry* entries, std::size_t count);

// The text of string `id`; empty when there is none.
QString LoadStr(int id);
bool HasStr(int id);

// The status prompt (before the line feed) and the tooltip (after it) of a command.
QString CommandPrompt(int id);
QString CommandTip(int id);

// Replaces %1, %2 ... in a framework message, as the framework's formatter does.
QString FormatMessage(int id, const QString& a1, const QString& a2 = {});

#pragma once
// The program's string table as the window program reads it: ID -> QString. A command's entry
// holds its status prompt and its tooltip, separated by a line feed.
#include <QString>


// The text of string `id`; empty when there is none.
QString LoadStr(int id);
bool HasStr(int id);

// The status prompt (before the line feed) and the tooltip (after it) of a command.
QString CommandPrompt(int id);
QString CommandTip(int id);

// Replaces %1, %2 ... in a framework message, as the framework's formatter does.
QString FormatMessage(int id, const QString& a1, const QString& a2 = {});

#pragma once
// Registers the document type with the desktop for the user: a shared-mime-info type for
// *.vexa and a desktop entry that opens such files with the program.
#include <QString>
#include <QStringList>

#include <functional>

// The MIME type of .vexa files.
inline constexpr const char* kVexaMimeType = "application/x-vexa-document";

// Writes dataHome/mime/packages/vexa-document.xml and dataHome/applications/vexa-orlith.desktop
// when missing or out of date, then runs the desktop's update tools through runTool (a command
// with its arguments). Returns true when something was written.
bool RegisterDocumentType(const QString& dataHome, const QString& programPath,
                          const std::function<void(const QStringList&)>& runTool);

// The user's data folder ($XDG_DATA_HOME, else ~/.local/share).
QString UserDataHome();

#pragma once
// The uninstaller's run: reads "Uninstall.log" from the installation folder, removes what it
// lists, reports what could not be removed, and has its own file deleted at the next restart.
// The user interface and the waits are passed in, so that a test runs a whole uninstall
// without a display and without waiting.
#include "platform/Registry.h"
#include "uninstaller/UninstallLog.h"

#include <functional>
#include <optional>
#include <string>

namespace vexa::uninstaller {

inline constexpr const char* kCaption = "Deleting Vexa program";
inline constexpr const char* kSharedDllsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr const char* kReportFirstLine =
    "Following files, folders or registry keys can't delete:\r\n";
inline constexpr const char* kFileHeading =
    "\r\nSome files aren't deleted. They are busy or deleted earlier";
inline constexpr const char* kRegistryHeading = "\r\nThere were troubles during clearing "
                                                "registry keys. Following records are't deleted:";
inline constexpr const char* kFolderHeading =
    "\r\nSome folders can't be deleted. Maybe they consist files which were't setup. Delete "
    "their manually.";
inline constexpr const char* kDeletedComplete = "VEXA v.0.5 program is deleted complete.\n";
inline constexpr const char* kPressOk = "Press OK to see list of uninstall troubles.";
inline constexpr const char* kFileTroubles =
    "There were the troubles during deleting of the files or folders.\n";
inline constexpr const char* kRegistryTroubles =
    "There were the troubles during clearing registry.\n";
inline constexpr const char* kBothTroubles =
    "There were the troubles during deleting of the files/folders and clearing registry.\n";
inline constexpr const char* kMissingLog = "Can't find <Uninstall.log> file.";
// A log that holds text but no section header: nothing in it can be acted on. The report
// lists the log under this heading, and the outcome message says the uninstall did not
// complete: kNotComplete + kNoSectionFound + kPressOk. (A log with no bytes at all is an
// empty list, and gives the no-trouble message.)
inline constexpr const char* kNoSectionHeading =
    "\r\nNo section header was found in <Uninstall.log> file. Nothing was deleted by it:";
inline constexpr const char* kNotComplete = "VEXA v.0.5 program uninstall did not complete.\n";
inline constexpr const char* kNoSectionFound =
    "No section header was found in <Uninstall.log> file.\n";

// The answers of the "Remove Shared Files" dialog.
enum class SharedAnswer { Yes, YesToAll, No, NoToAll };

enum class MessageIcon { Information, Error };

// What the run shows and asks. Every message box carries the caption kCaption.
class UninstallUi {
public:
  virtual ~UninstallUi() = default;
  virtual void ShowProgress() = 0;
  // Shows the entry about to be processed in the progress window.
  virtual void ShowEntry(const std::string& entry) = 0;
  virtual void CloseProgress() = 0;
  // The "Remove Shared Files" question for a shared file no program uses any longer.
  virtual SharedAnswer AskRemoveSharedFile(const std::string& path) = 0;
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
  // Shows the troubles report to the user.
  virtual void OpenReport(const std::string& path) = 0;
};

struct UninstallEnvironment {
  platform::RegistryStore* registry = nullptr;
  // The Windows folder, whose TEMP subfolder receives the troubles report; none: no report.
  std::optional<std::string> windowsFolder;
  // The uninstaller's own file, deleted at the next restart; empty: nothing to delete.
  std::string selfPath;
  // Waits the given number of milliseconds.
  std::function<void(int)> wait;
};

struct UninstallOutcome {
  bool logRead = false;
  bool fileTroubles = false;     // files or folders left behind
  bool registryTroubles = false; // registry keys left behind
  bool noSection = false;        // the log named no section: nothing was done
  std::string reportPath;        // the troubles report, when one was written
  std::string message;           // the outcome message shown
};

// The whole run for the command line (the installation folder).
UninstallOutcome RunUninstall(const std::string& commandLine, UninstallUi& ui,
                              const UninstallEnvironment& environment);

// The outcome message for the trouble flags.
std::string OutcomeMessage(bool fileTroubles, bool registryTroubles);

} // namespace vexa::uninstaller

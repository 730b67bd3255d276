#include "uninstaller/Uninstaller.h"

#include "platform/AtomicFile.h"
#include "platform/DynamicLibrary.h"
#include "platform/Folders.h"
#include "platform/PendingFileOperations.h"
#include "platform/RegistryFile.h"

#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vexa::uninstaller {

namespace {

using platform::RegKey;
using platform::RegRoot;
using platform::RegValue;

enum class TroubleKind { File, Registry, Folder, Log };

// True for an absolute path none of whose names is "..".
bool IsWholePath(std::string_view path) {
  if (path.empty() || path.front() != '/') return false;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// True when a backslash-separated key path has an empty name in it (or is empty).
bool HasEmptyName(std::string_view path) {
  return path.empty() || path.front() == '\\' || path.back() == '\\' ||
         path.find("\\\\") != std::string_view::npos;
}

// The log, when it is a regular file that can be read whole. A device, a pipe or a folder is
// no log: reading one could go on for ever or wait for ever.
std::optional<std::string> ReadLog(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::optional<std::string> bytes;
  try {
    bytes.emplace();
    bytes->reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        bytes.reset();
        break;
      }
      bytes->append(buffer, static_cast<size_t>(got));
    }
  } catch (const std::exception&) { // more than the memory can hold
    bytes.reset();
  }
  ::close(fd);
  return bytes;
}

// "uninstall_troubles.txt". Every trouble replaces the whole file with everything recorded
// so far, so the file is always whole — also when another uninstall writes it at the same
// time — and a trouble that found no place there is written with the next one. A kind's
// heading is written whenever a trouble's kind differs from the kind of the heading written
// last, so every trouble stands under the heading of its own kind.
class TroublesReport {
public:
  explicit TroublesReport(const std::optional<std::string>& windowsFolder) {
    if (windowsFolder) {
      folder_ = platform::TempFolderOf(*windowsFolder);
      path_ = folder_ + "/uninstall_troubles.txt";
    }
  }

  void Add(TroubleKind kind, const std::string& entry) {
    if (!lastHeading_ || *lastHeading_ != kind) {
      text_ += kind == TroubleKind::File       ? kFileHeading
               : kind == TroubleKind::Registry ? kRegistryHeading
               : kind == TroubleKind::Folder   ? kFolderHeading
                                               : kNoSectionHeading;
      text_ += "\r\n";
      lastHeading_ = kind;
    }
    text_ += entry + "\r\n";
    Write();
  }

  // Tries once more if the last write failed. True when a report was written, to be shown.
  bool Finish() {
    if (!current_ && !text_.empty()) Write();
    return written_;
  }
  const std::string& path() const { return path_; }

private:
  void Write() {
    current_ = false;
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec); // a failure shows when the file is made
    if (!platform::WriteFileAtomically(path_, kReportFirstLine + text_)) return;
    current_ = true;
    written_ = true;
  }

  std::string folder_;
  std::string path_;
  std::string text_; // the troubles, without the first line
  bool current_ = false;
  bool written_ = false;
  std::optional<TroubleKind> lastHeading_;
};

class Run {
public:
  Run(UninstallUi& ui, const UninstallEnvironment& env)
      : ui_(ui), env_(env), report_(env.windowsFolder) {}

  UninstallOutcome Go(const std::string& commandLine) {
    if (!commandLine.empty()) Uninstall(commandLine);
    if (!env_.selfPath.empty() && env_.registry)
      platform::DeleteFileAtRestart(*env_.registry, env_.selfPath);
    return outcome_;
  }

private:
  void Wait(int ms) {
    if (env_.wait) env_.wait(ms);
  }

  void Uninstall(const std::string& folder) {
    Wait(1000);
    std::string logPath = folder;
    if (logPath.back() != '/') logPath += '/';
    logPath += "Uninstall.log";
    const auto bytes = ReadLog(logPath);
    if (!bytes) {
      ui_.ShowMessage(kMissingLog + logPath, MessageIcon::Error);
      return;
    }
    outcome_.logRead = true;
    ui_.ShowProgress();
    bool headerFound = false;
    for (const LogEntry& entry : ParseUninstallLog(*bytes, &headerFound)) {
      Wait(200);
      ui_.ShowEntry(entry.text);
      Act(entry);
    }
    ui_.CloseProgress();
    // Text without a single header (lines ended otherwise than by CR LF, say) lists nothing
    // that could be removed: that is no complete uninstall.
    if (!headerFound && !bytes->empty()) {
      outcome_.noSection = true;
      report_.Add(TroubleKind::Log, logPath);
    }

    if (outcome_.noSection) {
      outcome_.message = std::string(kNotComplete) + kNoSectionFound + kPressOk;
      ui_.ShowMessage(outcome_.message, MessageIcon::Error);
    } else {
      outcome_.message = OutcomeMessage(outcome_.fileTroubles, outcome_.registryTroubles);
      ui_.ShowMessage(outcome_.message, MessageIcon::Information);
    }
    if (report_.Finish()) {
      outcome_.reportPath = report_.path();
      ui_.OpenReport(report_.path());
    }
  }

  void Act(const LogEntry& entry) {
    const std::string& path = entry.text;
    // The installation writes whole paths: a relative one would be taken from wherever the
    // uninstaller was started, and one with ".." could reach out of the installation.
    const bool pathSection =
        entry.section == LogSection::Home || entry.section == LogSection::System ||
        entry.section == LogSection::ActiveX || entry.section == LogSection::Dirs;
    if (pathSection && !IsWholePath(path)) {
      Trouble(entry.section == LogSection::Dirs ? TroubleKind::Folder : TroubleKind::File, path);
      return;
    }
    switch (entry.section) {
    case LogSection::None: return;
    case LogSection::Home:
      if (::unlink(path.c_str()) != 0) Trouble(TroubleKind::File, path);
      return;
    case LogSection::System:
      if (!ReleaseSharedFile(path, false)) Trouble(TroubleKind::File, path);
      return;
    case LogSection::ActiveX:
      if (!ReleaseSharedFile(path, true)) Trouble(TroubleKind::File, path);
      return;
    case LogSection::Registry:
      if (!DeleteRegistryKey(path)) Trouble(TroubleKind::Registry, path);
      return;
    case LogSection::Dirs:
      if (::rmdir(path.c_str()) != 0) Trouble(TroubleKind::Folder, path);
      return;
    }
  }

  void Trouble(TroubleKind kind, const std::string& entry) {
    (kind == TroubleKind::Registry ? outcome_.registryTroubles : outcome_.fileTroubles) = true;
    report_.Add(kind, entry);
  }

  // False only for a trouble; a file whose count cannot be read is left alone.
  bool ReleaseSharedFile(const std::string& path, bool unregister) {
    if (!sharedKey_ && env_.registry)
      sharedKey_ = env_.registry->OpenKey(RegRoot::LocalMachine, kSharedDllsKey);
    if (!sharedKey_) return true;
    const auto count = sharedKey_->QueryValue(path);
    if (!count || count->type != platform::RegType::Dword) return true;
    // A count of 0 is already spent: it reaches zero here too rather than wrapping round.
    if (count->dword > 1) {
      // Read again and written back with no other writer in between: another uninstall (or
      // an installer) at the same time loses no change of the count.
      bool reachedZero = false;
      sharedKey_->UpdateValue(path, [&](const std::optional<RegValue>& now) {
        if (!now || now->type != platform::RegType::Dword || now->dword <= 1) {
          reachedZero = now && now->type == platform::RegType::Dword;
          return now;
        }
        return std::optional<RegValue>(RegValue::Dword(now->dword - 1));
      });
      if (!reachedZero) return true;
    }
    if (!AnswerRemove(path)) return true;
    if (unregister) {
      auto library = platform::DynamicLibrary::Load(path);
      if (!library) return false;
      void* entry = library->Find("DllUnregisterServer");
      if (!entry) return false;
      using UnregisterServer = long (*)();
      reinterpret_cast<UnregisterServer>(entry)();
    }
    if (::unlink(path.c_str()) != 0) return false;
    sharedKey_->DeleteValue(path);
    return true;
  }

  bool AnswerRemove(const std::string& path) {
    if (answerForAll_) return removeForAll_;
    switch (ui_.AskRemoveSharedFile(path)) {
    case SharedAnswer::Yes: return true;
    case SharedAnswer::No: return false;
    case SharedAnswer::YesToAll:
      answerForAll_ = true;
      removeForAll_ = true;
      return true;
    case SharedAnswer::NoToAll:
      answerForAll_ = true;
      removeForAll_ = false;
      return false;
    }
    return false;
  }

  bool DeleteRegistryKey(const std::string& entry) {
    static constexpr std::pair<std::string_view, RegRoot> kRoots[] = {
        {"HKEY_CLASSES_ROOT\\", RegRoot::ClassesRoot},
        {"HKEY_CURRENT_USER\\", RegRoot::CurrentUser},
        {"HKEY_LOCAL_MACHINE\\", RegRoot::LocalMachine}};
    if (!env_.registry) return false;
    for (const auto& [name, root] : kRoots) {
      // The root is the start of the line: a root name further on belongs to the key path.
      if (!std::string_view(entry).starts_with(name)) continue;
      const std::string key = entry.substr(name.size());
      // Every name in the path is spelt out: an empty one (a doubled, leading or trailing
      // backslash) names no key of its own, and would hide a maker's key from the check below.
      if (HasEmptyName(key)) return false;
      // The Software key holds every maker's keys: it is not deleted whole while any is in it.
      if (root != RegRoot::ClassesRoot && platform::NamesEqual(key, "Software")) {
        const auto software = env_.registry->OpenKey(root, key);
        if (!software || software->HasSubkeys()) return false;
      }
      // A maker's key directly below Software stays while another product's key is in it.
      constexpr std::string_view kSoftware = "Software\\";
      if (root == RegRoot::CurrentUser && key.rfind(kSoftware, 0) == 0 &&
          key.find('\\', kSoftware.size()) == std::string::npos) {
        const auto maker = env_.registry->OpenKey(root, key);
        if (!maker) return false;
        if (maker->HasSubkeys()) return true;
      }
      return env_.registry->DeleteKeyTree(root, key);
    }
    return false;
  }

  UninstallUi& ui_;
  const UninstallEnvironment& env_;
  TroublesReport report_;
  UninstallOutcome outcome_;
  std::optional<RegKey> sharedKey_;
  bool answerForAll_ = false;
  bool removeForAll_ = false;
};

} // namespace

std::string OutcomeMessage(bool fileTroubles, bool registryTroubles) {
  std::string text = kDeletedComplete;
  if (fileTroubles && registryTroubles) return text + kBothTroubles + kPressOk;
  if (fileTroubles) return text + kFileTroubles + kPressOk;
  if (registryTroubles) return text + kRegistryTroubles + kPressOk;
  return text;
}

UninstallOutcome RunUninstall(const std::string& commandLine, UninstallUi& ui,
                              const UninstallEnvironment& environment) {
  return Run(ui, environment).Go(commandLine);
}

} // namespace vexa::uninstaller

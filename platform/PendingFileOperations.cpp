#include "platform/PendingFileOperations.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace vexa::platform {

namespace {

constexpr std::string_view kPrefix = "\\??\\";

std::string StripPrefix(std::string_view name) {
  if (name.substr(0, kPrefix.size()) == kPrefix) name.remove_prefix(kPrefix.size());
  return std::string(name);
}

bool DeletePath(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  if (errno == EISDIR || errno == EPERM) return ::rmdir(path.c_str()) == 0;
  return false;
}

bool MovePath(const std::string& from, std::string_view to) {
  const bool replace = !to.empty() && to.front() == '!';
  if (replace) to.remove_prefix(1);
  const std::string target = StripPrefix(to);
  if (replace) return ::rename(from.c_str(), target.c_str()) == 0;
  // Without the replace mark an existing target stays.
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
}

} // namespace

bool DeleteFileAtRestart(RegistryStore& registry, const std::string& path) {
  auto key = registry.CreateKeyHandle(RegRoot::LocalMachine, kSessionManagerKey);
  if (!key) return false;
  return key->UpdateValue(kPendingOperationsValue, [&](const std::optional<RegValue>& old) {
    std::vector<std::string> list;
    if (old && old->type == RegType::MultiString) list = old->multiString;
    list.push_back(std::string(kPrefix) + path);
    list.emplace_back();
    return RegValue::MultiString(std::move(list));
  });
}

PendingOutcome RunPendingFileOperations(RegistryStore& registry) {
  PendingOutcome outcome;
  auto key = registry.OpenKey(RegRoot::LocalMachine, kSessionManagerKey);
  if (!key) return outcome;
  // Take the list and clear it in one step, so a request made meanwhile is not lost.
  std::vector<std::string> list;
  key->UpdateValue(kPendingOperationsValue, [&](const std::optional<RegValue>& old) {
    if (old && old->type == RegType::MultiString) list = old->multiString;
    return std::optional<RegValue>();
  });
  for (size_t i = 0; i + 1 < list.size(); i += 2) {
    const std::string from = StripPrefix(list[i]);
    const bool ok = list[i + 1].empty() ? DeletePath(from) : MovePath(from, list[i + 1]);
    ++(ok ? outcome.done : outcome.failed);
  }
  return outcome;
}

} // namespace vexa::platform

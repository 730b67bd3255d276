#pragma once
// Files deleted at the next restart. A request is recorded as Windows records it: in the
// multi-string value PendingFileRenameOperations of
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager, as pairs of strings:
// "\??\<path>" and an empty string for a deletion, "\??\<from>" and "\??\<to>" (or "!\??\<to>"
// to replace an existing file) for a move. This platform restarts nothing: the uninstall
// launcher carries out the pending operations when it starts.
#include "platform/Registry.h"

#include <string>

namespace vexa::platform {

inline constexpr const char* kSessionManagerKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
inline constexpr const char* kPendingOperationsValue = "PendingFileRenameOperations";

// Records the deletion of path at the next restart. False when it cannot be recorded.
bool DeleteFileAtRestart(RegistryStore& registry, const std::string& path);

struct PendingOutcome {
  int done = 0;   // operations carried out
  int failed = 0; // operations that could not be (their file is already gone, say)
};

// Carries out the pending operations in the order they were recorded and clears them.
// An operation that fails is dropped, as at a restart.
PendingOutcome RunPendingFileOperations(RegistryStore& registry);

} // namespace vexa::platform

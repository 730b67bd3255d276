#pragma once
// Whole-file reads and writes. A write goes to a temporary file in the target's folder, is
// flushed to disk and then renamed over the target, so a failure never leaves a damaged or
// half-written file behind.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexa::platform {

struct FileError {
  std::string message; // "cannot open ...: No such file or directory"
};

// Reads the whole file. Returns nullopt and fills *error when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, FileError* error = nullptr);

// Replaces the file at path by bytes, atomically. Returns false and fills *error on failure;
// the target is then unchanged and no temporary file is left.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         FileError* error = nullptr, unsigned mode = 0644);

} // namespace vexa::platform

#pragma once
// Shared libraries loaded at run time: load, find an exported function, unload.
#include <memory>
#include <string>

namespace vexa::platform {

class DynamicLibrary {
public:
  // Loads the library at path; nullptr and *error filled when it cannot be loaded.
  static std::unique_ptr<DynamicLibrary> Load(const std::string& path,
                                              std::string* error = nullptr);
  ~DynamicLibrary(); // unloads it
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // The address of an exported symbol, or nullptr.
  void* Find(const char* name) const;

private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

} // namespace vexa::platform

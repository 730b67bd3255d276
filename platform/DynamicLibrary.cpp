#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace vexa::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(const std::string& path, std::string* error) {
  // A bare name would be searched for on the library path; the caller means a file.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (error) {
      const char* message = ::dlerror();
      *error = message ? message : "cannot load " + path;
    }
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
  ::dlclose(handle_);
}

void* DynamicLibrary::Find(const char* name) const {
  ::dlerror();
  return ::dlsym(handle_, name);
}

} // namespace vexa::platform

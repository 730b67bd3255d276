// A component that can be unregistered: its DllUnregisterServer appends a line to the file
// named by VEXA_TEST_UNREGISTER_LOG.
#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) long DllUnregisterServer() {
  if (const char* log = std::getenv("VEXA_TEST_UNREGISTER_LOG")) {
    if (std::FILE* f = std::fopen(log, "a")) {
      std::fputs("unregistered\n", f);
      std::fclose(f);
    }
  }
  return 0;
}

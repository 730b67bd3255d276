// The registry's values file on arbitrary bytes: whatever is read can be written back, and
// what is written reads back the same.
#include "platform/RegistryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexa::platform;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto values = ParseValuesFile(bytes);
  for (size_t i = 0; i < values.size(); ++i)
    for (size_t j = i + 1; j < values.size(); ++j)
      if (NamesEqual(values[i].name, values[j].name)) std::abort();
  const std::string written = FormatValuesFile("HKEY_CURRENT_USER\\Fuzz", values);
  if (ParseValuesFile(written) != values) std::abort();
  return 0;
}

// The "Uninstall.log" parser on arbitrary bytes: every entry it returns is a whole line of the
// input, without CR LF or a zero byte, and never a comment, an empty line or a header.
#include "uninstaller/UninstallLog.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = vexa::uninstaller::ParseUninstallLog(bytes);
  size_t lines = 0;
  for (size_t at = bytes.find("\r\n"); at != std::string_view::npos;
       at = bytes.find("\r\n", at + 2))
    ++lines;
  if (entries.size() > lines) std::abort();
  for (const auto& e : entries) {
    if (e.text.empty() || e.text[0] == ';') std::abort();
    if (e.text.find("\r\n") != std::string::npos || e.text.find('\0') != std::string::npos)
      std::abort();
    if (vexa::uninstaller::SectionOfLine(e.text) != vexa::uninstaller::LogSection::None)
      std::abort();
    if (bytes.find(e.text + "\r\n") == std::string_view::npos) std::abort();
  }
  return 0;
}

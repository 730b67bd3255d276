#include "platform/Resources.h"

#include <vector>

namespace vexa::platform {

namespace {

struct Resource {
  std::string type;
  int id;
  std::span<const std::uint8_t> bytes;
};

std::vector<Resource>& Table() {
  static std::vector<Resource> table;
  return table;
}

bool SameType(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

} // namespace

ResourceRegistration::ResourceRegistration(const char* type, int id, const std::uint8_t* begin,
                                           const std::uint8_t* end) {
  Table().push_back({type, id, {begin, static_cast<size_t>(end - begin)}});
}

std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id) {
  for (const auto& r : Table())
    if (r.id == id && SameType(r.type, type)) return r.bytes;
  return std::nullopt;
}

} // namespace vexa::platform

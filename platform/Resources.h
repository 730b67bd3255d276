#pragma once
// Resources embedded in the running program, found by type and ID, as a Windows executable
// carries its resources. A program adds its resources with a ResourceRegistration object in
// one of its own source files (the build generates that file for data files it embeds).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vexa::platform {

// The bytes of the resource, or nullopt when the program carries none of that type and ID.
// Type names compare without regard to case.
std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id);

class ResourceRegistration {
public:
  ResourceRegistration(const char* type, int id, const std::uint8_t* begin,
                       const std::uint8_t* end);
};

} // namespace vexa::platform

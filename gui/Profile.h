#pragma once
// The profile functions: integers, strings and binary blocks kept in the registry store under
// HKEY_CURRENT_USER\Software\<registry key>\<application title>\<section>. Missing values give
// the default; failed writes report false and are otherwise harmless. Plain C++, no Qt.
#include <cstdint>
#include <string>
#include <vector>

// The program's registry key, HKEY_CURRENT_USER\Software\Dorvik Software\VEXA: the maker's key
// and the program's key below it. Spelled here and nowhere else.
inline constexpr const char* kMakerKey = "Dorvik Software";
inline constexpr const char* kProgramKey = "VEXA";

class CProfile;
// The profile under the program's key.
CProfile ProgramProfile();

class CProfile {
public:
  CProfile() = default;
  CProfile(std::string registryKey, std::string appName)
      : registryKey_(std::move(registryKey)), appName_(std::move(appName)) {}

  void SetRegistryKey(std::string key) { registryKey_ = std::move(key); }
  void SetAppName(std::string name) { appName_ = std::move(name); }
  // "Software\\Dorvik Software\\VEXA"
  std::string AppKey() const;

  int GetProfileInt(const std::string& section, const std::string& entry, int def) const;
  bool WriteProfileInt(const std::string& section, const std::string& entry, int value) const;
  std::string GetProfileString(const std::string& section, const std::string& entry,
                               const std::string& def = {}) const;
  bool WriteProfileString(const std::string& section, const std::string& entry,
                          const std::string& value) const;
  // False when the value is missing or is not binary.
  bool GetProfileBinary(const std::string& section, const std::string& entry,
                        std::vector<std::uint8_t>& data) const;
  bool WriteProfileBinary(const std::string& section, const std::string& entry,
                          const std::vector<std::uint8_t>& data) const;

private:
  std::string SectionKey(const std::string& section) const;
  std::string registryKey_;
  std::string appName_;
};

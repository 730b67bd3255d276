#include "gui/Profile.h"

#include "platform/Registry.h"

using vexa::platform::RegistryStore;
using vexa::platform::RegRoot;
using vexa::platform::RegType;
using vexa::platform::RegValue;

std::string CProfile::AppKey() const {
  return "Software\\" + registryKey_ + "\\" + appName_;
}

std::string CProfile::SectionKey(const std::string& section) const {
  return section.empty() ? AppKey() : AppKey() + "\\" + section;
}

int CProfile::GetProfileInt(const std::string& section, const std::string& entry, int def) const {
  const auto v =
      RegistryStore::Default().QueryValue(RegRoot::CurrentUser, SectionKey(section), entry);
  if (!v || v->type != RegType::Dword) return def;
  return static_cast<int>(v->dword);
}

bool CProfile::WriteProfileInt(const std::string& section, const std::string& entry,
                               int value) const {
  auto store = RegistryStore::Default();
  return store.SetValue(RegRoot::CurrentUser, SectionKey(section), entry,
                        RegValue::Dword(static_cast<std::uint32_t>(value)));
}

std::string CProfile::GetProfileString(const std::string& section, const std::string& entry,
                                       const std::string& def) const {
  const auto v =
      RegistryStore::Default().QueryValue(RegRoot::CurrentUser, SectionKey(section), entry);
  if (!v || v->type != RegType::String) return def;
  return v->string;
}

bool CProfile::WriteProfileString(const std::string& section, const std::string& entry,
                                  const std::string& value) const {
  auto store = RegistryStore::Default();
  return store.SetValue(RegRoot::CurrentUser, SectionKey(section), entry, RegValue::String(value));
}

bool CProfile::GetProfileBinary(const std::string& section, const std::string& entry,
                                std::vector<std::uint8_t>& data) const {
  const auto v =
      RegistryStore::Default().QueryValue(RegRoot::CurrentUser, SectionKey(section), entry);
  if (!v || v->type != RegType::Binary) return false;
  data = v->binary;
  return true;
}

bool CProfile::WriteProfileBinary(const std::string& section, const std::string& entry,
                                  const std::vector<std::uint8_t>& data) const {
  auto store = RegistryStore::Default();
  return store.SetValue(RegRoot::CurrentUser, SectionKey(section), entry, RegValue::Binary(data));
}

CProfile ProgramProfile() {
  return CProfile(kMakerKey, kProgramKey);
}

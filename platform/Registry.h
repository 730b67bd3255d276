#pragma once
// The registry store: keys under three roots with typed values, kept in files. A key is a
// folder; its values live in one human-readable text file in the .reg value syntax
// ("grid_color"=dword:00c8c8c8). Key and value names compare without regard to case. Every
// write is atomic; a damaged values file is read as far as it is sound.
//
// Paths are written with backslashes, as on Windows: "Software\\Dorvik Software\\VEXA".
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vexa::platform {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine };

enum class RegType { Dword, String, Binary, MultiString };

struct RegValue {
  RegType type = RegType::String;
  std::uint32_t dword = 0;              // Dword
  std::string string;                   // String
  std::vector<std::uint8_t> binary;     // Binary
  std::vector<std::string> multiString; // MultiString

  static RegValue Dword(std::uint32_t v);
  static RegValue String(std::string v);
  static RegValue Binary(std::vector<std::uint8_t> v);
  static RegValue MultiString(std::vector<std::string> v);
  bool operator==(const RegValue&) const = default;
};

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE".
const char* RootName(RegRoot root);

// An open key: the key's folder, found once when the key was opened and kept. Works on
// that key until it is deleted; after that every read finds nothing and every write fails.
class RegKey {
public:
  std::optional<RegValue> QueryValue(const std::string& name) const;
  bool SetValue(const std::string& name, const RegValue& value);
  bool DeleteValue(const std::string& name);
  // Reads the value, and replaces it by what change returns (nullopt deletes it), with no
  // other writer of this key in between.
  bool
  UpdateValue(const std::string& name,
              const std::function<std::optional<RegValue>(const std::optional<RegValue>&)>& change);
  std::vector<std::string> EnumSubkeys() const;
  std::vector<std::string> EnumValueNames() const;
  bool HasSubkeys() const;

private:
  friend class RegistryStore;
  RegKey(std::string dir, std::string header) : dir_(std::move(dir)), header_(std::move(header)) {}
  std::string dir_;    // the key's folder
  std::string header_; // "HKEY_CURRENT_USER\Software\..." for the values file
};

class RegistryStore {
public:
  // A store kept under the given folder.
  explicit RegistryStore(std::string folder);
  // The folder of the user's store: $VEXA_REGISTRY_DIR, else $XDG_CONFIG_HOME/vexa-registry,
  // else ~/.config/vexa-registry. Read anew at every call, so tests can point it elsewhere.
  static std::string DefaultFolder();
  // A store over DefaultFolder().
  static RegistryStore Default();

  const std::string& folder() const noexcept { return folder_; }

  bool KeyExists(RegRoot root, const std::string& path) const;
  // Creates the key and every missing key above it. False when it cannot be written.
  bool CreateKey(RegRoot root, const std::string& path);
  // Deletes the key with all its subkeys and values. False when it did not exist or could
  // not be removed; a root itself (an empty path) is never deleted.
  bool DeleteKeyTree(RegRoot root, const std::string& path);
  // The names of the direct subkeys, as they were spelled when created, in alphabetical
  // order without regard to case. The values' names come in the order they were created.
  std::vector<std::string> EnumSubkeys(RegRoot root, const std::string& path) const;
  std::vector<std::string> EnumValueNames(RegRoot root, const std::string& path) const;

  std::optional<RegValue> QueryValue(RegRoot root, const std::string& path,
                                     const std::string& name) const;
  // Creates the key when missing. False when it cannot be written.
  bool SetValue(RegRoot root, const std::string& path, const std::string& name,
                const RegValue& value);
  bool DeleteValue(RegRoot root, const std::string& path, const std::string& name);

  // Opens an existing key; nullopt when it does not exist.
  std::optional<RegKey> OpenKey(RegRoot root, const std::string& path) const;
  // Opens the key, creating it and every missing key above it; nullopt when it cannot.
  std::optional<RegKey> CreateKeyHandle(RegRoot root, const std::string& path);

private:
  std::string folder_;
};

} // namespace vexa::platform

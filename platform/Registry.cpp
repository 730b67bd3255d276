#include "platform/Registry.h"

#include "platform/AtomicFile.h"
#include "platform/RegistryFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexa::platform {

namespace fs = std::filesystem;

RegValue RegValue::Dword(std::uint32_t v) {
  RegValue r;
  r.type = RegType::Dword;
  r.dword = v;
  return r;
}

RegValue RegValue::String(std::string v) {
  RegValue r;
  r.type = RegType::String;
  r.string = std::move(v);
  return r;
}

RegValue RegValue::Binary(std::vector<std::uint8_t> v) {
  RegValue r;
  r.type = RegType::Binary;
  r.binary = std::move(v);
  return r;
}

RegValue RegValue::MultiString(std::vector<std::string> v) {
  RegValue r;
  r.type = RegType::MultiString;
  r.multiString = std::move(v);
  return r;
}

const char* RootName(RegRoot root) {
  switch (root) {
  case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
  case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
  case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
  }
  return "HKEY_CURRENT_USER";
}

namespace {

constexpr const char* kValuesFile = "values.reg";
constexpr size_t kMaxFolderName = 255;

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A key's name as a folder name: '%', '/', control characters and a leading '.' are written
// as %XX, and so are the dots of a key called like the values file. Folders whose names
// begin with '.' are therefore never keys (the store's temporary files and folders).
std::string EncodeName(std::string_view name) {
  const bool likeValuesFile = FoldCase(name) == kValuesFile;
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '%' || c == '/' || u < 0x20 || u == 0x7F || (c == '.' && (i == 0 || likeValuesFile))) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DecodeName(std::string_view folder) {
  std::string out;
  for (size_t i = 0; i < folder.size(); ++i) {
    if (folder[i] == '%' && i + 2 < folder.size() && Hex(folder[i + 1]) >= 0 &&
        Hex(folder[i + 2]) >= 0) {
      out += static_cast<char>(Hex(folder[i + 1]) * 16 + Hex(folder[i + 2]));
      i += 2;
    } else {
      out += folder[i];
    }
  }
  return out;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The folders of the direct subkeys of dir: (folder name, key name).
std::vector<std::pair<std::string, std::string>> SubkeyFolders(const std::string& dir) {
  std::vector<std::pair<std::string, std::string>> out;
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return out;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string folder = it->path().filename().string();
    if (folder.empty() || folder[0] == '.') continue;
    std::error_code typeError;
    if (!it->is_directory(typeError) || it->is_symlink(typeError)) continue;
    out.emplace_back(folder, DecodeName(folder));
  }
  return out;
}

// The folder of the subkey name of dir, or nullopt.
std::optional<std::string> FindChild(const std::string& dir, const std::string& name) {
  const std::string exact = dir + "/" + EncodeName(name);
  if (IsFolder(exact)) return exact;
  const std::string folded = FoldCase(name);
  for (const auto& [folder, keyName] : SubkeyFolders(dir))
    if (FoldCase(keyName) == folded) return dir + "/" + folder;
  return std::nullopt;
}

std::vector<NamedValue> ReadValues(const std::string& dir) {
  auto text = ReadWholeFile(dir + "/" + kValuesFile);
  if (!text) return {};
  return ParseValuesFile(*text);
}

bool WriteValues(const std::string& dir, const std::string& header,
                 const std::vector<NamedValue>& values) {
  return WriteFileAtomically(dir + "/" + kValuesFile, FormatValuesFile(header, values));
}

// Holds an exclusive lock on a key's folder for a read-modify-write of its values.
class KeyLock {
public:
  explicit KeyLock(const std::string& dir)
      : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~KeyLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  KeyLock(const KeyLock&) = delete;
  KeyLock& operator=(const KeyLock&) = delete;
  bool ok() const { return fd_ >= 0; }

private:
  int fd_;
};

std::string EnvOrEmpty(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

} // namespace

// ---- RegKey ----

std::optional<RegValue> RegKey::QueryValue(const std::string& name) const {
  for (auto& v : ReadValues(dir_))
    if (NamesEqual(v.name, name)) return std::move(v.value);
  return std::nullopt;
}

bool RegKey::UpdateValue(
    const std::string& name,
    const std::function<std::optional<RegValue>(const std::optional<RegValue>&)>& change) {
  KeyLock lock(dir_);
  if (!lock.ok()) return false;
  auto values = ReadValues(dir_);
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const NamedValue& v) { return NamesEqual(v.name, name); });
  std::optional<RegValue> old;
  if (it != values.end()) old = it->value;
  std::optional<RegValue> next = change(old);
  if (!next && !old) return true;
  if (!next) {
    values.erase(it);
  } else if (it != values.end()) {
    it->value = std::move(*next); // the name keeps the spelling it was created with
  } else {
    values.push_back({name, std::move(*next)});
  }
  return WriteValues(dir_, header_, values);
}

bool RegKey::SetValue(const std::string& name, const RegValue& value) {
  return UpdateValue(name, [&](const std::optional<RegValue>&) { return value; });
}

bool RegKey::DeleteValue(const std::string& name) {
  bool existed = false;
  const bool written = UpdateValue(name, [&](const std::optional<RegValue>& old) {
    existed = old.has_value();
    return std::optional<RegValue>();
  });
  return written && existed;
}

std::vector<std::string> RegKey::EnumSubkeys() const {
  std::vector<std::string> names;
  for (auto& [folder, name] : SubkeyFolders(dir_))
    names.push_back(std::move(name));
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const auto fa = FoldCase(a), fb = FoldCase(b);
    return fa != fb ? fa < fb : a < b;
  });
  return names;
}

std::vector<std::string> RegKey::EnumValueNames() const {
  std::vector<std::string> names;
  for (auto& v : ReadValues(dir_))
    names.push_back(std::move(v.name));
  return names;
}

bool RegKey::HasSubkeys() const {
  return !SubkeyFolders(dir_).empty();
}

// ---- RegistryStore ----

RegistryStore::RegistryStore(std::string folder) : folder_(std::move(folder)) {}

std::string RegistryStore::DefaultFolder() {
  std::string dir = EnvOrEmpty("VEXA_REGISTRY_DIR");
  if (!dir.empty()) return dir;
  std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::string home = EnvOrEmpty("HOME");
    if (home.empty()) {
      if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    }
    config = home + "/.config";
  }
  return config + "/vexa-registry";
}

RegistryStore RegistryStore::Default() {
  return RegistryStore(DefaultFolder());
}

std::optional<RegKey> RegistryStore::OpenKey(RegRoot root, const std::string& path) const {
  std::string dir = folder_ + "/" + RootName(root);
  std::string header = RootName(root);
  if (!IsFolder(dir)) return std::nullopt;
  for (const auto& part : SplitPath(path)) {
    auto child = FindChild(dir, part);
    if (!child) return std::nullopt;
    dir = std::move(*child);
    header += "\\" + DecodeName(dir.substr(dir.rfind('/') + 1));
  }
  return RegKey(std::move(dir), std::move(header));
}

std::optional<RegKey> RegistryStore::CreateKeyHandle(RegRoot root, const std::string& path) {
  std::string dir = folder_ + "/" + RootName(root);
  std::string header = RootName(root);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!IsFolder(dir)) return std::nullopt;
  for (const auto& part : SplitPath(path)) {
    auto child = FindChild(dir, part);
    if (!child) {
      const std::string folder = EncodeName(part);
      if (folder.size() > kMaxFolderName) return std::nullopt;
      const std::string made = dir + "/" + folder;
      if (::mkdir(made.c_str(), 0755) != 0 && errno != EEXIST) return std::nullopt;
      if (!IsFolder(made)) return std::nullopt;
      child = made;
    }
    dir = std::move(*child);
    header += "\\" + DecodeName(dir.substr(dir.rfind('/') + 1));
  }
  return RegKey(std::move(dir), std::move(header));
}

bool RegistryStore::KeyExists(RegRoot root, const std::string& path) const {
  return OpenKey(root, path).has_value();
}

bool RegistryStore::CreateKey(RegRoot root, const std::string& path) {
  return CreateKeyHandle(root, path).has_value();
}

bool RegistryStore::DeleteKeyTree(RegRoot root, const std::string& path) {
  // A root itself is never deleted.
  if (SplitPath(path).empty()) return false;
  auto key = OpenKey(root, path);
  if (!key) return false;
  const std::string& dir = key->dir_;
  // Move the key out of the tree in one step, then remove its folder: a reader sees the
  // whole key or none of it.
  static std::atomic<unsigned> counter{0};
  const std::string parent = dir.substr(0, dir.rfind('/'));
  const std::string doomed = parent + "/.deleted-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter.fetch_add(1));
  if (::rename(dir.c_str(), doomed.c_str()) != 0) return false;
  std::error_code ec;
  fs::remove_all(doomed, ec);
  return true;
}

std::vector<std::string> RegistryStore::EnumSubkeys(RegRoot root, const std::string& path) const {
  auto key = OpenKey(root, path);
  return key ? key->EnumSubkeys() : std::vector<std::string>{};
}

std::vector<std::string> RegistryStore::EnumValueNames(RegRoot root,
                                                       const std::string& path) const {
  auto key = OpenKey(root, path);
  return key ? key->EnumValueNames() : std::vector<std::string>{};
}

std::optional<RegValue> RegistryStore::QueryValue(RegRoot root, const std::string& path,
                                                  const std::string& name) const {
  auto key = OpenKey(root, path);
  return key ? key->QueryValue(name) : std::nullopt;
}

bool RegistryStore::SetValue(RegRoot root, const std::string& path, const std::string& name,
                             const RegValue& value) {
  auto key = CreateKeyHandle(root, path);
  return key && key->SetValue(name, value);
}

bool RegistryStore::DeleteValue(RegRoot root, const std::string& path, const std::string& name) {
  auto key = OpenKey(root, path);
  return key && key->DeleteValue(name);
}

} // namespace vexa::platform

#include "shell/portable_registry.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>

#include "common/files.h"

namespace rw {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "rinkwarden-registry 1";

struct RootName {
  RootKey root;
  const char* name;
};
constexpr std::array<RootName, 6> kRootNames{{
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RootKey::CurrentConfig, "HKEY_CURRENT_CONFIG"},
    {RootKey::DynData, "HKEY_DYN_DATA"},
    {RootKey::Users, "HKEY_USERS"},
    {RootKey::CurrentUser, "HKEY_CURRENT_USER"},
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT"},
}};

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// True when `key` is `ancestor` itself or lies below it.
bool AtOrBelow(std::string_view key, std::string_view ancestor) {
  if (ancestor.empty()) return true;
  if (key.size() < ancestor.size() || !SameText(key.substr(0, ancestor.size()), ancestor)) return false;
  return key.size() == ancestor.size() || key[ancestor.size()] == '\\';
}

const char* RootNameOf(RootKey root) {
  for (const auto& r : kRootNames)
    if (r.root == root) return r.name;
  return "HKEY_CURRENT_USER";
}

std::optional<RootKey> RootFromName(std::string_view name) {
  for (const auto& r : kRootNames)
    if (SameText(name, r.name)) return r.root;
  return std::nullopt;
}

// Bytes that could break a line or a quoted text are written as %HH.
std::string Encode(std::string_view text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || c == '%' || c == '"') {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x20 || b == 0x7F || text[i] == '"') return std::nullopt;
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = HexDigit(text[i + 1]);
    const int lo = HexDigit(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

// Reads `"..."` at the start of `line`; returns the decoded text and removes it from `line`.
std::optional<std::string> TakeQuoted(std::string_view& line) {
  if (line.empty() || line[0] != '"') return std::nullopt;
  const auto end = line.find('"', 1);
  if (end == std::string_view::npos) return std::nullopt;
  auto text = Decode(line.substr(1, end - 1));
  line.remove_prefix(end + 1);
  return text;
}

std::optional<std::int32_t> ParseInt32(std::string_view s) {
  bool negative = false;
  if (!s.empty() && s[0] == '-') {
    negative = true;
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 10) return std::nullopt;
  std::int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

}  // namespace

std::string DefaultPortableStoreFolder() {
  if (std::string xdg = Env("XDG_CONFIG_HOME"); !xdg.empty()) return xdg + "/rinkwarden";
  if (std::string home = Env("HOME"); !home.empty()) return home + "/.config/rinkwarden";
  return {};
}

std::optional<std::string> DocumentsDirFromUserDirs(std::string_view text, const std::string& home) {
  std::optional<std::string> found;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=\"";
    if (line.substr(0, kKey.size()) != kKey) continue;
    line.remove_prefix(kKey.size());
    const auto close = line.rfind('"');
    if (close == std::string_view::npos) continue;
    std::string value(line.substr(0, close));
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (value.empty() || value[0] != '/') continue;  // the file format allows only these forms
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    found = value;  // the last assignment wins, as in a shell
  }
  return found;
}

PortableMachineValues MachineValuesFromEnvironment(const std::string& fallbackLogin) {
  PortableMachineValues m;
  m.loginName = Env("USER");
  if (m.loginName.empty()) m.loginName = Env("LOGNAME");
  if (m.loginName.empty()) m.loginName = fallbackLogin;

  const std::string home = Env("HOME");
  m.documentsFolder = Env("XDG_DOCUMENTS_DIR");
  if (m.documentsFolder.empty()) {
    std::string configHome = Env("XDG_CONFIG_HOME");
    if (configHome.empty() && !home.empty()) configHome = home + "/.config";
    if (!configHome.empty()) {
      auto text = ReadWholeFile(configHome + "/user-dirs.dirs", 1024 * 1024);
      if (text) {
        if (auto dir = DocumentsDirFromUserDirs(ToString(*text), home)) m.documentsFolder = *dir;
      }
    }
  }
  if (m.documentsFolder.empty() && !home.empty()) m.documentsFolder = home + "/Documents";
  return m;
}

PortableRegistry::PortableRegistry(std::string folder, PortableMachineValues machine, std::ostream& errors)
    : folder_(std::move(folder)), machine_(std::move(machine)) {
  if (folder_.empty()) return;  // nowhere to keep settings: an empty store whose writes fail
  file_ = folder_ + "/" + kPortableStoreFileName;
  if (!FileExists(file_)) {
    std::error_code ec;
    if (fs::exists(file_, ec)) {
      damaged_ = true;
      errors << "Rinkwarden: the settings store " << file_ << " is not a regular file; settings start empty."
             << std::endl;
    }
    return;
  }
  auto text = ReadWholeFile(file_, kMaxPortableStoreSize);
  if (!text) {
    damaged_ = true;
    errors << "Rinkwarden: cannot read the settings store " << file_ << " (" << text.error().message
           << "); settings start empty and the file is kept until settings are saved." << std::endl;
    return;
  }
  auto parsed = Parse(ToString(*text));
  if (!parsed) {
    damaged_ = true;
    errors << "Rinkwarden: the settings store " << file_
           << " is damaged; settings start empty and the file is kept until settings are saved." << std::endl;
    return;
  }
  keys_ = std::move(*parsed);
}

std::string PortableRegistry::Format(const std::vector<Key>& keys) {
  std::string out;
  out += "# Rinkwarden settings. Format: docs/settings-store.md. Edit only while Rinkwarden is closed.\n";
  out += kHeader;
  out += '\n';
  for (const Key& k : keys) {
    out += "\n[";
    out += RootNameOf(k.root);
    if (!k.path.empty()) {
      out += '\\';
      out += Encode(k.path);
    }
    out += "]\n";
    for (const Value& v : k.values) {
      out += '"';
      out += Encode(v.name);
      out += "\"=";
      if (v.value.type == RegValue::Type::Integer) {
        out += "integer:";
        out += std::to_string(v.value.number);
      } else {
        out += "string:\"";
        out += Encode(v.value.text);
        out += '"';
      }
      out += '\n';
    }
  }
  return out;
}

std::optional<std::vector<PortableRegistry::Key>> PortableRegistry::Parse(std::string_view text) {
  std::vector<Key> keys;
  bool sawHeader = false;
  Key* current = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // edited on Windows
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    if (!sawHeader) {
      if (line != kHeader) return std::nullopt;
      sawHeader = true;
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']') return std::nullopt;
      const std::string_view inner = line.substr(1, line.size() - 2);
      const auto slash = inner.find('\\');
      const auto root = RootFromName(inner.substr(0, slash));
      if (!root) return std::nullopt;
      std::string path;
      if (slash != std::string_view::npos) {
        auto decoded = Decode(inner.substr(slash + 1));
        if (!decoded || decoded->empty()) return std::nullopt;
        path = std::move(*decoded);
      }
      current = nullptr;
      for (Key& k : keys)
        if (k.root == *root && SameText(k.path, path)) current = &k;
      if (!current) {
        keys.push_back(Key{*root, std::move(path), {}});
        current = &keys.back();
      }
      continue;
    }
    if (!current) return std::nullopt;
    auto name = TakeQuoted(line);
    if (!name || line.empty() || line[0] != '=') return std::nullopt;
    line.remove_prefix(1);
    RegValue value;
    if (line.substr(0, 8) == "integer:") {
      auto n = ParseInt32(line.substr(8));
      if (!n) return std::nullopt;
      value = RegValue::Integer(*n);
    } else if (line.substr(0, 7) == "string:") {
      line.remove_prefix(7);
      auto s = TakeQuoted(line);
      if (!s || !line.empty()) return std::nullopt;
      value = RegValue::String(std::move(*s));
    } else {
      return std::nullopt;
    }
    auto same = std::find_if(current->values.begin(), current->values.end(),
                             [&](const Value& v) { return SameText(v.name, *name); });
    if (same != current->values.end()) {
      same->value = std::move(value);
    } else {
      current->values.push_back(Value{std::move(*name), std::move(value)});
    }
  }
  if (!sawHeader) return std::nullopt;
  return keys;
}

PortableRegistry::Key* PortableRegistry::Find(RootKey root, std::string_view path) {
  for (Key& k : keys_)
    if (k.root == root && SameText(k.path, path)) return &k;
  return nullptr;
}

bool PortableRegistry::KeyExists(RootKey root, std::string_view path) const {
  if ((root == RootKey::LocalMachine && AtOrBelow(kWinlogonKey, path)) ||
      (root == RootKey::CurrentUser && AtOrBelow(kShellFoldersKey, path))) {
    return true;
  }
  return std::any_of(keys_.begin(), keys_.end(),
                     [&](const Key& k) { return k.root == root && AtOrBelow(k.path, path); });
}

std::optional<RegValue> PortableRegistry::MachineValue(RootKey root, std::string_view path,
                                                       std::string_view name) const {
  if (root == RootKey::LocalMachine && SameText(path, kWinlogonKey) && SameText(name, "DefaultUserName")) {
    if (!machine_.loginName.empty()) return RegValue::String(machine_.loginName);
  }
  if (root == RootKey::CurrentUser && SameText(path, kShellFoldersKey) && SameText(name, "Personal")) {
    if (!machine_.documentsFolder.empty()) return RegValue::String(machine_.documentsFolder);
  }
  return std::nullopt;
}

bool PortableRegistry::Save() {
  if (file_.empty()) return false;
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (damaged_) {
    // The damaged file is about to be replaced; keep its bytes beside it for the user.
    std::error_code ignored;
    if (fs::is_regular_file(file_, ignored))
      fs::copy_file(file_, file_ + ".damaged", fs::copy_options::overwrite_existing, ignored);
  }
  const std::string text = Format(keys_);
  if (!WriteFileAtomic(file_, AsBytes(text))) return false;
  damaged_ = false;
  return true;
}

bool PortableRegistry::OpenKey(RootKey root, const std::string& key, bool create) {
  if (KeyExists(root, key)) return true;
  if (!create) return false;
  keys_.push_back(Key{root, key, {}});
  // A damaged file stays as it is until a value is written; the new key lives in memory.
  if (damaged_) return true;
  if (!Save()) {
    keys_.pop_back();
    return false;
  }
  return true;
}

std::optional<RegValue> PortableRegistry::GetValue(RootKey root, const std::string& key,
                                                   const std::string& name) {
  if (const Key* k = Find(root, key)) {
    for (const Value& v : k->values)
      if (SameText(v.name, name)) return v.value;
  }
  return MachineValue(root, key, name);
}

bool PortableRegistry::SetValue(RootKey root, const std::string& key, const std::string& name,
                                const RegValue& value) {
  if (!KeyExists(root, key)) return false;
  const std::vector<Key> before = keys_;
  Key* k = Find(root, key);
  if (!k) {
    keys_.push_back(Key{root, key, {}});
    k = &keys_.back();
  }
  auto same = std::find_if(k->values.begin(), k->values.end(),
                           [&](const Value& v) { return SameText(v.name, name); });
  if (same != k->values.end()) {
    same->value = value;
  } else {
    k->values.push_back(Value{name, value});
  }
  if (!Save()) {
    keys_ = before;
    return false;
  }
  return true;
}

}  // namespace rw

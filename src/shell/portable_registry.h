#pragma once
// The registry on platforms without one: a text file per user in the user's configuration
// folder, holding keys and typed values (format in docs/settings-store.md). Every change
// rewrites the whole file atomically, so a crash never leaves half a store. A damaged file reads
// as an empty store, with one line on the error stream; it is left as it is until the next write
// replaces it.
//
// The system also reads two machine values that only Windows keeps in its registry: the login
// name (HKLM ...\Winlogon "DefaultUserName") and the documents folder (HKCU ...\Shell Folders
// "Personal"). The store answers them from the host unless the file holds values of its own.

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "shell/registry.h"

namespace rw {

// What the host says for the machine values.
struct PortableMachineValues {
  std::string loginName;        // the user's login name
  std::string documentsFolder;  // the user's documents folder, without trailing separator
};

inline constexpr const char* kWinlogonKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr const char* kShellFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kPortableStoreFileName = "registry.txt";
inline constexpr std::uint64_t kMaxPortableStoreSize = 4ull * 1024 * 1024;

// The configuration folder of the store: $XDG_CONFIG_HOME/rinkwarden, else
// $HOME/.config/rinkwarden; "" when neither variable is set.
std::string DefaultPortableStoreFolder();

// The machine values from the environment: $USER (else $LOGNAME, else `fallbackLogin`) and the
// XDG documents folder ($XDG_DOCUMENTS_DIR, else XDG_DOCUMENTS_DIR in user-dirs.dirs of the
// configuration home, else $HOME/Documents).
PortableMachineValues MachineValuesFromEnvironment(const std::string& fallbackLogin = {});

// The documents folder named by the text of a user-dirs.dirs file (XDG_DOCUMENTS_DIR="..." with
// "$HOME" expanded), or nullopt when the text names none.
std::optional<std::string> DocumentsDirFromUserDirs(std::string_view text, const std::string& home);

class PortableRegistry : public IRegistry {
 public:
  // Loads `folder`/registry.txt (`folder` is a host path; an empty one gives a store that keeps
  // nothing and whose writes fail). `errors` receives the one line about a damaged file.
  PortableRegistry(std::string folder, PortableMachineValues machine, std::ostream& errors);

  bool OpenKey(RootKey root, const std::string& key, bool create) override;
  std::optional<RegValue> GetValue(RootKey root, const std::string& key, const std::string& name) override;
  bool SetValue(RootKey root, const std::string& key, const std::string& name,
                const RegValue& value) override;

  const std::string& FilePath() const { return file_; }

  // The store's text, and its parser (nullopt for a damaged text). Exposed for tests and tools.
  struct Value {
    std::string name;  // as first written; lookups ignore case
    RegValue value;
  };
  struct Key {
    RootKey root;
    std::string path;  // as first written; lookups ignore case
    std::vector<Value> values;
  };
  static std::string Format(const std::vector<Key>& keys);
  static std::optional<std::vector<Key>> Parse(std::string_view text);

 private:
  Key* Find(RootKey root, std::string_view path);
  bool KeyExists(RootKey root, std::string_view path) const;
  std::optional<RegValue> MachineValue(RootKey root, std::string_view path, std::string_view name) const;
  bool Save();

  std::string folder_;
  std::string file_;
  PortableMachineValues machine_;
  std::vector<Key> keys_;
  bool damaged_ = false;  // the file on disk did not parse; replaced at the first value written
};

}  // namespace rw

#pragma once
// The registry: the system's only configuration store. IRegistry is the store (the Windows
// registry on Windows, a portable per-user file elsewhere, memory in tests); the four helpers
// ReadRegString, ReadRegInteger, WriteRegInteger and WriteRegString are how the rest of the
// system uses it. A helper never fails loudly: reads give "" or 0, writes give false.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

namespace rw {

enum class RootKey { LocalMachine, CurrentConfig, DynData, Users, CurrentUser, ClassesRoot };

// "HLM", "HCC", "HDD", "HU", "HCU", "HCR", compared case-sensitively; any other text is the
// current user's branch.
RootKey RootKeyFromCode(std::string_view code);

struct RegValue {
  enum class Type { String, Integer } type = Type::String;
  std::string text;
  std::int32_t number = 0;

  static RegValue String(std::string s) { return RegValue{Type::String, std::move(s), 0}; }
  static RegValue Integer(std::int32_t n) { return RegValue{Type::Integer, {}, n}; }
  friend bool operator==(const RegValue&, const RegValue&) = default;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Opens a key, creating it (and its parents) when `create` is set. False when the key does
  // not exist afterwards or cannot be opened.
  virtual bool OpenKey(RootKey root, const std::string& key, bool create) = 0;
  // The value, or nullopt when the key or value does not exist or cannot be read.
  virtual std::optional<RegValue> GetValue(RootKey root, const std::string& key, const std::string& name) = 0;
  // Writes a value into an existing key; false on failure.
  virtual bool SetValue(RootKey root, const std::string& key, const std::string& name,
                        const RegValue& value) = 0;
};

// Each helper selects the root by code, opens the key with creation allowed (so a read
// creates a missing key), does its one operation and turns every failure into its failure
// result: "" / 0 / false. A value of the wrong type is a failure.
std::string ReadRegString(IRegistry& reg, std::string_view root, const std::string& key,
                          const std::string& name);
std::int32_t ReadRegInteger(IRegistry& reg, std::string_view root, const std::string& key,
                            const std::string& name);
bool WriteRegInteger(IRegistry& reg, std::string_view root, const std::string& key, const std::string& name,
                     std::int32_t value);
bool WriteRegString(IRegistry& reg, std::string_view root, const std::string& key, const std::string& name,
                    const std::string& value);

// A registry held in memory. Key paths compare without regard to case, as Windows does.
class MemoryRegistry : public IRegistry {
 public:
  bool OpenKey(RootKey root, const std::string& key, bool create) override;
  std::optional<RegValue> GetValue(RootKey root, const std::string& key, const std::string& name) override;
  bool SetValue(RootKey root, const std::string& key, const std::string& name,
                const RegValue& value) override;

  bool HasKey(RootKey root, const std::string& key) const;
  bool failWrites = false;  // makes every write fail, for tests of the failure results

 private:
  static std::string Fold(std::string_view s);
  std::map<std::tuple<RootKey, std::string>, std::map<std::string, RegValue>> keys_;
};

}  // namespace rw

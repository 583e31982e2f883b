#include "shell/registry.h"

#include <cctype>

namespace rw {

RootKey RootKeyFromCode(std::string_view code) {
  if (code == "HLM") return RootKey::LocalMachine;
  if (code == "HCC") return RootKey::CurrentConfig;
  if (code == "HDD") return RootKey::DynData;
  if (code == "HU") return RootKey::Users;
  if (code == "HCU") return RootKey::CurrentUser;
  if (code == "HCR") return RootKey::ClassesRoot;
  return RootKey::CurrentUser;
}

std::string ReadRegString(IRegistry& reg, std::string_view root, const std::string& key,
                          const std::string& name) {
  const RootKey r = RootKeyFromCode(root);
  if (!reg.OpenKey(r, key, true)) return {};
  auto v = reg.GetValue(r, key, name);
  if (!v || v->type != RegValue::Type::String) return {};
  return v->text;
}

std::int32_t ReadRegInteger(IRegistry& reg, std::string_view root, const std::string& key,
                            const std::string& name) {
  const RootKey r = RootKeyFromCode(root);
  if (!reg.OpenKey(r, key, true)) return 0;
  auto v = reg.GetValue(r, key, name);
  if (!v || v->type != RegValue::Type::Integer) return 0;
  return v->number;
}

bool WriteRegInteger(IRegistry& reg, std::string_view root, const std::string& key, const std::string& name,
                     std::int32_t value) {
  const RootKey r = RootKeyFromCode(root);
  if (!reg.OpenKey(r, key, true)) return false;
  return reg.SetValue(r, key, name, RegValue::Integer(value));
}

bool WriteRegString(IRegistry& reg, std::string_view root, const std::string& key, const std::string& name,
                    const std::string& value) {
  const RootKey r = RootKeyFromCode(root);
  if (!reg.OpenKey(r, key, true)) return false;
  return reg.SetValue(r, key, name, RegValue::String(value));
}

std::string MemoryRegistry::Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool MemoryRegistry::OpenKey(RootKey root, const std::string& key, bool create) {
  const std::string folded = Fold(key);
  const auto k = std::make_tuple(root, folded);
  if (keys_.count(k)) return true;
  // A key exists when a key below it does, as creating "A\B" creates "A".
  for (const auto& [stored, values] : keys_) {
    const std::string& path = std::get<1>(stored);
    if (std::get<0>(stored) == root && path.size() > folded.size() &&
        path.compare(0, folded.size(), folded) == 0 && path[folded.size()] == '\\')
      return true;
  }
  if (!create || failWrites) return false;
  keys_[k];
  return true;
}

std::optional<RegValue> MemoryRegistry::GetValue(RootKey root, const std::string& key,
                                                 const std::string& name) {
  const auto it = keys_.find(std::make_tuple(root, Fold(key)));
  if (it == keys_.end()) return std::nullopt;
  const auto v = it->second.find(Fold(name));
  if (v == it->second.end()) return std::nullopt;
  return v->second;
}

bool MemoryRegistry::SetValue(RootKey root, const std::string& key, const std::string& name,
                              const RegValue& value) {
  if (failWrites) return false;
  const auto it = keys_.find(std::make_tuple(root, Fold(key)));
  if (it == keys_.end()) return false;
  it->second[Fold(name)] = value;
  return true;
}

bool MemoryRegistry::HasKey(RootKey root, const std::string& key) const {
  return keys_.count(std::make_tuple(root, Fold(key))) != 0;
}

}  // namespace rw

#include "shell/window_placement.h"

namespace rw {
namespace {

std::int32_t ReadOr(IRegistry& reg, const char* name, std::int32_t current) {
  auto v = reg.GetValue(RootKey::CurrentUser, kPlacementKey, name);
  if (!v || v->type != RegValue::Type::Integer) return current;
  return v->number;
}

}  // namespace

WindowPlacement ReadWindowPlacement(IRegistry& registry, const WindowPlacement& current) {
  WindowPlacement p = current;
  if (!registry.OpenKey(RootKey::CurrentUser, kPlacementKey, true)) return p;
  p.left = ReadOr(registry, "Left", current.left);
  p.top = ReadOr(registry, "Top", current.top);
  p.width = ReadOr(registry, "Width", current.width);
  p.height = ReadOr(registry, "Height", current.height);
  p.maximized = ReadOr(registry, "Maximized", current.maximized ? 1 : 0) != 0;
  return p;
}

bool WriteWindowPlacement(IRegistry& registry, const WindowPlacement& placement) {
  bool ok = WriteRegInteger(registry, "HCU", kPlacementKey, "Maximized", placement.maximized ? 1 : 0);
  ok = WriteRegInteger(registry, "HCU", kPlacementKey, "Left", placement.left) && ok;
  ok = WriteRegInteger(registry, "HCU", kPlacementKey, "Top", placement.top) && ok;
  ok = WriteRegInteger(registry, "HCU", kPlacementKey, "Width", placement.width) && ok;
  ok = WriteRegInteger(registry, "HCU", kPlacementKey, "Height", placement.height) && ok;
  return ok;
}

}  // namespace rw

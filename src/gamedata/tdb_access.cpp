#include "gamedata/tdb_access.h"

#include <cstring>

#include "common/files.h"

namespace rw {

std::int32_t TdbLibrary::TDBOpen(const std::string& systemPath) {
  auto file = ReadWholeFile(systemPath);
  if (!file) return -1;
  return TDBOpenBytes(*file);
}

std::int32_t TdbLibrary::TDBOpenBytes(ByteSpan file) {
  auto db = ParseTdb(file);
  if (!db) return -1;
  for (std::size_t i = 0; i < open_.size(); ++i) {
    if (!open_[i]) {
      open_[i] = std::move(*db);
      return static_cast<std::int32_t>(i);
    }
  }
  if (open_.size() >= kMaxOpen) return -1;
  open_.push_back(std::move(*db));
  return static_cast<std::int32_t>(open_.size() - 1);
}

bool TdbLibrary::TDBClose(std::int32_t handle) {
  if (!Db(handle)) return false;
  open_[static_cast<std::size_t>(handle)].reset();
  return true;
}

std::size_t TdbLibrary::OpenCount() const {
  std::size_t n = 0;
  for (const auto& d : open_) n += d ? 1 : 0;
  return n;
}

const TdbDatabase* TdbLibrary::Db(std::int32_t handle) const {
  if (handle < 0 || static_cast<std::size_t>(handle) >= open_.size()) return nullptr;
  const auto& d = open_[static_cast<std::size_t>(handle)];
  return d ? &*d : nullptr;
}

std::int32_t TdbLibrary::TDBDatabaseGetTableCount(std::int32_t handle) const {
  const TdbDatabase* db = Db(handle);
  return db ? static_cast<std::int32_t>(db->tables.size()) : 0;
}

bool TdbLibrary::TDBTableGetProperties(std::int32_t handle, std::int32_t tableIndex,
                                       TDBTableProperties& props) const {
  const TdbDatabase* db = Db(handle);
  if (!db || tableIndex < 0 || static_cast<std::size_t>(tableIndex) >= db->tables.size()) return false;
  const TdbTable& t = db->tables[static_cast<std::size_t>(tableIndex)];
  props.Name = t.name.substr(0, t.name.find('\0'));
  props.FieldCount = static_cast<std::int32_t>(t.fields.size());
  props.Capacity = t.capacity;
  props.RecordCount = t.recordCount;
  props.DeletedCount = t.deletedCount;
  props.NextDeletedRecord = t.firstDeleted;
  props.Flag0 = (t.flags & 0x01) != 0;
  props.Flag1 = (t.flags & 0x02) != 0;
  props.Flag2 = (t.flags & 0x04) != 0;
  props.Flag3 = (t.flags & 0x08) != 0;
  props.NonAllocated = (t.flags & 0x10) != 0;
  props.HasVarchar = (t.flags & 0x20) != 0;
  props.HasCompressedVarchar = (t.flags & 0x40) != 0;
  return true;
}

std::int32_t TdbLibrary::TDBFieldGetValueAsInteger(std::int32_t handle, std::string_view table,
                                                   std::string_view field, std::int32_t record) const {
  const TdbDatabase* db = Db(handle);
  if (!db || record < 0) return 0;
  const TdbTable* t = db->FindTable(table);
  if (!t) return 0;
  const TdbField* f = t->FindField(field);
  if (!f) return 0;
  const auto v = GetInteger(*db, *t, *f, static_cast<std::uint32_t>(record));
  if (!v) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(*v)));
}

bool TdbLibrary::TDBFieldGetValueAsString(std::int32_t handle, std::string_view table, std::string_view field,
                                          std::int32_t record, char* buffer, std::size_t bufferSize) const {
  if (!buffer || bufferSize == 0) return false;
  buffer[0] = '\0';
  const TdbDatabase* db = Db(handle);
  if (!db || record < 0) return false;
  const TdbTable* t = db->FindTable(table);
  if (!t) return false;
  const TdbField* f = t->FindField(field);
  if (!f) return false;
  const auto text = GetString(*t, *f, static_cast<std::uint32_t>(record));
  if (!text) return false;
  const std::size_t n = std::min(text->size(), bufferSize - 1);
  std::memcpy(buffer, text->data(), n);
  buffer[n] = '\0';
  return true;
}

}  // namespace rw

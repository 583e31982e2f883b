#pragma once
// The database calls the roster reader makes, in the shape of EA's access library: integer
// handles, tables by number or four-character name, record numbers from 0, texts copied into a
// caller's fixed-size buffer. Each TdbLibrary keeps its own open databases, so nothing is global.
//
// Reads never fail loudly: an unknown handle, table or field, or a record number beyond the
// table's record count, reads as 0 or as an empty text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/tdb.h"

namespace rw {

struct TDBTableProperties {
  std::string Name;  // the four characters, cut at a NUL
  std::int32_t FieldCount = 0;
  std::int32_t Capacity = 0;
  std::int32_t RecordCount = 0;  // slots in use, deleted ones included
  std::int32_t DeletedCount = 0;
  std::int32_t NextDeletedRecord = 0;
  // Bits 0x01..0x40 of the table's flags.
  bool Flag0 = false, Flag1 = false, Flag2 = false, Flag3 = false;
  bool NonAllocated = false, HasVarchar = false, HasCompressedVarchar = false;
};

class TdbLibrary {
 public:
  // At most this many databases are open at once; a further TDBOpen fails.
  static constexpr std::size_t kMaxOpen = 64;

  // Opens and parses the TDB file at `systemPath`: a handle 0, 1, ... or -1 when the file is
  // missing, unreadable or not a valid TDB database.
  std::int32_t TDBOpen(const std::string& systemPath);
  // Opens a database held in memory (for the fixtures' checks); -1 when the bytes are refused.
  std::int32_t TDBOpenBytes(ByteSpan file);
  bool TDBClose(std::int32_t handle);
  std::int32_t TDBDatabaseGetTableCount(std::int32_t handle) const;
  // Fills `props` for table `tableIndex` (0 .. count-1); false, `props` untouched, otherwise.
  bool TDBTableGetProperties(std::int32_t handle, std::int32_t tableIndex, TDBTableProperties& props) const;
  // The value of an integer field (signed fields sign-extended; wider unsigned values wrap to
  // int32 as the 32-bit interface delivers them); 0 for anything that does not exist.
  std::int32_t TDBFieldGetValueAsInteger(std::int32_t handle, std::string_view table, std::string_view field,
                                         std::int32_t record) const;
  // Copies the text of a string field, NUL-terminated, into buffer[0 .. bufferSize-1]. A text
  // longer than bufferSize-1 is cut: the buffer is never written past. Anything that does not
  // exist gives the empty text (false). Nothing is written when bufferSize is 0.
  bool TDBFieldGetValueAsString(std::int32_t handle, std::string_view table, std::string_view field,
                                std::int32_t record, char* buffer, std::size_t bufferSize) const;

  std::size_t OpenCount() const;

 private:
  const TdbDatabase* Db(std::int32_t handle) const;
  std::vector<std::optional<TdbDatabase>> open_;
};

}  // namespace rw

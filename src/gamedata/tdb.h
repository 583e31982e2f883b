#pragma once
// EA's TDB database format (the game's roster database and its exhibition save), read and
// written by ourselves.
//
// Layout: a 24-byte file header ("DB", version 8 big-endian, endian flag at byte 4, file size
// at 8, table count at 0x10, header CRC at 0x14), a directory of 8-byte entries (name,
// offset of the table block counted from the end of the directory), the table blocks (40-byte
// header, 16-byte field definitions, record area, then whatever the table keeps after it) and
// a 4-byte trailer CRC. Multi-byte values are in the file's own byte order; four-character
// names are 32-bit values whose least significant byte is the first character.
//
// The reader follows each table's own field definitions (type, bit offset, width) and ignores
// every checksum; the writer computes all of them (CRC-32/MPEG-2).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/result.h"

namespace rw {

enum class TdbEndian { Little, Big };

// Field type codes of a field definition.
enum TdbType : std::uint32_t {
  kTdbString = 0,    // byte-aligned text, NUL-padded, may fill its width without a NUL
  kTdbBinary = 1,    // byte-aligned raw bytes
  kTdbSigned = 2,    // bit field, two's complement over its width
  kTdbUnsigned = 3,  // bit field, widths 1..32
  kTdbFloat = 4,     // 32-bit IEEE single
};

// Table flag bits (header +04). 0x10: the record area holds only the current records.
inline constexpr std::uint32_t kTdbFlagNonAllocated = 0x10;

struct TdbField {
  std::string name;  // four characters
  std::uint32_t type = kTdbUnsigned;
  std::uint32_t bitOffset = 0;  // inside the record
  std::uint32_t bitWidth = 0;   // strings too: bytes x 8
};

struct TdbTable {
  std::string name;  // four characters
  std::uint32_t flags = 2;
  std::uint32_t recordSize = 0;  // bytes
  std::uint32_t word10 = 0;      // header +10: 0 for fixed-width tables, kept as read
  std::uint16_t capacity = 0;
  std::uint16_t recordCount = 0;  // slots in use, deleted ones included
  std::uint16_t deletedCount = 0;
  std::uint16_t firstDeleted = 0xFFFF;
  std::uint8_t indexCount = 0;
  std::vector<TdbField> fields;
  Bytes records;  // the record area: capacity (or, non-allocated, recordCount) x recordSize bytes
  Bytes tail;     // bytes between the record area and the next table (string heap, index area)

  const TdbField* FindField(std::string_view fieldName) const;
  // Bytes of record `r`, or nullopt when r is not below recordCount or the area is short.
  std::optional<std::span<const std::uint8_t>> Record(std::uint32_t r) const;
  std::optional<std::span<std::uint8_t>> Record(std::uint32_t r);
  // The size of the record area the header describes.
  std::uint64_t ExpectedRecordBytes() const;
};

struct TdbDatabase {
  TdbEndian endian = TdbEndian::Little;
  std::vector<TdbTable> tables;

  const TdbTable* FindTable(std::string_view tableName) const;
  TdbTable* FindTable(std::string_view tableName);
};

// CRC-32/MPEG-2: polynomial 0x04C11DB7, initial 0xFFFFFFFF, MSB first, no final XOR.
std::uint32_t Crc32Mpeg2(ByteSpan data);

// Parses a whole TDB file. Refuses anything that does not start with "DB" 00 08, has an unknown
// endian flag, or whose directory, table headers, field definitions or record areas do not lie
// inside the file, or whose fields do not fit their records. Checksums are not checked.
Result<TdbDatabase> ParseTdb(ByteSpan file);

// Writes the database with every checksum computed. Refuses names that are not four bytes,
// fields outside their records, record areas whose size disagrees with the header values, and
// more tables or fields than the format can count.
Result<Bytes> WriteTdb(const TdbDatabase& db);

// Bit fields. The little-endian rule counts record bit n as bit n%8 (from the least
// significant) of byte n/8, and the first bit is the value's least significant; the big-endian
// rule counts it as bit 7-n%8 and the first bit is the most significant. Width 1..32; the range
// must lie inside `record`.
std::optional<std::uint32_t> ReadBits(ByteSpan record, TdbEndian endian, std::uint32_t bitOffset,
                                      std::uint32_t width);
// Clears then sets exactly `width` bits; false when the range is outside or the value does not fit.
bool WriteBits(std::span<std::uint8_t> record, TdbEndian endian, std::uint32_t bitOffset, std::uint32_t width,
               std::uint32_t value);

// Field values. An integer of a type-2 field is sign-extended from its width; a float field
// gives its value truncated toward zero (clamped to 32 bits); string and binary fields, or a
// record or field that does not exist, give nullopt.
std::optional<std::int64_t> GetInteger(const TdbDatabase& db, const TdbTable& table, const TdbField& field,
                                       std::uint32_t record);
// The text of a string field up to its first NUL or its full width; nullopt for other types.
std::optional<std::string> GetString(const TdbTable& table, const TdbField& field, std::uint32_t record);

// Setters for writing fixtures; false (and nothing changed) for a missing record, a wrong type
// or a value that does not fit the field (a text longer than the width, an integer out of range).
bool SetInteger(const TdbDatabase& db, TdbTable& table, std::string_view field, std::uint32_t record,
                std::int64_t value);
bool SetString(TdbTable& table, std::string_view field, std::uint32_t record, std::string_view text);

// Describes a field for NewTable: its name, type and width in bits (strings: bytes x 8).
struct TdbFieldSpec {
  std::string name;
  std::uint32_t type = kTdbUnsigned;
  std::uint32_t bitWidth = 0;
};

// A new allocated table (flags 2) with zeroed record slots: string fields laid out first,
// byte-aligned, then the bit fields packed one after another (so they straddle bytes), the
// record size rounded up to a multiple of 4 bytes, and the field definitions sorted by their
// 32-bit name value as the game's own files keep them. Refuses more than 255 fields, names that
// are not four bytes, and integer widths outside 1..32.
Result<TdbTable> NewTable(std::string name, const std::vector<TdbFieldSpec>& fields, std::uint16_t capacity,
                          std::uint16_t recordCount);

}  // namespace rw

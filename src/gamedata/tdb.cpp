#include "gamedata/tdb.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace rw {
namespace {

constexpr std::uint64_t kFileHeaderSize = 24;
constexpr std::uint64_t kDirEntrySize = 8;
constexpr std::uint64_t kTableHeaderSize = 40;
constexpr std::uint64_t kFieldDefSize = 16;
constexpr std::uint64_t kTrailerSize = 4;

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i << 24;
    for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
    t[i] = c;
  }
  return t;
}

// Reads values in the file's byte order.
class FeReader {
 public:
  FeReader(ByteSpan data, TdbEndian e) : r_(data), e_(e) {}
  std::optional<std::uint32_t> U32(std::uint64_t o) const {
    return e_ == TdbEndian::Little ? r_.U32LeAt(o) : r_.U32BeAt(o);
  }
  std::optional<std::uint16_t> U16(std::uint64_t o) const {
    return e_ == TdbEndian::Little ? r_.U16LeAt(o) : r_.U16BeAt(o);
  }
  std::optional<std::uint8_t> U8(std::uint64_t o) const { return r_.U8At(o); }
  // A four-character name: the value's least significant byte is the first character.
  std::optional<std::string> Name(std::uint64_t o) const {
    auto s = r_.SpanAt(o, 4);
    if (!s) return std::nullopt;
    std::string n = ToString(*s);
    if (e_ == TdbEndian::Big) std::reverse(n.begin(), n.end());
    return n;
  }
  std::optional<ByteSpan> Span(std::uint64_t o, std::uint64_t n) const { return r_.SpanAt(o, n); }

 private:
  ByteReader r_;
  TdbEndian e_;
};

void PutU32(Bytes& b, std::size_t o, std::uint32_t v, TdbEndian e) {
  for (int i = 0; i < 4; ++i) {
    const int shift = e == TdbEndian::Little ? 8 * i : 8 * (3 - i);
    b[o + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> shift);
  }
}
void PutU16(Bytes& b, std::size_t o, std::uint16_t v, TdbEndian e) {
  const auto lo = static_cast<std::uint8_t>(v & 0xFF), hi = static_cast<std::uint8_t>(v >> 8);
  b[o] = e == TdbEndian::Little ? lo : hi;
  b[o + 1] = e == TdbEndian::Little ? hi : lo;
}
void PutName(Bytes& b, std::size_t o, const std::string& name, TdbEndian e) {
  for (std::size_t i = 0; i < 4; ++i)
    b[o + (e == TdbEndian::Little ? i : 3 - i)] = static_cast<std::uint8_t>(name[i]);
}

// The 32-bit value of a name, by which field definitions are sorted.
std::uint32_t NameValue(const std::string& n) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4 && i < n.size(); ++i)
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(n[i])) << (8 * i);
  return v;
}

bool FieldFits(const TdbField& f, std::uint32_t recordSize) {
  return static_cast<std::uint64_t>(f.bitOffset) + f.bitWidth <= static_cast<std::uint64_t>(recordSize) * 8;
}

Error Bad(ErrorCode code, const std::string& what, std::uint64_t at) {
  return MakeError(code, "TDB file: " + what, static_cast<std::int64_t>(at));
}

}  // namespace

std::uint32_t Crc32Mpeg2(ByteSpan data) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : data) crc = (crc << 8) ^ table[((crc >> 24) ^ b) & 0xFF];
  return crc;
}

const TdbField* TdbTable::FindField(std::string_view fieldName) const {
  for (const TdbField& f : fields) {
    if (f.name == fieldName) return &f;
  }
  return nullptr;
}

std::uint64_t TdbTable::ExpectedRecordBytes() const {
  const std::uint64_t slots = (flags & kTdbFlagNonAllocated) ? recordCount : capacity;
  return slots * recordSize;
}

std::optional<std::span<const std::uint8_t>> TdbTable::Record(std::uint32_t r) const {
  if (r >= recordCount) return std::nullopt;
  const std::uint64_t start = static_cast<std::uint64_t>(r) * recordSize;
  if (!RangeOk(records.size(), start, recordSize)) return std::nullopt;
  return std::span<const std::uint8_t>(records).subspan(static_cast<std::size_t>(start), recordSize);
}

std::optional<std::span<std::uint8_t>> TdbTable::Record(std::uint32_t r) {
  if (r >= recordCount) return std::nullopt;
  const std::uint64_t start = static_cast<std::uint64_t>(r) * recordSize;
  if (!RangeOk(records.size(), start, recordSize)) return std::nullopt;
  return std::span<std::uint8_t>(records).subspan(static_cast<std::size_t>(start), recordSize);
}

const TdbTable* TdbDatabase::FindTable(std::string_view tableName) const {
  for (const TdbTable& t : tables) {
    if (t.name == tableName) return &t;
  }
  return nullptr;
}

TdbTable* TdbDatabase::FindTable(std::string_view tableName) {
  for (TdbTable& t : tables) {
    if (t.name == tableName) return &t;
  }
  return nullptr;
}

Result<TdbDatabase> ParseTdb(ByteSpan file) {
  if (file.size() < kFileHeaderSize) return Bad(ErrorCode::Truncated, "shorter than its header", file.size());
  if (file[0] != 0x44 || file[1] != 0x42 || file[2] != 0x00 || file[3] != 0x08) {
    return Bad(ErrorCode::Invalid, "does not start with DB 00 08", 0);
  }
  TdbDatabase db;
  if (file[4] == 0) {
    db.endian = TdbEndian::Little;
  } else if (file[4] == 1) {
    db.endian = TdbEndian::Big;
  } else {
    return Bad(ErrorCode::Invalid, "unknown endian flag", 4);
  }
  const FeReader in(file, db.endian);
  // The size field normally equals the file's length; a member extracted with padding may be
  // longer, so a smaller plausible size wins, anything else is ignored.
  std::uint64_t end = file.size();
  if (const std::uint64_t declared = *in.U32(8); declared >= kFileHeaderSize && declared < end)
    end = declared;

  const std::uint64_t count = *in.U32(0x10);
  const std::uint64_t dirEnd = kFileHeaderSize + kDirEntrySize * count;
  if (count > 0 && dirEnd + kTrailerSize > end)
    return Bad(ErrorCode::Truncated, "directory beyond the file", 0x10);
  const std::uint64_t limit = end >= dirEnd + kTrailerSize ? end - kTrailerSize : end;  // trailer excluded

  struct Entry {
    std::string name;
    std::uint64_t start;
  };
  std::vector<Entry> entries;
  entries.reserve(static_cast<std::size_t>(count));  // bounded by the file's size (checked above)
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t at = kFileHeaderSize + kDirEntrySize * i;
    const std::uint64_t start = dirEnd + *in.U32(at + 4);
    if (start + kTableHeaderSize > limit) return Bad(ErrorCode::Truncated, "table block beyond the file", at);
    entries.push_back({*in.Name(at), start});
  }
  // Blocks run back to back; a block ends where the next one (by position) starts. Two tables
  // cannot share a block, which also keeps the total copied bytes within the file's size.
  std::vector<std::uint64_t> starts;
  starts.reserve(entries.size());
  for (const Entry& e : entries) starts.push_back(e.start);
  std::sort(starts.begin(), starts.end());
  if (std::adjacent_find(starts.begin(), starts.end()) != starts.end()) {
    return Bad(ErrorCode::Invalid, "two tables at the same offset", 0x18);
  }

  db.tables.reserve(entries.size());
  for (const Entry& e : entries) {
    const auto next = std::upper_bound(starts.begin(), starts.end(), e.start);
    const std::uint64_t blockEnd = next == starts.end() ? limit : *next;
    const std::uint64_t h = e.start;
    TdbTable t;
    t.name = e.name;
    t.flags = *in.U32(h + 0x04);
    t.recordSize = *in.U32(h + 0x08);
    t.word10 = *in.U32(h + 0x10);
    t.capacity = *in.U16(h + 0x14);
    t.recordCount = *in.U16(h + 0x16);
    t.deletedCount = *in.U16(h + 0x18);
    t.firstDeleted = *in.U16(h + 0x1A);
    const std::uint64_t fieldCount = *in.U8(h + 0x1C);
    t.indexCount = *in.U8(h + 0x1D);
    const std::uint64_t fieldsAt = h + kTableHeaderSize;
    const std::uint64_t recordsAt = fieldsAt + kFieldDefSize * fieldCount;
    if (recordsAt > blockEnd) return Bad(ErrorCode::Truncated, "field definitions of " + t.name + " cut", h);
    for (std::uint64_t f = 0; f < fieldCount; ++f) {
      const std::uint64_t at = fieldsAt + kFieldDefSize * f;
      TdbField fd;
      fd.type = *in.U32(at);
      fd.bitOffset = *in.U32(at + 4);
      fd.name = *in.Name(at + 8);
      fd.bitWidth = *in.U32(at + 12);
      if (!FieldFits(fd, t.recordSize)) {
        return Bad(ErrorCode::Invalid, "field " + fd.name + " of " + t.name + " outside its record", at);
      }
      t.fields.push_back(std::move(fd));
    }
    const std::uint64_t recordBytes = t.ExpectedRecordBytes();
    if (recordBytes > blockEnd - recordsAt) {
      return Bad(ErrorCode::Truncated, "record area of " + t.name + " cut", recordsAt);
    }
    const ByteSpan area = *in.Span(recordsAt, recordBytes);
    t.records.assign(area.begin(), area.end());
    const ByteSpan tail = *in.Span(recordsAt + recordBytes, blockEnd - recordsAt - recordBytes);
    t.tail.assign(tail.begin(), tail.end());
    db.tables.push_back(std::move(t));
  }
  return db;
}

Result<Bytes> WriteTdb(const TdbDatabase& db) {
  const TdbEndian e = db.endian;
  const std::uint64_t count = db.tables.size();
  if (count > 0xFFFFFFFFull / kDirEntrySize) return MakeError(ErrorCode::TooLarge, "TDB: too many tables");
  std::uint64_t total = kFileHeaderSize + kDirEntrySize * count + kTrailerSize;
  for (const TdbTable& t : db.tables) {
    if (t.name.size() != 4)
      return MakeError(ErrorCode::Usage, "TDB: table name \"" + t.name + "\" is not 4 bytes");
    if (t.fields.size() > 255)
      return MakeError(ErrorCode::TooLarge, "TDB: table " + t.name + " has too many fields");
    for (const TdbField& f : t.fields) {
      if (f.name.size() != 4)
        return MakeError(ErrorCode::Usage, "TDB: field name \"" + f.name + "\" is not 4 bytes");
      if (!FieldFits(f, t.recordSize)) {
        return MakeError(ErrorCode::Usage, "TDB: field " + f.name + " of " + t.name + " outside its record");
      }
    }
    if (t.records.size() != t.ExpectedRecordBytes()) {
      return MakeError(ErrorCode::Usage, "TDB: record area of " + t.name + " does not match its header");
    }
    total += kTableHeaderSize + kFieldDefSize * t.fields.size() + t.records.size() + t.tail.size();
  }
  if (total > 0xFFFFFFFFull) return MakeError(ErrorCode::TooLarge, "TDB: database larger than 4 GiB");

  Bytes out(static_cast<std::size_t>(total), 0);
  out[0] = 0x44;
  out[1] = 0x42;
  out[2] = 0x00;
  out[3] = 0x08;
  out[4] = e == TdbEndian::Little ? 0 : 1;
  PutU32(out, 0x08, static_cast<std::uint32_t>(total), e);
  PutU32(out, 0x10, static_cast<std::uint32_t>(count), e);
  const std::size_t dirEnd = static_cast<std::size_t>(kFileHeaderSize + kDirEntrySize * count);

  std::size_t pos = dirEnd;
  std::size_t prevContent = 0, prevContentLen = 0;
  for (std::size_t i = 0; i < db.tables.size(); ++i) {
    const TdbTable& t = db.tables[i];
    const std::size_t dirAt = static_cast<std::size_t>(kFileHeaderSize + kDirEntrySize * i);
    PutName(out, dirAt, t.name, e);
    PutU32(out, dirAt + 4, static_cast<std::uint32_t>(pos - dirEnd), e);

    const std::size_t h = pos;
    PutU32(out, h + 0x04, t.flags, e);
    PutU32(out, h + 0x08, t.recordSize, e);
    PutU32(out, h + 0x0C, t.recordSize == 0 ? 0 : t.recordSize * 8 - 1, e);
    PutU32(out, h + 0x10, t.word10, e);
    PutU16(out, h + 0x14, t.capacity, e);
    PutU16(out, h + 0x16, t.recordCount, e);
    PutU16(out, h + 0x18, t.deletedCount, e);
    PutU16(out, h + 0x1A, t.firstDeleted, e);
    out[h + 0x1C] = static_cast<std::uint8_t>(t.fields.size());
    out[h + 0x1D] = t.indexCount;
    PutU32(out, h + 0x24, Crc32Mpeg2(ByteSpan(out).subspan(h + 0x04, 0x20)), e);

    std::size_t at = h + static_cast<std::size_t>(kTableHeaderSize);
    for (const TdbField& f : t.fields) {
      PutU32(out, at, f.type, e);
      PutU32(out, at + 4, f.bitOffset, e);
      PutName(out, at + 8, f.name, e);
      PutU32(out, at + 12, f.bitWidth, e);
      at += static_cast<std::size_t>(kFieldDefSize);
    }
    std::copy(t.records.begin(), t.records.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    at += t.records.size();
    std::copy(t.tail.begin(), t.tail.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    at += t.tail.size();

    // Chain: the first table carries the directory's CRC, each later one the previous table's content CRC.
    const std::uint32_t chain =
        i == 0 ? Crc32Mpeg2(ByteSpan(out).subspan(static_cast<std::size_t>(kFileHeaderSize),
                                                  dirEnd - static_cast<std::size_t>(kFileHeaderSize)))
               : Crc32Mpeg2(ByteSpan(out).subspan(prevContent, prevContentLen));
    PutU32(out, h, chain, e);
    prevContent = h + static_cast<std::size_t>(kTableHeaderSize);
    prevContentLen = at - prevContent;
    pos = at;
  }
  PutU32(out, pos, Crc32Mpeg2(ByteSpan(out).subspan(prevContent, prevContentLen)), e);
  PutU32(out, 0x14, Crc32Mpeg2(ByteSpan(out).subspan(0, 0x14)), e);
  return out;
}

std::optional<std::uint32_t> ReadBits(ByteSpan record, TdbEndian endian, std::uint32_t bitOffset,
                                      std::uint32_t width) {
  if (width < 1 || width > 32) return std::nullopt;
  if (static_cast<std::uint64_t>(bitOffset) + width > static_cast<std::uint64_t>(record.size()) * 8) {
    return std::nullopt;
  }
  std::uint32_t v = 0;
  for (std::uint32_t i = 0; i < width; ++i) {
    const std::uint32_t n = bitOffset + i;
    const std::uint8_t byte = record[n / 8];
    if (endian == TdbEndian::Little) {
      v |= static_cast<std::uint32_t>((byte >> (n % 8)) & 1u) << i;
    } else {
      v = (v << 1) | ((byte >> (7 - n % 8)) & 1u);
    }
  }
  return v;
}

bool WriteBits(std::span<std::uint8_t> record, TdbEndian endian, std::uint32_t bitOffset, std::uint32_t width,
               std::uint32_t value) {
  if (width < 1 || width > 32) return false;
  if (static_cast<std::uint64_t>(bitOffset) + width > static_cast<std::uint64_t>(record.size()) * 8)
    return false;
  if (width < 32 && (value >> width) != 0) return false;
  for (std::uint32_t i = 0; i < width; ++i) {
    const std::uint32_t n = bitOffset + i;
    const std::uint32_t bit =
        endian == TdbEndian::Little ? (value >> i) & 1u : (value >> (width - 1 - i)) & 1u;
    const auto mask =
        static_cast<std::uint8_t>(endian == TdbEndian::Little ? 1u << (n % 8) : 1u << (7 - n % 8));
    if (bit) {
      record[n / 8] = static_cast<std::uint8_t>(record[n / 8] | mask);
    } else {
      record[n / 8] = static_cast<std::uint8_t>(record[n / 8] & ~mask);
    }
  }
  return true;
}

std::optional<std::int64_t> GetInteger(const TdbDatabase& db, const TdbTable& table, const TdbField& field,
                                       std::uint32_t record) {
  const auto rec = table.Record(record);
  if (!rec) return std::nullopt;
  if (field.type == kTdbSigned || field.type == kTdbUnsigned) {
    const auto bits = ReadBits(*rec, db.endian, field.bitOffset, field.bitWidth);
    if (!bits) return std::nullopt;
    if (field.type == kTdbUnsigned) return static_cast<std::int64_t>(*bits);
    const std::uint64_t sign = std::uint64_t{1} << (field.bitWidth - 1);
    return static_cast<std::int64_t>(*bits) - static_cast<std::int64_t>((*bits & sign) << 1);
  }
  if (field.type == kTdbFloat && field.bitWidth == 32) {
    const auto bits = ReadBits(*rec, db.endian, field.bitOffset, 32);
    if (!bits) return std::nullopt;
    float f;
    std::memcpy(&f, &*bits, sizeof f);
    if (std::isnan(f)) return 0;
    const double d = std::trunc(static_cast<double>(f));
    return static_cast<std::int64_t>(std::clamp(d, -2147483648.0, 2147483647.0));
  }
  return std::nullopt;
}

std::optional<std::string> GetString(const TdbTable& table, const TdbField& field, std::uint32_t record) {
  if (field.type != kTdbString || field.bitOffset % 8 != 0 || field.bitWidth % 8 != 0) return std::nullopt;
  const auto rec = table.Record(record);
  if (!rec) return std::nullopt;
  const auto bytes = ByteReader(*rec).SpanAt(field.bitOffset / 8, field.bitWidth / 8);
  if (!bytes) return std::nullopt;
  std::string text = ToString(*bytes);
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

bool SetInteger(const TdbDatabase& db, TdbTable& table, std::string_view fieldName, std::uint32_t record,
                std::int64_t value) {
  const TdbField* f = table.FindField(fieldName);
  if (!f) return false;
  auto rec = table.Record(record);
  if (!rec) return false;
  if (f->type != kTdbSigned && f->type != kTdbUnsigned) return false;
  const std::uint32_t w = f->bitWidth;
  if (w < 1 || w > 32) return false;
  std::uint32_t bits = 0;
  if (f->type == kTdbUnsigned) {
    if (value < 0 || static_cast<std::uint64_t>(value) > (std::uint64_t{1} << w) - 1) return false;
    bits = static_cast<std::uint32_t>(value);
  } else {
    const std::int64_t lo = -(std::int64_t{1} << (w - 1)), hi = (std::int64_t{1} << (w - 1)) - 1;
    if (value < lo || value > hi) return false;
    bits = static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << w) - 1));
  }
  return WriteBits(*rec, db.endian, f->bitOffset, w, bits);
}

bool SetString(TdbTable& table, std::string_view fieldName, std::uint32_t record, std::string_view text) {
  const TdbField* f = table.FindField(fieldName);
  if (!f || f->type != kTdbString || f->bitOffset % 8 != 0 || f->bitWidth % 8 != 0) return false;
  auto rec = table.Record(record);
  if (!rec) return false;
  const std::size_t width = f->bitWidth / 8;
  if (text.size() > width) return false;
  auto dest = rec->subspan(f->bitOffset / 8, width);
  std::fill(dest.begin(), dest.end(), std::uint8_t{0});
  std::memcpy(dest.data(), text.data(), text.size());
  return true;
}

Result<TdbTable> NewTable(std::string name, const std::vector<TdbFieldSpec>& specs, std::uint16_t capacity,
                          std::uint16_t recordCount) {
  if (name.size() != 4) return MakeError(ErrorCode::Usage, "TDB: table name \"" + name + "\" is not 4 bytes");
  if (specs.size() > 255) return MakeError(ErrorCode::TooLarge, "TDB: too many fields");
  if (recordCount > capacity) return MakeError(ErrorCode::Usage, "TDB: more records than capacity");
  TdbTable t;
  t.name = std::move(name);
  t.capacity = capacity;
  t.recordCount = recordCount;
  std::uint64_t bit = 0;
  for (const TdbFieldSpec& s : specs) {
    if (s.type != kTdbString && s.type != kTdbBinary) continue;
    if (s.bitWidth == 0 || s.bitWidth % 8 != 0)
      return MakeError(ErrorCode::Usage, "TDB: text width not whole bytes");
    t.fields.push_back({s.name, s.type, static_cast<std::uint32_t>(bit), s.bitWidth});
    bit += s.bitWidth;
  }
  for (const TdbFieldSpec& s : specs) {
    if (s.type == kTdbString || s.type == kTdbBinary) continue;
    if (s.bitWidth < 1 || s.bitWidth > 32 || (s.type == kTdbFloat && s.bitWidth != 32)) {
      return MakeError(ErrorCode::Usage, "TDB: field " + s.name + " has a bad width");
    }
    t.fields.push_back({s.name, s.type, static_cast<std::uint32_t>(bit), s.bitWidth});
    bit += s.bitWidth;
  }
  for (const TdbField& f : t.fields) {
    if (f.name.size() != 4)
      return MakeError(ErrorCode::Usage, "TDB: field name \"" + f.name + "\" is not 4 bytes");
  }
  std::uint64_t bytes = (bit + 7) / 8;
  bytes = std::max<std::uint64_t>(4, (bytes + 3) / 4 * 4);
  if (bytes * capacity > 0x7FFFFFFF) return MakeError(ErrorCode::TooLarge, "TDB: table too large");
  t.recordSize = static_cast<std::uint32_t>(bytes);
  std::stable_sort(t.fields.begin(), t.fields.end(), [](const TdbField& a, const TdbField& b) {
    return NameValue(a.name) < NameValue(b.name);
  });
  t.records.assign(static_cast<std::size_t>(t.ExpectedRecordBytes()), 0);
  return t;
}

}  // namespace rw

#include "gamedata/tdb.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/files.h"
#include "common/paths.h"
#include "gamedata/tdb_access.h"
#include "support/fakes.h"

namespace rw {
namespace {

// The minimal little-endian database: table STEA, capacity 2, one record INDX 5, NAME "BOS".
const Bytes kMinimal = {
    0x44, 0x42, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x7C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
    0x01, 0x00, 0x00, 0x00, 0x78, 0x2D, 0x46, 0x0E, 0x53, 0x54, 0x45, 0x41, 0x00, 0x00, 0x00, 0x00,  //
    0xA1, 0x21, 0x72, 0x35, 0x02, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00,  //
    0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00,  //
    0x00, 0x00, 0x00, 0x00, 0xAF, 0x21, 0x37, 0xAF, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,  //
    0x4E, 0x41, 0x4D, 0x45, 0x20, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
    0x49, 0x4E, 0x44, 0x58, 0x06, 0x00, 0x00, 0x00, 0x05, 0x42, 0x4F, 0x53, 0x00, 0x00, 0x00, 0x00,  //
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x33, 0x0C, 0x85, 0xB0,
};

TdbDatabase MinimalDatabase() {
  TdbDatabase db;
  TdbTable t;
  t.name = "STEA";
  t.recordSize = 8;
  t.capacity = 2;
  t.recordCount = 1;
  t.fields = {{"NAME", kTdbString, 8, 32}, {"INDX", kTdbUnsigned, 0, 6}};
  t.records.assign(16, 0);
  db.tables.push_back(t);
  EXPECT_TRUE(SetInteger(db, db.tables[0], "INDX", 0, 5));
  EXPECT_TRUE(SetString(db.tables[0], "NAME", 0, "BOS"));
  return db;
}

TEST(Tdb, CrcIsMpeg2) {
  EXPECT_EQ(Crc32Mpeg2(AsBytes("123456789")), 0x0376E6E7u);
}

TEST(Tdb, BitPackingExampleInBothByteOrders) {
  const Bytes rec = {0xB5, 0x01};
  EXPECT_EQ(ReadBits(rec, TdbEndian::Little, 3, 6), 54u);
  EXPECT_EQ(ReadBits(rec, TdbEndian::Big, 3, 6), 42u);
  for (TdbEndian e : {TdbEndian::Little, TdbEndian::Big}) {
    Bytes r = {0xFF, 0xFF, 0xFF};
    ASSERT_TRUE(WriteBits(r, e, 5, 9, 0x0AB));  // straddles two byte boundaries... of 3 bytes
    EXPECT_EQ(ReadBits(r, e, 5, 9), 0x0ABu);
    EXPECT_EQ(ReadBits(r, e, 0, 5), 0x1Fu);  // neighbours untouched
    EXPECT_EQ(ReadBits(r, e, 14, 10), 0x3FFu);
    EXPECT_FALSE(WriteBits(r, e, 5, 9, 0x200));  // does not fit: refused, nothing spills
    EXPECT_FALSE(ReadBits(r, e, 20, 5).has_value());
  }
}

TEST(Tdb, WritesTheMinimalFileByteForByte) {
  auto written = WriteTdb(MinimalDatabase());
  ASSERT_TRUE(written.ok()) << written.error().Describe();
  EXPECT_EQ(*written, kMinimal);

  auto db = ParseTdb(kMinimal);
  ASSERT_TRUE(db.ok()) << db.error().Describe();
  ASSERT_EQ(db->tables.size(), 1u);
  const TdbTable& t = db->tables[0];
  EXPECT_EQ(t.name, "STEA");
  EXPECT_EQ(t.capacity, 2);
  EXPECT_EQ(t.recordCount, 1);
  EXPECT_EQ(*GetInteger(*db, t, *t.FindField("INDX"), 0), 5);
  EXPECT_EQ(*GetString(t, *t.FindField("NAME"), 0), "BOS");
  EXPECT_FALSE(GetInteger(*db, t, *t.FindField("INDX"), 1).has_value());  // slot 1 is not in use
  EXPECT_EQ(*WriteTdb(*db), kMinimal);
}

// Two tables with every kind of field, strings filling their width, negative signed values
// and bit fields that straddle bytes and words.
TdbDatabase Sample(TdbEndian e) {
  TdbDatabase db;
  db.endian = e;
  auto play = NewTable("PLAY",
                       {{"FNME", kTdbString, 8 * 8},
                        {"AGE_", kTdbUnsigned, 5},
                        {"ODBI", kTdbSigned, 6},
                        {"ID__", kTdbUnsigned, 14},
                        {"BIG_", kTdbUnsigned, 32},
                        {"NEG_", kTdbSigned, 32},
                        {"LAT_", kTdbFloat, 32}},
                       5, 3);
  EXPECT_TRUE(play.ok());
  db.tables.push_back(std::move(*play));
  auto rost = NewTable("ROST", {{"TEAM", kTdbUnsigned, 6}, {"INDX", kTdbUnsigned, 16}}, 2, 2);
  db.tables.push_back(std::move(*rost));
  TdbTable& p = db.tables[0];
  const char* names[] = {"Ann", "Bartholo", ""};  // the second fills all 8 bytes
  for (std::uint32_t r = 0; r < 3; ++r) {
    EXPECT_TRUE(SetString(p, "FNME", r, names[r]));
    EXPECT_TRUE(SetInteger(db, p, "AGE_", r, 20 + r));
    EXPECT_TRUE(SetInteger(db, p, "ODBI", r, -32 + 31 * static_cast<int>(r)));
    EXPECT_TRUE(SetInteger(db, p, "ID__", r, 16383 - r));
    EXPECT_TRUE(SetInteger(db, p, "BIG_", r, 0xFFFFFFF0u + r));
    EXPECT_TRUE(SetInteger(db, p, "NEG_", r, -2147483648LL + r));
  }
  float lat = -12.75f;
  std::uint32_t bits;
  std::memcpy(&bits, &lat, 4);
  const TdbField* latField = p.FindField("LAT_");
  EXPECT_TRUE(WriteBits(*p.Record(1), e, latField->bitOffset, 32, bits));
  EXPECT_TRUE(SetInteger(db, db.tables[1], "TEAM", 1, 63));
  EXPECT_TRUE(SetInteger(db, db.tables[1], "INDX", 1, 40000));
  return db;
}

TEST(Tdb, RoundTripsInBothByteOrders) {
  Bytes files[2];
  for (TdbEndian e : {TdbEndian::Little, TdbEndian::Big}) {
    SCOPED_TRACE(e == TdbEndian::Little ? "little-endian" : "big-endian");
    const TdbDatabase src = Sample(e);
    auto bytes = WriteTdb(src);
    ASSERT_TRUE(bytes.ok()) << bytes.error().Describe();
    auto db = ParseTdb(*bytes);
    ASSERT_TRUE(db.ok()) << db.error().Describe();
    EXPECT_EQ(db->endian, e);
    const TdbTable* p = db->FindTable("PLAY");
    ASSERT_NE(p, nullptr);
    const auto I = [&](const char* f, std::uint32_t r) { return GetInteger(*db, *p, *p->FindField(f), r); };
    EXPECT_EQ(*GetString(*p, *p->FindField("FNME"), 0), "Ann");
    EXPECT_EQ(*GetString(*p, *p->FindField("FNME"), 1), "Bartholo");
    EXPECT_EQ(*GetString(*p, *p->FindField("FNME"), 2), "");
    EXPECT_EQ(*I("AGE_", 2), 22);
    EXPECT_EQ(*I("ODBI", 0), -32);
    EXPECT_EQ(*I("ODBI", 1), -1);
    EXPECT_EQ(*I("ODBI", 2), 30);
    EXPECT_EQ(*I("ID__", 1), 16382);
    EXPECT_EQ(*I("BIG_", 2), 0xFFFFFFF2LL);
    EXPECT_EQ(*I("NEG_", 1), -2147483647LL);
    EXPECT_EQ(*I("LAT_", 1), -12);
    const TdbTable* r = db->FindTable("ROST");
    EXPECT_EQ(*GetInteger(*db, *r, *r->FindField("INDX"), 1), 40000);
    EXPECT_EQ(*GetInteger(*db, *r, *r->FindField("TEAM"), 1), 63);
    EXPECT_EQ(*WriteTdb(*db), *bytes);  // nothing lost on the way through
    files[e == TdbEndian::Little ? 0 : 1] = *bytes;
  }
  EXPECT_NE(files[0], files[1]);
  // Field definitions are kept sorted by name value (last character first).
  const TdbDatabase sorted = Sample(TdbEndian::Little);
  std::vector<std::string> order;
  for (const TdbField& f : sorted.tables[0].fields) order.push_back(f.name);
  EXPECT_EQ(order, (std::vector<std::string>{"FNME", "ODBI", "AGE_", "NEG_", "BIG_", "LAT_", "ID__"}));
}

TEST(Tdb, BigEndianNamesAreReversedOnDisk) {
  const Bytes bytes = *WriteTdb(Sample(TdbEndian::Big));
  const std::string s = ToString(bytes);
  EXPECT_NE(s.find("YALP"), std::string::npos);
  EXPECT_EQ(s.find("PLAY"), std::string::npos);
  EXPECT_EQ(bytes[4], 1);
}

TEST(Tdb, SettersRefuseWhatDoesNotFit) {
  TdbDatabase db = Sample(TdbEndian::Little);
  TdbTable& p = db.tables[0];
  EXPECT_FALSE(SetInteger(db, p, "AGE_", 0, 32));
  EXPECT_FALSE(SetInteger(db, p, "AGE_", 0, -1));
  EXPECT_FALSE(SetInteger(db, p, "ODBI", 0, 32));
  EXPECT_FALSE(SetInteger(db, p, "ODBI", 0, -33));
  EXPECT_FALSE(SetInteger(db, p, "AGE_", 3, 1));  // slot beyond the record count
  EXPECT_FALSE(SetInteger(db, p, "FNME", 0, 1));
  EXPECT_FALSE(SetString(p, "FNME", 0, "Ninechars"));
  EXPECT_EQ(*GetString(p, *p.FindField("FNME"), 0), "Ann");
}

TEST(Tdb, RefusesTruncatedFiles) {
  const Bytes full = *WriteTdb(Sample(TdbEndian::Big));
  for (const Bytes* file : {&kMinimal, &full}) {
    for (std::size_t n = 0; n < file->size(); ++n) {
      EXPECT_FALSE(ParseTdb(ByteSpan(*file).first(n)).ok()) << n;
    }
  }
}

TEST(Tdb, RefusesCraftedFiles) {
  const auto patched = [](std::size_t at, std::initializer_list<int> bytes) {
    Bytes b = kMinimal;
    for (int v : bytes) b[at++] = static_cast<std::uint8_t>(v);
    return b;
  };
  const struct {
    const char* what;
    Bytes file;
  } cases[] = {
      {"not a database", patched(0, {'D', 'C'})},
      {"other version", patched(3, {0x09})},
      {"unknown endian flag", patched(4, {2})},
      {"huge table count", patched(0x10, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"table beyond the file", patched(0x1C, {0x00, 0x01, 0x00, 0x00})},
      {"huge record size", patched(0x28, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"huge capacity", patched(0x34, {0xFF, 0xFF})},
      {"too many fields", patched(0x3C, {0x40})},
      {"field beyond its record", patched(0x4C, {0xF0})},
      {"field wider than its record", patched(0x54, {0xFF, 0xFF, 0xFF, 0xFF})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(ParseTdb(c.file).ok());
  }
  // Two directory entries for one block.
  TdbDatabase two = Sample(TdbEndian::Little);
  Bytes b = *WriteTdb(two);
  std::memcpy(&b[0x18 + 12], &b[0x18 + 4], 4);
  EXPECT_FALSE(ParseTdb(b).ok());
}

TEST(Tdb, ToleratesWhatIsUncertain) {
  Bytes b = kMinimal;
  b[0x14] ^= 0xFF;           // header CRC
  b[0x20] ^= 0xFF;           // chain CRC
  b[0x78] ^= 0xFF;           // trailer
  b[0x08] = 0x00;            // implausible size field
  b[0x05] = 0x07;            // bytes after the endian flag
  b.insert(b.end(), 60, 0);  // padding after the database
  auto db = ParseTdb(b);
  ASSERT_TRUE(db.ok()) << db.error().Describe();
  EXPECT_EQ(*GetString(db->tables[0], *db->tables[0].FindField("NAME"), 0), "BOS");
}

TEST(Tdb, MutatedFilesNeverCrash) {
  const Bytes base = *WriteTdb(Sample(TdbEndian::Little));
  std::mt19937 rng(5);
  for (int i = 0; i < 4000; ++i) {
    Bytes bad = base;
    for (int k = 0; k < 4; ++k) bad[rng() % bad.size()] = static_cast<std::uint8_t>(rng());
    auto db = ParseTdb(bad);
    if (!db) continue;
    TdbLibrary lib;
    const int h = lib.TDBOpenBytes(bad);
    ASSERT_GE(h, 0);
    char buf[16];
    for (const TdbTable& t : db->tables) {
      for (const TdbField& f : t.fields) {
        for (int r = 0; r < 6; ++r) {
          lib.TDBFieldGetValueAsInteger(h, t.name, f.name, r);
          lib.TDBFieldGetValueAsString(h, t.name, f.name, r, buf, sizeof buf);
        }
      }
    }
  }
}

TEST(TdbLibrary, ReadsThroughHandles) {
  test::TempDir dir;
  const std::string path = dir.str() + "/roster.tdb";
  ASSERT_TRUE(WriteFileAtomic(path, *WriteTdb(Sample(TdbEndian::Big))).ok());
  ASSERT_TRUE(WriteFileAtomic(dir.str() + "/junk.tdb", AsBytes("not a database at all")).ok());

  TdbLibrary lib;
  EXPECT_EQ(lib.TDBOpen(dir.str() + "/missing.tdb"), -1);
  EXPECT_EQ(lib.TDBOpen(dir.str() + "/junk.tdb"), -1);
  const int h = lib.TDBOpen(path);
  ASSERT_EQ(h, 0);
  EXPECT_EQ(lib.TDBOpen(path), 1);
  EXPECT_EQ(lib.TDBDatabaseGetTableCount(h), 2);
  TDBTableProperties props;
  ASSERT_TRUE(lib.TDBTableGetProperties(h, 1, props));
  EXPECT_EQ(props.Name, "ROST");
  EXPECT_EQ(props.RecordCount, 2);
  EXPECT_EQ(props.Capacity, 2);
  EXPECT_EQ(props.FieldCount, 2);
  EXPECT_FALSE(lib.TDBTableGetProperties(h, 2, props));
  EXPECT_FALSE(lib.TDBTableGetProperties(h, -1, props));

  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "PLAY", "ODBI", 0), -32);
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "PLAY", "BIG_", 0), -16);  // 0xFFFFFFF0 as int32
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "ROST", "INDX", 1), 40000);
  // Unknown table, field, record beyond the count, negative record, bad handle: 0.
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "XXXX", "INDX", 0), 0);
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "ROST", "XXXX", 0), 0);
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "ROST", "INDX", 2), 0);
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "ROST", "INDX", -1), 0);
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(7, "ROST", "INDX", 1), 0);

  char buf[6];
  std::memset(buf, '#', sizeof buf);
  EXPECT_TRUE(lib.TDBFieldGetValueAsString(h, "PLAY", "FNME", 1, buf, 4));
  EXPECT_STREQ(buf, "Bar");  // cut to the buffer
  EXPECT_EQ(buf[4], '#');    // never written past it
  EXPECT_TRUE(lib.TDBFieldGetValueAsString(h, "PLAY", "FNME", 0, buf, sizeof buf));
  EXPECT_STREQ(buf, "Ann");
  EXPECT_FALSE(lib.TDBFieldGetValueAsString(h, "PLAY", "FNME", 3, buf, sizeof buf));
  EXPECT_STREQ(buf, "");
  std::memcpy(buf, "Ann", 4);
  EXPECT_FALSE(lib.TDBFieldGetValueAsString(h, "PLAY", "AGE_", 0, buf, sizeof buf));
  EXPECT_STREQ(buf, "");
  EXPECT_FALSE(lib.TDBFieldGetValueAsString(h, "PLAY", "FNME", 0, buf, 0));

  EXPECT_TRUE(lib.TDBClose(h));
  EXPECT_FALSE(lib.TDBClose(h));
  EXPECT_EQ(lib.TDBFieldGetValueAsInteger(h, "ROST", "INDX", 1), 0);
  EXPECT_EQ(lib.TDBOpen(path), 0);  // the freed handle is used again
  EXPECT_EQ(lib.OpenCount(), 2u);
}

}  // namespace
}  // namespace rw

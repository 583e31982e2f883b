#include "gamedata/viv.h"

#include <gtest/gtest.h>

#include <random>

#include "common/files.h"
#include "gamedata/refpack.h"
#include "support/fakes.h"

namespace rw {
namespace {

Bytes Repeating(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>("DB roster "[i % 10]);
  return b;
}

std::vector<VivMember> Members() {
  return {{"nhlbioatt.tdb", Repeating(300), false},
          {"nhl2007PC.tdb", Repeating(5000), true},
          {"empty.bin", {}, false},
          {"last.txt", Bytes{1, 2, 3}, false}};
}

TEST(Viv, RoundTripsRawAndCompressedMembers) {
  auto archive = WriteViv(Members());
  ASSERT_TRUE(archive.ok());
  auto dir = ParseVivDirectory(*archive);
  ASSERT_TRUE(dir.ok()) << dir.error().Describe();
  ASSERT_EQ(dir->size(), 4u);
  EXPECT_EQ(ToString(ByteSpan(*archive).first(4)), "BIGF");
  EXPECT_EQ((*dir)[0].offset % 128, 0u);
  EXPECT_EQ((*dir)[1].offset % 128, 0u);
  EXPECT_LT((*dir)[1].size, 5000u);                               // stored compressed
  EXPECT_EQ((*dir)[3].offset + (*dir)[3].size, archive->size());  // the last member is not padded

  for (const VivMember& m : Members()) {
    SCOPED_TRACE(m.name);
    auto data = ExtractVivMember(*archive, m.name, true, 1 << 20);
    ASSERT_TRUE(data.ok()) << data.error().Describe();
    EXPECT_EQ(*data, m.data);
  }
  // Mode 0 gives the stored bytes; names match ignoring case when no exact name exists.
  EXPECT_TRUE(IsRefPack(*ExtractVivMember(*archive, "nhl2007PC.tdb", false, 1 << 20)));
  EXPECT_EQ(*ExtractVivMember(*archive, "NHL2007pc.TDB", true, 1 << 20), Repeating(5000));
  EXPECT_EQ(ExtractVivMember(*archive, "nhl2007.tdb", true, 1 << 20).error().code, ErrorCode::NotFound);
}

TEST(Viv, RefusesCraftedArchives) {
  const Bytes good = *WriteViv(Members());
  const auto patched = [&](std::size_t at, std::initializer_list<int> bytes) {
    Bytes b = good;
    for (int v : bytes) b[at++] = static_cast<std::uint8_t>(v);
    return b;
  };
  const struct {
    const char* what;
    Bytes archive;
  } cases[] = {
      {"unknown magic", patched(0, {'B', 'I', 'G', 'X'})},
      {"huge entry count", patched(8, {0x7F, 0xFF, 0xFF, 0xFF})},
      {"member beyond the archive", patched(16, {0x7F, 0xFF, 0xFF, 0xF0})},
      {"member size beyond the archive", patched(20, {0xFF, 0xFF, 0xFF, 0xFF})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(ExtractVivMember(c.archive, "nhlbioatt.tdb", true, 1 << 20).ok());
  }
  Bytes noEnd = Bytes(good.begin(), good.begin() + 16 + 8 + 4);  // a name that never ends
  EXPECT_FALSE(ParseVivDirectory(noEnd).ok());
  for (std::size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(ExtractVivMember(ByteSpan(good).first(n), "last.txt", true, 1 << 20).ok()) << n;
  }
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    Bytes bad = good;
    for (int k = 0; k < 3; ++k) bad[rng() % 200] = static_cast<std::uint8_t>(rng());
    (void)ExtractVivMember(bad, "nhl2007PC.tdb", true, 1 << 20);
  }
}

TEST(Viv, ExportFileWritesTheMemberOrNothing) {
  test::TempDir dir;
  const std::string archive = dir.str() + "/db.viv", dest = dir.str() + "/out.tdb";
  ASSERT_TRUE(WriteFileAtomic(archive, *WriteViv(Members())).ok());

  ASSERT_TRUE(ExportFile(archive, "nhl2007PC.tdb", dest, 1).ok());
  EXPECT_EQ(*ReadWholeFile(dest), Repeating(5000));

  // Failures leave the destination as it was.
  ASSERT_TRUE(WriteFileAtomic(dest, AsBytes("earlier")).ok());
  EXPECT_EQ(ExportFile(archive, "missing.tdb", dest, 1).error().code, ErrorCode::NotFound);
  EXPECT_FALSE(ExportFile(dir.str() + "/none.viv", "nhl2007PC.tdb", dest, 1).ok());
  Bytes cut = *ReadWholeFile(archive);
  cut.resize(cut.size() - 10);
  ASSERT_TRUE(WriteFileAtomic(archive, cut).ok());
  EXPECT_FALSE(ExportFile(archive, "last.txt", dest, 1).ok());
  EXPECT_EQ(ToString(*ReadWholeFile(dest)), "earlier");
  EXPECT_FALSE(ExportFile(archive, "nhl2007PC.tdb", dir.str() + "/no/such/folder/x.tdb", 1).ok());
}

}  // namespace
}  // namespace rw

#include "gamelink/memory_image.h"

#include <gtest/gtest.h>

#include "gamelink/discovery.h"
#include "sim/simulator.h"
#include "support/fakes.h"

namespace rw {
namespace {

MemoryImage SmallImage() {
  MemoryImage image;
  image.windowClass = "WINCLASS1";
  image.windowTitle = "NHL07";
  image.executablePath = "C:\\Games\\NHL07\\nhl2007.exe";
  image.regions.push_back({0x400000, Bytes{1, 2, 3, 4}});
  image.regions.push_back({0x400004, Bytes{5}});         // adjacent, not overlapping
  image.regions.push_back({0xFFFFFFF0u, Bytes(16, 7)});  // ends exactly at 4 GiB
  return image;
}

TEST(MemoryImageTest, RoundTripsThroughBytesAndFile) {
  MemoryImage image = SmallImage();
  auto bytes = WriteMemoryImage(image);
  ASSERT_TRUE(bytes.ok()) << bytes.error().Describe();
  auto back = ReadMemoryImage(*bytes);
  ASSERT_TRUE(back.ok()) << back.error().Describe();
  EXPECT_EQ(*back, image);

  image.executablePath.reset();
  image.regions.clear();
  test::TempDir dir;
  const std::string path = dir.str() + "/game.rwimg";
  ASSERT_TRUE(SaveMemoryImageFile(path, image));
  auto loaded = LoadMemoryImageFile(path);
  ASSERT_TRUE(loaded.ok()) << loaded.error().Describe();
  EXPECT_EQ(*loaded, image);
}

// A captured simulator replays through a plain memory link: discovery finds the same addresses.
TEST(MemoryImageTest, SimulatedGameReplaysFromItsImage) {
  auto game = sim::MakeBuiltInSimulator("default");
  ASSERT_TRUE(game.ok());
  for (int i = 0; i < 10; ++i) (*game)->Step();
  auto bytes = WriteMemoryImage((*game)->Capture());
  ASSERT_TRUE(bytes.ok());
  auto image = ReadMemoryImage(*bytes);
  ASSERT_TRUE(image.ok()) << image.error().Describe();

  MemoryGameLink replay;
  ASSERT_TRUE(LoadMemoryImage(*image, replay));
  EXPECT_EQ(replay.Regions(), (*game)->Memory().Regions());
  EXPECT_EQ(replay.executablePath, "C:\\Games\\NHL07\\nhl2007.exe");
  test::FakeUi ui;
  DataAddresses found;
  findaddresses(replay, ui, found);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(found, (*game)->Layout().Expected());
}

// Offsets of the header fields in an image with no texts.
constexpr std::size_t kVersionAt = 8, kFlagsAt = 12, kCountAt = 16, kFirstRegionAt = 26;

Bytes Put32(Bytes b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  return b;
}

TEST(MemoryImageTest, MalformedImagesAreRefusedWithAClearError) {
  MemoryImage two;
  two.regions = {{0x1000, Bytes(8, 1)}, {0x2000, Bytes(8, 2)}};
  const Bytes good = *WriteMemoryImage(two);
  const std::size_t second = kFirstRegionAt + 8 + 8;
  Bytes badMagic = good;
  badMagic[0] = 'X';
  Bytes trailing = good;
  trailing.push_back(0);
  Bytes longText = good;
  longText[20] = 0xFF;
  longText[21] = 0xFF;

  const struct {
    const char* name;
    Bytes bytes;
    const char* message;
  } cases[] = {
      {"empty file", {}, "image shorter than its header"},
      {"bad magic", badMagic, "not a memory image"},
      {"unknown version", Put32(good, kVersionAt, 2), "unsupported memory image version 2"},
      {"unknown flags", Put32(good, kFlagsAt, 6), "unknown image flags"},
      {"too many regions", Put32(good, kCountAt, 0xFFFFFFFFu), "too many memory regions"},
      {"more regions than present", Put32(good, kCountAt, 3), "image ends inside a region header"},
      {"text longer than allowed", longText, "window class too long"},
      {"truncated in a text", Bytes(good.begin(), good.begin() + 21), "image ends inside the window class"},
      {"truncated in region bytes", Bytes(good.begin(), good.end() - 1), "runs past the end of the image"},
      {"size beyond the file", Put32(good, kFirstRegionAt + 4, 1000), "runs past the end of the image"},
      {"huge region", Put32(good, kFirstRegionAt + 4, 0xFFFFFFF0u), "memory region too large"},
      {"overlapping regions", Put32(good, second, 0x1004), "overlap"},
      {"regions out of order", Put32(good, second, 0x0800), "overlap or are out of order"},
      {"region past 4 GiB", Put32(good, second, 0xFFFFFFFCu), "runs past 4 GiB"},
      {"bytes after the last region", trailing, "unexpected bytes after the last region"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = ReadMemoryImage(c.bytes);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find(c.message), std::string::npos) << r.error().Describe();
  }
  EXPECT_TRUE(ReadMemoryImage(good).ok());
}

TEST(MemoryImageTest, WriterAndLoaderRefuseOverlaps) {
  MemoryImage image;
  image.regions = {{0x1000, Bytes(16, 1)}, {0x1008, Bytes(16, 2)}};
  EXPECT_FALSE(WriteMemoryImage(image).ok());
  MemoryGameLink link;
  ASSERT_TRUE(link.MapRegion(0x9000, Bytes(4, 9)));
  EXPECT_FALSE(LoadMemoryImage(image, link));
  EXPECT_TRUE(link.Regions().empty());
}

TEST(MemoryImageTest, MissingFileIsAnError) {
  test::TempDir dir;
  auto r = LoadMemoryImageFile(dir.str() + "/none.rwimg");
  EXPECT_FALSE(r.ok());
}

}  // namespace
}  // namespace rw

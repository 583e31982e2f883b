#include "gamedata/rules_reader.h"

#include <gtest/gtest.h>

#include "support/counting_link.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gamelink/memory_link.h"

namespace rw {
namespace {

constexpr std::uint32_t kBlock = 0x00A01000;
constexpr std::uint32_t kWord = kBlock + 96;

using test::CountingLink;

class RulesReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(link.MapRegion(kBlock, Bytes(100, 0)));
    addresses.RulesBlockAddress = kBlock;
    addresses.RulesWordAddress = kWord;
  }
  void Put(std::uint32_t word, const std::array<std::uint16_t, 9>& block) {
    Bytes w = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
               static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
    ASSERT_EQ(link.Write(kWord, w), 4u);
    Bytes b;
    for (std::uint16_t v : block) {
      b.push_back(static_cast<std::uint8_t>(v));
      b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    ASSERT_EQ(link.Write(kBlock, b), 18u);
  }
  std::vector<std::string> Row(int r) const {
    std::vector<std::string> out;
    for (int c = 0; c < grid.ColCount(); ++c) out.push_back(grid.GetCell(c, r));
    return out;
  }
  static std::vector<std::string> Values(std::vector<std::string> first5, const std::vector<int>& levels) {
    for (int v : levels) first5.push_back(std::to_string(v));
    return first5;
  }

  CountingLink link;
  DataAddresses addresses;
  TCellTable grid{3, 7};
};

TEST_F(RulesReaderTest, HeadersAndShape) {
  grid.SetCell(2, 6, "stale");
  readrules(link, addresses, grid);
  EXPECT_EQ(grid.ColCount(), 29);
  EXPECT_EQ(grid.RowCount(), 2);
  const std::vector<std::string> headers = {"Skill Level",       "Injury",
                                            "Hero Rating",       "Penalties",
                                            "Fighting",          "Game Speed",
                                            "Puck Control",      "Fatigue Effect",
                                            "Injuries",          "Speed Burst",
                                            "Fatigue Recovery",  "Player Acceleration",
                                            "Hitting Power",     "Hitting Difficulty",
                                            "Aggression",        "Poke Effectiveness",
                                            "Shot Accuracy",     "Shot Power",
                                            "Pass Assist",       "Pass Speed",
                                            "Saucer Pass Speed", "Pass Interceptions",
                                            "Dump Speed",        "Dump Height",
                                            "Soft Dump Speed",   "Soft Dump Height",
                                            "Shot Blocking",     "Hook Effectiveness",
                                            "Goalie Passing"};
  EXPECT_EQ(Row(0), headers);
  EXPECT_EQ(link.opens, 1);
}

struct RulesCase {
  const char* what;
  std::uint32_t word;
  std::array<std::uint16_t, 9> block;
  std::vector<std::string> row;
};

TEST_F(RulesReaderTest, FieldsAndTexts) {
  const std::vector<int> zeros(24, 0);
  const std::vector<int> sevens(24, 7);
  // Every block field a different value from its neighbours: 1..7 repeating in column order.
  std::vector<int> cycle;
  for (int i = 0; i < 24; ++i) cycle.push_back(i % 7 + 1);
  const RulesCase cases[] = {
      {"all zero", 0, {}, Values({"Beginner", "Off", "Off", "0", "0"}, zeros)},
      {"skill bits 3", 3, {}, Values({"Difficult", "Off", "Off", "0", "0"}, zeros)},
      {"unused bits set",
       0xF8F83E3Cu,
       {0xC440, 0xC447, 0x8F88, 0xF888, 0x888F, 0x88F8, 0xFF88, 0x8FFF, 0xFF88},
       Values({"Beginner", "Off", "Off", "0", "0"}, zeros)},
      {"every field at its maximum",
       2u | 7u << 6 | 1u << 14 | 1u << 16 | 7u << 24,
       {0x3BBF, 0x3BB8, 0x7077, 0x0777, 0x7770, 0x7707, 0x0077, 0x7000, 0x0077},
       Values({"Medium", "On", "On", "7", "7"}, sevens)},
      {"distinct values per field",
       1u | 5u << 6 | 1u << 16 | 3u << 24,
       {1 | 2 << 3 | 3 << 7 | 4 << 11, 5 << 3 | 6 << 7 | 7 << 11, 1 | 2 << 4 | 3 << 12, 4 | 5 << 4 | 6 << 8,
        7 << 4 | 1 << 8 | 2 << 12, 3 | 4 << 8 | 5 << 12, 6 | 7 << 4, 1 << 12, 2 | 3 << 4},
       Values({"Easy", "On", "Off", "5", "3"}, cycle)},
      // Injury has 3 bits and Hero Rating 2, but Off/On covers only 0 and 1.
      {"injury and hero rating past Off/On",
       5u << 16 | 3u << 14,
       {},
       Values({"Beginner", "5", "3", "0", "0"}, zeros)},
      {"injury 7, hero rating 2", 7u << 16 | 2u << 14, {}, Values({"Beginner", "7", "2", "0", "0"}, zeros)},
  };
  for (const RulesCase& c : cases) {
    SCOPED_TRACE(c.what);
    Put(c.word, c.block);
    readrules(link, addresses, grid);
    EXPECT_EQ(Row(1), c.row);
  }
}

TEST_F(RulesReaderTest, UnreadableGameGivesZeroValues) {
  const std::vector<std::string> zeroRow =
      Values({"Beginner", "Off", "Off", "0", "0"}, std::vector<int>(24, 0));
  Put(0xFFFFFFFFu, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF});
  {
    SCOPED_TRACE("game window absent");
    link.windowPresent = false;
    readrules(link, addresses, grid);
    EXPECT_EQ(Row(1), zeroRow);
    EXPECT_EQ(grid.GetCell(0, 0), "Skill Level");
    link.windowPresent = true;
  }
  {
    SCOPED_TRACE("addresses not mapped");
    DataAddresses nowhere;
    nowhere.RulesWordAddress = 0x10;
    nowhere.RulesBlockAddress = 0x10 - 96u;  // wraps to the top of the address space
    readrules(link, nowhere, grid);
    EXPECT_EQ(Row(1), zeroRow);
  }
  {
    SCOPED_TRACE("block cut short by the end of the mapping");
    // Only V0 is readable: its bits count, the rest of the block reads as zeros.
    MemoryGameLink shortLink;
    ASSERT_TRUE(shortLink.MapRegion(0x5000, Bytes{0x07, 0x00}));
    DataAddresses a;
    a.RulesBlockAddress = 0x5000;
    a.RulesWordAddress = 0x6000;
    readrules(shortLink, a, grid);
    std::vector<int> levels(24, 0);
    levels[0] = 7;
    EXPECT_EQ(Row(1), Values({"Beginner", "Off", "Off", "0", "0"}, levels));
  }
}

}  // namespace
}  // namespace rw

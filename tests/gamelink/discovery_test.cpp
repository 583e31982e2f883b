#include "gamelink/discovery.h"

#include <gtest/gtest.h>

#include "gamelink/pattern.h"
#include "sim/simulator.h"
#include "support/fakes.h"

namespace rw {
namespace {

using sim::GameSimulator;
using sim::SimOptions;

std::unique_ptr<GameSimulator> Simulated(SimOptions options = {}) {
  auto s = sim::MakeBuiltInSimulator("default", std::move(options));
  EXPECT_TRUE(s.ok());
  return std::move(*s);
}

TEST(DiscoveryTest, FindsEveryCapturedAndDerivedAddress) {
  auto game = Simulated();
  const sim::SimLayout& at = game->Layout();
  test::FakeUi ui;
  DataAddresses found;
  findaddresses(game->Link(), ui, found);
  EXPECT_TRUE(ui.messages.empty());

  EXPECT_EQ(found.RulesWordAddress, at.rulesWord);
  EXPECT_EQ(found.RulesBlockAddress, at.rulesWord - 96);
  EXPECT_EQ(found.EventListAddress, at.eventList);
  EXPECT_EQ(found.InGameFlagAddress, at.inGame);
  EXPECT_EQ(found.TeamBlockAddress, at.teamBlock);
  EXPECT_EQ(found.PlayerStatsAddress, at.playerStats);
  EXPECT_EQ(found.PeriodAddress, at.period);
  EXPECT_EQ(found.AuxByteAddress, at.aux);
  EXPECT_EQ(found.AuxByte2Address, at.aux + 1);
  EXPECT_EQ(found.TeamStatsAddress, at.teamStats);
  for (std::size_t f = 0; f < kTeamStatFieldCount; ++f) {
    SCOPED_TRACE(f);
    EXPECT_EQ(found.TeamStatFields[0][f], at.teamStats + static_cast<std::uint32_t>(kTeamStatOffsets[f]));
    EXPECT_EQ(found.TeamStatFields[1][f], found.TeamStatFields[0][f] + 92);
  }
  EXPECT_EQ(found, at.Expected());
}

// The decoys before each real match must not be taken for it.
TEST(DiscoveryTest, EachPatternMatchesWhereTheSimulatorPlacedIt) {
  SimOptions options;
  options.codeSize = 256 * 1024;
  options.seed = 99;
  auto game = Simulated(options);
  std::string code;
  ASSERT_EQ(ReadGameCode(game->Link(), code), 256 * 1024);
  for (std::size_t i = 0; i < kAddressPatterns.size(); ++i) {
    SCOPED_TRACE(kAddressPatterns[i]);
    TPattern p;
    EXPECT_EQ(FindPattern(code, kAddressPatterns[i], p), game->PatternOffsets()[i]);
    ArrStr runs, texts;
    ArrInt lengths;
    ParsePattern(kAddressPatterns[i], runs, lengths, texts);
    if (runs.size() > 1) {  // a search that checked only the first run would stop at a decoy
      EXPECT_LT(code.find(runs[0]), static_cast<std::size_t>(p.MatchOffset));
    }
  }
}

TEST(DiscoveryTest, MissingPatternsGiveZeroAndOneMessage) {
  const std::vector<std::vector<int>> missingSets = {{0}, {2}, {6}, {7}, {1, 3, 5}, {0, 1, 2, 3, 4, 5, 6, 7}};
  for (const auto& missing : missingSets) {
    SCOPED_TRACE(::testing::PrintToString(missing));
    SimOptions options;
    for (int i : missing) options.missingPattern[static_cast<std::size_t>(i)] = true;
    auto game = Simulated(options);
    const DataAddresses expected = game->Layout().Expected();
    test::FakeUi ui;
    DataAddresses found;
    findaddresses(game->Link(), ui, found);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Pattern not found or invalid address");
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::None);

    const std::array<std::uint32_t DataAddresses::*, kAddressPatternCount> captured = {
        &DataAddresses::RulesWordAddress,   &DataAddresses::EventListAddress,
        &DataAddresses::InGameFlagAddress,  &DataAddresses::TeamBlockAddress,
        &DataAddresses::PlayerStatsAddress, &DataAddresses::PeriodAddress,
        &DataAddresses::AuxByteAddress,     &DataAddresses::TeamStatsAddress};
    for (int i = 0; i < kAddressPatternCount; ++i) {
      const bool gone = std::find(missing.begin(), missing.end(), i) != missing.end();
      EXPECT_EQ(found.*captured[static_cast<std::size_t>(i)],
                gone ? 0u : expected.*captured[static_cast<std::size_t>(i)])
          << "pattern " << i + 1;
    }
    // Derived addresses follow the captures whether or not the test passed.
    EXPECT_EQ(found.AuxByte2Address, found.AuxByteAddress + 1);
    EXPECT_EQ(found.RulesBlockAddress, found.RulesWordAddress - 96);
    EXPECT_EQ(found.TeamStatFields[1][1], found.TeamStatsAddress + 92);
  }
}

TEST(DiscoveryTest, InvalidCapturedValuesFail) {
  const struct {
    AddressPatternId pattern;
    std::uint32_t value;
    bool valid;
  } cases[] = {
      {AddressPatternId::PlayerStats, 0x80000000u, false},
      {AddressPatternId::TeamStats, 0xFFFFFFFFu, false},
      {AddressPatternId::RulesWord, 96, false},  // rules block 0
      {AddressPatternId::RulesWord, 50, false},  // rules block wraps negative
      {AddressPatternId::RulesWord, 97, true},
      {AddressPatternId::AuxByte, 0x7FFFFFFFu, true},  // aux byte 2 wraps, but is not tested
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    SimOptions options;
    options.captureOverride[static_cast<std::size_t>(c.pattern)] = c.value;
    auto game = Simulated(options);
    test::FakeUi ui;
    DataAddresses found;
    findaddresses(game->Link(), ui, found);
    EXPECT_EQ(ui.messages.size(), c.valid ? 0u : 1u);
    EXPECT_EQ(AddressesValid(found), c.valid);
  }
}

TEST(DiscoveryTest, SecondDiscoveryReplacesEveryAddress) {
  auto first = Simulated();
  SimOptions moved;
  moved.codeSize = 512 * 1024;  // the data lie elsewhere
  moved.missingPattern[3] = true;
  auto second = Simulated(moved);
  ASSERT_NE(first->Layout().dataBase, second->Layout().dataBase);

  test::FakeUi ui;
  DataAddresses found;
  findaddresses(first->Link(), ui, found);
  findaddresses(second->Link(), ui, found);
  DataAddresses expected = second->Layout().Expected();
  expected.TeamBlockAddress = 0;
  EXPECT_EQ(found, expected);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(DiscoveryTest, AbsentGameGivesNoCodeAndTheMessage) {
  auto game = Simulated();
  game->SetWindowPresent(false);
  std::string code = "stale";
  EXPECT_EQ(ReadGameCode(game->Link(), code), 0);
  EXPECT_TRUE(code.empty());
  test::FakeUi ui;
  DataAddresses found;
  found.PeriodAddress = 1234;
  findaddresses(game->Link(), ui, found);
  EXPECT_EQ(found, DeriveAddresses({}));
  EXPECT_EQ(ui.messages.size(), 1u);
}

// Images whose headers cannot be read whole, or lead somewhere unreasonable.
TEST(DiscoveryTest, BadHeadersGiveEmptyCode) {
  auto headers = [](std::uint32_t lfanew, std::uint32_t sizeOfCode, std::uint32_t baseOfCode) {
    Bytes b(0x200, 0);
    b[0] = 'M';
    b[1] = 'Z';
    for (int i = 0; i < 4; ++i) {
      b[60 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(lfanew >> (8 * i));
      if (lfanew < 0x100) {
        b[lfanew + 28 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(sizeOfCode >> (8 * i));
        b[lfanew + 44 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(baseOfCode >> (8 * i));
      }
    }
    return b;
  };
  const struct {
    const char* name;
    Bytes image;
    std::size_t mapped;
    int length;
  } cases[] = {
      {"dos header short", headers(0x80, 16, 0x1000), 40, 0},
      {"pe headers short", headers(0x80, 16, 0x1000), 0x80 + 200, 0},
      {"e_lfanew far away", headers(0xFFFFFF00u, 16, 0x1000), 0x200, 0},
      {"code size above 256 MiB", headers(0x80, 0x10000001u, 0x1000), 0x200, 0},
      {"code base beyond 4 GiB", headers(0x80, 16, 0xFFFFF000u), 0x200, 0},
      {"code unmapped: zeros", headers(0x80, 16, 0x1000), 0x200, 16},
      {"code size 0", headers(0x80, 0, 0x1000), 0x200, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryGameLink link;
    ASSERT_TRUE(
        link.MapRegion(GameImageBase, Bytes(c.image.begin(), c.image.begin() + static_cast<long>(c.mapped))));
    std::string code;
    EXPECT_EQ(ReadGameCode(link, code), c.length);
    EXPECT_EQ(code, std::string(static_cast<std::size_t>(c.length), '\0'));
    test::FakeUi ui;
    DataAddresses found;
    findaddresses(link, ui, found);
    EXPECT_EQ(ui.messages.size(), 1u);
  }
}

TEST(DiscoveryTest, HugeSizeOfCodeInSimulatedHeadersIsRefused) {
  SimOptions options;
  options.headerSizeOfCode = 300u * 1024 * 1024;
  auto game = Simulated(options);
  std::string code;
  EXPECT_EQ(ReadGameCode(game->Link(), code), 0);
  options.headerSizeOfCode = 256u * 1024 * 1024;  // the limit itself is read (zeros past the mapping)
  auto atLimit = Simulated(options);
  EXPECT_EQ(ReadGameCode(atLimit->Link(), code), 256 * 1024 * 1024);
}

}  // namespace
}  // namespace rw

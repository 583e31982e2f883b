#include "gamedata/rules_reader.h"

#include <cstdint>
#include <string>

#include "gamelink/game_access.h"
#include "gamelink/pattern.h"

namespace rw {
namespace {

constexpr int kRulesColumns = 29;
constexpr std::size_t kRulesWordSize = 4;
constexpr std::size_t kRulesBlockSize = 18;

// A gameplay level: a 3-bit field of block word `word` (V0..V8) starting at bit `shift`.
struct BlockField {
  const char* header;
  int word;
  int shift;
};

// Columns 5..28, in column order.
constexpr std::array<BlockField, 24> kBlockFields = {{
    {"Game Speed", 0, 0},           {"Puck Control", 0, 3},
    {"Fatigue Effect", 0, 7},       {"Injuries", 0, 11},
    {"Speed Burst", 1, 3},          {"Fatigue Recovery", 1, 7},
    {"Player Acceleration", 1, 11}, {"Hitting Power", 2, 0},
    {"Hitting Difficulty", 2, 4},   {"Aggression", 2, 12},
    {"Poke Effectiveness", 3, 0},   {"Shot Accuracy", 3, 4},
    {"Shot Power", 3, 8},           {"Pass Assist", 4, 4},
    {"Pass Speed", 4, 8},           {"Saucer Pass Speed", 4, 12},
    {"Pass Interceptions", 5, 0},   {"Dump Speed", 5, 8},
    {"Dump Height", 5, 12},         {"Soft Dump Speed", 6, 0},
    {"Soft Dump Height", 6, 4},     {"Shot Blocking", 7, 12},
    {"Hook Effectiveness", 8, 0},   {"Goalie Passing", 8, 4},
}};

std::uint32_t Bits(std::uint32_t value, int shift, int width) {
  return (value >> shift) & ((1u << width) - 1u);
}

// "Injury" has 3 bits and "Hero Rating" 2, but only two texts exist: larger values are shown
// as their number rather than read past the table.
std::string OffOnText(std::uint32_t value) {
  return value < OffOnNames.size() ? std::string(OffOnNames[value]) : std::to_string(value);
}

}  // namespace

void readrules(IGameLink& link, const DataAddresses& addresses, TCellTable& RulesGrid) {
  RulesGrid.ClearCells();
  RulesGrid.RowCount(2);
  RulesGrid.ColCount(kRulesColumns);
  const char* const fixedHeaders[] = {"Skill Level", "Injury", "Hero Rating", "Penalties", "Fighting"};
  for (int c = 0; c < 5; ++c) RulesGrid.SetCell(c, 0, fixedHeaders[c]);
  for (std::size_t i = 0; i < kBlockFields.size(); ++i)
    RulesGrid.SetCell(5 + static_cast<int>(i), 0, kBlockFields[i].header);

  std::string word(kRulesWordSize, '\0');
  std::string block(kRulesBlockSize, '\0');
  if (auto process = OpenGameProcess(link)) {
    ReadInto(*process, addresses.RulesWordAddress, kRulesWordSize, word);
    ReadInto(*process, addresses.RulesBlockAddress, kRulesBlockSize, block);
  }

  const auto r = static_cast<std::uint32_t>(BytesToInt(word));
  RulesGrid.SetCell(0, 1, SkillLevelNames[Bits(r, 0, 2)]);
  RulesGrid.SetCell(1, 1, OffOnText(Bits(r, 16, 3)));
  RulesGrid.SetCell(2, 1, OffOnText(Bits(r, 14, 2)));
  RulesGrid.SetCell(3, 1, LevelDigits[Bits(r, 6, 3)]);
  RulesGrid.SetCell(4, 1, LevelDigits[Bits(r, 24, 3)]);
  for (std::size_t i = 0; i < kBlockFields.size(); ++i) {
    const BlockField& f = kBlockFields[i];
    const auto v = static_cast<std::uint32_t>(
        BytesToInt(std::string_view(block).substr(2 * static_cast<std::size_t>(f.word), 2)));
    RulesGrid.SetCell(5 + static_cast<int>(i), 1, LevelDigits[Bits(v, f.shift, 3)]);
  }
}

}  // namespace rw

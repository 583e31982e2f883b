#include "gamedata/summary_reader.h"

#include <algorithm>
#include <string_view>

#include "gamelink/game_access.h"
#include "gamelink/pattern.h"

namespace rw {
namespace {

constexpr std::size_t kEventRecordSize = 8;
constexpr std::uint8_t kKindEnd = 0x00;
constexpr std::uint8_t kKindSkipped = 0x40;
constexpr std::uint8_t kKindPenalty = 0x80;
constexpr std::uint8_t kNoAssist = 255;
constexpr std::uint8_t kShootout = 255;
constexpr std::uint8_t kGameMisconduct = 128;

struct EventKind {
  std::uint8_t kind;
  const char* text;
  bool goal;
};

// Kinds shown with a text; 0 ends the list, 0x40 is skipped, any other kind is unknown.
constexpr std::array<EventKind, 6> kEventKinds = {{
    {0x20, "GOAL", true},
    {0x21, "PPG", true},
    {0x22, "SHG", true},
    {0x24, "ENG", true},
    {0x25, "PPG", true},
    {kKindPenalty, "PEN", false},
}};

const EventKind* FindKind(std::uint8_t kind) {
  for (const EventKind& k : kEventKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

std::string HexByte(std::uint8_t b) {
  const char c = static_cast<char>(b);
  return BytesToHex(std::string_view(&c, 1));
}

std::string PenaltyNote(std::uint8_t code) {
  if (code >= 1 && code <= 23) return std::string(PenaltyNames[code - 1u]) + " (Minor)";
  if (code >= 33 && code <= 55) return std::string(PenaltyNames[code - 33u]) + " (Double Minor)";
  if (code >= 65 && code <= 87) return std::string(PenaltyNames[code - 65u]) + " (Major)";
  if (code == kGameMisconduct) return "Game misconduct";
  return "UnkwnPlt#" + HexByte(code);
}

bool HasName(std::uint8_t team, std::uint8_t slot) {
  return team <= 1 && slot < 20;
}

std::string PeriodText(std::uint8_t period) {
  if (period <= 2) return std::to_string(period + 1);
  if (period == kShootout) return "Shootout";
  return std::to_string(period - 2) + "OT";
}

// Elapsed time in the period from the time left: periods are 20 minutes, overtimes 5.
std::string ElapsedText(std::uint8_t period, std::uint8_t minutes, std::uint8_t seconds) {
  if (period == kShootout) return {};
  const std::int32_t length = period <= 2 ? 20 : 5;
  return SecondsToClock((length - minutes) * 60 - seconds);
}

}  // namespace

void readsummary(IGameLink& link, const DataAddresses& addresses, const std::string& homeAbbr,
                 const std::string& awayAbbr, const PlayerNameTable& names, TCellTable& SummaryGrid) {
  SummaryGrid.ClearCells();
  SummaryGrid.RowCount(2);
  SummaryGrid.ColCount(6);
  const char* const headers[] = {"Period", "Time", "Goal/Penalty", "Team", "Player Name", "Note"};
  for (int c = 0; c < 6; ++c) SummaryGrid.SetCell(c, 0, headers[c]);
  (void)SummaryGrid.ColWidths(4, 100);
  (void)SummaryGrid.ColWidths(5, 100);

  auto process = OpenGameProcess(link);
  if (!process) return;

  auto name = [&names](std::uint8_t team, std::uint8_t slot) -> const std::string* {
    return HasName(team, slot) ? &names[team][slot] : nullptr;
  };

  int home = 0, away = 0;
  std::int32_t r = 0;
  std::string rec;
  for (std::uint32_t k = 0; k < kMaxEventRecords; ++k) {
    const std::uint64_t at = std::uint64_t{addresses.EventListAddress} + std::uint64_t{kEventRecordSize} * k;
    if (at + kEventRecordSize > 0x1'0000'0000ull) break;
    if (ReadInto(*process, static_cast<std::uint32_t>(at), kEventRecordSize, rec) < kEventRecordSize) break;
    auto byte = [&rec](int i) { return static_cast<std::uint8_t>(rec[static_cast<std::size_t>(i)]); };
    const std::uint8_t minutes = byte(0), seconds = byte(1), period = byte(2), kind = byte(3);
    const std::uint8_t team = byte(4), player = static_cast<std::uint8_t>(byte(5) % 20);
    const std::uint8_t assist1 = byte(6), assist2 = byte(7);
    if (kind == kKindEnd) break;
    if (kind == kKindSkipped) continue;

    ++r;
    // Room grows by doubling and is cut to one row per event at the end: resizing a table
    // walks its cells, so a row at a time would cost quadratic time on a long list.
    if (r >= SummaryGrid.RowCount()) SummaryGrid.RowCount(2 * r);
    SummaryGrid.SetCell(0, r, PeriodText(period));
    SummaryGrid.SetCell(1, r, ElapsedText(period, minutes, seconds));
    const EventKind* known = FindKind(kind);
    std::string kindText = known ? known->text : "Unkwn#" + HexByte(kind);
    if (team == 0) SummaryGrid.SetCell(3, r, homeAbbr);
    if (team == 1) SummaryGrid.SetCell(3, r, awayAbbr);
    if (const std::string* n = name(team, player)) SummaryGrid.SetCell(4, r, *n);

    if (known && known->goal) {
      if (team == 0) ++home;
      if (team == 1) ++away;
      kindText += " (" + std::to_string(home) + ":" + std::to_string(away) + ")";
      std::string note;
      if (assist1 == kNoAssist) {
        note = "Unassisted";
      } else {
        // A slot without a name leaves its part out, separator included.
        const std::string* first = name(team, assist1);
        const std::string* second = assist2 != kNoAssist ? name(team, assist2) : nullptr;
        if (first) note = *first;
        if (first && second) note += ", ";
        if (second) note += *second;
      }
      SummaryGrid.SetCell(5, r, note);
    } else if (kind == kKindPenalty) {
      SummaryGrid.SetCell(5, r, PenaltyNote(assist1));
    }
    SummaryGrid.SetCell(2, r, kindText);
  }
  SummaryGrid.RowCount(std::max(2, r + 1));
}

}  // namespace rw

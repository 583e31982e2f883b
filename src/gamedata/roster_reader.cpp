#include "gamedata/roster_reader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

#include "common/files.h"
#include "gamedata/viv.h"

namespace rw {
namespace {

constexpr std::int32_t kColumns = 29;
constexpr std::int32_t kSteaRecords = 110;  // read whatever the size of the table
constexpr std::size_t kAbbrBuffer = 32;
constexpr std::size_t kNameBuffer = 248;

const char* const kTitles[kColumns] = {
    "Player Name",
    "Team",
    "Pos",
    "Overall",
    "Speed",
    "Passing",
    "Endurance",
    "Agility",
    "Acceler\\5 Hole",
    "Slap Pwr\\Glove High",
    "Wrist Pwr\\Glove Low",
    "Slap Accur\\Stick High",
    "Wrist Accur\\Stick Low",
    "Cheking\\Recover",
    "Deking\\Rebound",
    "Balance\\Intensity",
    "Puck Control\\Poke Check",
    "Faceoffs\\Breakaways",
    "Hero\\Consistency",
    "Toughness",
    "Potential",
    "Height, ft",
    "Weight, lbs",
    "Height, cm",
    "Weight, kg",
    "Penalty Resistace",
    "Aggressiveness",
    "Defense-Offense",
    "Player ID",
};

// Rating1..Rating17 sources. The goalie's Rating10 ("Recover") has no named recovery field in
// the game's tables; it shows the poke check like Rating13.
const char* const kSkaterFields[17] = {"SPEE", "PASS", "ENDU", "AGIL", "ACCE", "SPOW", "WPOW", "WACC", "SACC",
                                       "CHKG", "DEKG", "BALA", "PUCK", "FACE", "HERO", "TOUG", "POTE"};
const char* const kGoalieFields[17] = {"SPEE", "PASS", "ENDU", "AGIL", "5HOL", "GSH_", "GSL_", "SSH_", "SSL_",
                                       "POKE", "REBC", "INTE", "POKE", "BRKA", "CONS", "TOUG", "POTE"};
// Which rating each of columns 4..20 shows: wrist accuracy (Rating8) sits in column 12 and slap
// accuracy (Rating9) in column 11.
const int kRatingOfColumn[17] = {0, 1, 2, 3, 4, 5, 6, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16};

std::string Dec(std::int64_t v) {
  return std::to_string(v);
}

std::string ReadText(const TdbLibrary& lib, std::int32_t h, const char* table, const char* field,
                     std::int32_t record, char* buffer, std::size_t size) {
  lib.TDBFieldGetValueAsString(h, table, field, record, buffer, size);
  const void* nul = std::memchr(buffer, 0, size);
  const char* end = nul ? static_cast<const char*>(nul) : buffer + size;
  return std::string(static_cast<const char*>(buffer), end);
}

struct RunState {
  std::vector<TPlayerRec> players;
  std::uint8_t homeIndex = 0, awayIndex = 0;
  std::map<std::string, std::int32_t> counts{{"ROST", 0}, {"SGAI", 0}, {"SPAI", 0}, {"PLAY", 0}, {"SPBT", 0}};
};

// Steps of one pass over a database; false when the file cannot be opened.
bool ReadPass(TdbLibrary& lib, const std::string& path, const RuntimeValues& rt, RunState& s) {
  const std::size_t passStart = s.players.size();
  const std::int32_t h = lib.TDBOpen(path);
  if (h < 0) return false;

  const std::int32_t tables = lib.TDBDatabaseGetTableCount(h);
  for (std::int32_t t = 0; t < tables; ++t) {
    TDBTableProperties props;
    lib.TDBTableGetProperties(h, t, props);
    if (auto it = s.counts.find(props.Name); it != s.counts.end()) it->second = props.RecordCount;
  }

  for (std::int32_t r = 0; r < s.counts["ROST"]; ++r) {
    const std::int32_t team = lib.TDBFieldGetValueAsInteger(h, "ROST", "TEAM", r);
    if (team != s.homeIndex && team != s.awayIndex) continue;
    TPlayerRec p;
    p.RosterIndex = lib.TDBFieldGetValueAsInteger(h, "ROST", "INDX", r);
    p.TeamIndex = team;
    p.TeamAbbr = team == s.homeIndex ? rt.HomeTeamAbbr : rt.AwayTeamAbbr;
    s.players.push_back(std::move(p));
  }
  const auto thisPass = [&](auto&& visit) {
    for (std::size_t i = passStart; i < s.players.size(); ++i) visit(s.players[i]);
  };

  for (std::int32_t r = 0; r < s.counts["PLAY"]; ++r) {
    const std::int32_t indx = lib.TDBFieldGetValueAsInteger(h, "PLAY", "INDX", r);
    thisPass([&](TPlayerRec& p) {
      if (p.RosterIndex != indx) return;
      p.PlayerId = lib.TDBFieldGetValueAsInteger(h, "PLAY", "ID__", r);
      p.PlayerIdText = Dec(p.PlayerId);
    });
  }
  for (std::int32_t r = 0; r < s.counts["SPAI"]; ++r) {
    const std::int32_t indx = lib.TDBFieldGetValueAsInteger(h, "SPAI", "INDX", r);
    thisPass([&](TPlayerRec& p) {
      if (p.PlayerId != indx) return;
      p.Position = "Player";
      p.PlayerIdText = Dec(indx);
      for (int k = 0; k < 17; ++k) {
        p.Rating[k] = Dec(std::int64_t{lib.TDBFieldGetValueAsInteger(h, "SPAI", kSkaterFields[k], r)} + 50);
      }
      p.PenaltyResistance = Dec(99 - std::int64_t{lib.TDBFieldGetValueAsInteger(h, "SPAI", "PENA", r)});
      p.Aggressiveness = Dec(std::int64_t{lib.TDBFieldGetValueAsInteger(h, "SPAI", "AGGR", r)} + 50);
      p.DefenseOffense = Dec(lib.TDBFieldGetValueAsInteger(h, "SPAI", "ODBI", r));
    });
  }
  for (std::int32_t r = 0; r < s.counts["SGAI"]; ++r) {
    const std::int32_t indx = lib.TDBFieldGetValueAsInteger(h, "SGAI", "INDX", r);
    thisPass([&](TPlayerRec& p) {
      if (p.PlayerId != indx) return;
      p.Position = "Goalie";
      p.PlayerIdText = Dec(indx);
      for (int k = 0; k < 17; ++k) {
        p.Rating[k] = Dec(std::int64_t{lib.TDBFieldGetValueAsInteger(h, "SGAI", kGoalieFields[k], r)} + 50);
      }
      p.PenaltyResistance = p.Aggressiveness = p.DefenseOffense = "-";
    });
  }
  char name[kNameBuffer];
  for (std::int32_t r = 0; r < s.counts["SPBT"]; ++r) {
    const std::int32_t indx = lib.TDBFieldGetValueAsInteger(h, "SPBT", "INDX", r);
    thisPass([&](TPlayerRec& p) {
      if (p.PlayerId != indx) return;
      p.LastName = ReadText(lib, h, "SPBT", "LNME", r, name, sizeof name);
      p.FirstName = ReadText(lib, h, "SPBT", "FNME", r, name, sizeof name);
      p.Height = lib.TDBFieldGetValueAsInteger(h, "SPBT", "HEIG", r);
      p.Weight = lib.TDBFieldGetValueAsInteger(h, "SPBT", "WEIG", r);
      p.PlayerIdText = Dec(indx);
    });
  }

  lib.TDBClose(h);
  DeleteFileAt(path);
  return true;
}

void WriteRow(TCellTable& grid, std::int32_t w, const TPlayerRec& p, char separator) {
  const std::int64_t inches = std::int64_t{p.Height} + 54, pounds = std::int64_t{p.Weight} + 150;
  grid.SetCell(0, w, p.LastName + " " + p.FirstName);
  grid.SetCell(1, w, p.TeamAbbr);
  grid.SetCell(2, w, p.Position);
  grid.SetCell(3, w, "0");
  for (int c = 0; c < 17; ++c) grid.SetCell(4 + c, w, p.Rating[kRatingOfColumn[c]]);
  grid.SetCell(21, w, inttoftinc(inches));
  grid.SetCell(22, w, Dec(pounds));
  grid.SetCell(23, w, OneDecimalText(static_cast<double>(inches) * 2.54, separator));
  grid.SetCell(24, w, OneDecimalText(static_cast<double>(pounds) * 0.4536, separator));
  grid.SetCell(25, w, p.PenaltyResistance);
  grid.SetCell(26, w, p.Aggressiveness);
  grid.SetCell(27, w, p.DefenseOffense);
  grid.SetCell(28, w, p.PlayerIdText);
}

}  // namespace

std::string inttoftinc(std::int64_t inches) {
  const std::int64_t feet = inches / 12;
  return Dec(feet) + "'" + Dec(inches - 12 * feet) + "\"";
}

std::string OneDecimalText(double value, char decimalSeparator) {
  const double tenths = value / 0.1;
  double whole = std::floor(tenths);
  const double frac = tenths - whole;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  double rounded = whole * 0.1;
  if (rounded == 0.0) rounded = 0.0;  // no "-0"
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::general, 15);
  std::string text(buf, res.ptr);
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

void ReadRosters(MainWindowState& window, const RuntimeValues& rt, IRegistry& registry, ILocale& locale,
                 TdbLibrary& lib) {
  TCellTable& grid = window.PlayerGrid;
  grid.RowCount(2);
  grid.ClearCells();
  grid.ColCount(kColumns);
  (void)grid.ColWidths(0, 100);
  (void)grid.ColWidths(3, 0);
  for (std::int32_t c = 0; c < kColumns; ++c) grid.SetCell(c, 0, kTitles[c]);
  window.TableChanged(GridId::PlayerGrid);

  const std::string rosterCopy = rt.TempFolder + kRosterMember;
  const std::string exhibitionCopy = rt.TempFolder + kExhibitionFile;
  // Failures here are not checked: the open below reads whatever is at the working-copy path.
  (void)ExportFile(rt.RosterArchivePath, kRosterMember, rosterCopy, 1);
  const std::string documents = ReadRegString(registry, "HCU", kShellFoldersKey, "Personal");
  CopyFileOver(documents + "\\NHL07\\" + kExhibitionFile, exhibitionCopy);

  RunState s;
  const std::int32_t h = lib.TDBOpen(rosterCopy);
  if (h < 0) return;
  char abbr[kAbbrBuffer];
  for (std::int32_t r = 0; r < kSteaRecords; ++r) {
    const std::string aabb = ReadText(lib, h, "STEA", "AABB", r, abbr, sizeof abbr);
    const std::string abbrText = ReadText(lib, h, "STEA", "ABBR", r, abbr, sizeof abbr);
    const auto index = static_cast<std::uint8_t>(lib.TDBFieldGetValueAsInteger(h, "STEA", "INDX", r) & 0xFF);
    if (aabb == rt.HomeTeamAbbr || abbrText == rt.HomeTeamAbbr) s.homeIndex = index;
    if (aabb == rt.AwayTeamAbbr || abbrText == rt.AwayTeamAbbr) s.awayIndex = index;
  }
  lib.TDBClose(h);

  if (!ReadPass(lib, exhibitionCopy, rt, s)) return;
  if (!ReadPass(lib, rosterCopy, rt, s)) return;

  std::int32_t w = 1;
  bool statChanged = false;
  for (std::int32_t k = 1; k < window.PlayerStat.RowCount(); ++k) {
    const std::string name = window.PlayerStat.GetCell(0, k);
    for (const TPlayerRec& p : s.players) {
      if (p.LastName + " " + p.FirstName != name) continue;
      grid.RowCount(w + 1);
      window.PlayerStat.SetCell(12, k, p.PlayerIdText);
      statChanged = true;
      WriteRow(grid, w, p, locale.DecimalSeparator());
      ++w;
      break;
    }
  }
  window.TableChanged(GridId::PlayerGrid);
  if (statChanged) window.TableChanged(GridId::PlayerStat);
  window.Enable(CommandId::ManualSave, true);
}

void ReadRosters(MainWindowState& window, const RuntimeValues& rt, IRegistry& registry, ILocale& locale) {
  TdbLibrary lib;
  ReadRosters(window, rt, registry, locale, lib);
}

}  // namespace rw

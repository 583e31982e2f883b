#include "sim/roster_fixture.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/files.h"
#include "common/paths.h"
#include "gamedata/viv.h"

namespace rw::sim {

const std::vector<std::string> kSkaterRatingFields = {
    "BALA", "PENA", "SACC", "WACC", "FACE", "ACCE", "SPEE", "POTE", "DEKG", "CHKG", "TOUG", "PUCK",
    "AGIL", "HERO", "AGGR", "PRES", "PASS", "ENDU", "INJU", "SPOW", "WPOW", "FIGH", "ODBI"};
const std::vector<std::string> kGoalieRatingFields = {"BRKA", "REBC", "SREC", "SPEE", "POKE", "INTE",
                                                      "POTE", "TOUG", "AGIL", "PASS", "ENDU", "5HOL",
                                                      "GSH_", "SSH_", "GSL_", "SSL_", "CONS", "FIGH"};

namespace {

std::vector<TdbFieldSpec> RatingSpecs(const std::vector<std::string>& names) {
  std::vector<TdbFieldSpec> specs = {{"INDX", kTdbUnsigned, 16}};
  for (const std::string& n : names) {
    if (n == "FIGH") {
      specs.push_back({n, kTdbUnsigned, 2});
    } else if (n == "ODBI") {
      specs.push_back({n, kTdbSigned, 4});
    } else {
      specs.push_back({n, kTdbUnsigned, 6});
    }
  }
  return specs;
}

// The value of the k-th rating field for a base, kept inside the field's width.
std::int64_t RatingValue(const TdbField& f, std::int64_t base, std::size_t k) {
  const std::int64_t span = std::int64_t{1} << f.bitWidth;
  const std::int64_t v = ((base + static_cast<std::int64_t>(k)) % span + span) % span;
  return f.type == kTdbSigned ? v - span / 2 : v;
}

Status Fail(const std::string& what) {
  return MakeError(ErrorCode::Usage, "roster fixture: " + what);
}

class TableFiller {
 public:
  TableFiller(TdbDatabase& db, TdbTable& t) : db_(db), t_(t) {}
  Status Int(const char* field, std::uint32_t r, std::int64_t v) {
    if (!SetInteger(db_, t_, field, r, v))
      return Fail(t_.name + "." + field + " cannot hold " + std::to_string(v));
    return Status::Ok();
  }
  Status Text(const char* field, std::uint32_t r, const std::string& v) {
    if (!SetString(t_, field, r, v)) return Fail(t_.name + "." + field + " cannot hold \"" + v + "\"");
    return Status::Ok();
  }
  Status Overrides(std::uint32_t r, const std::map<std::string, std::int64_t>& values) {
    for (const auto& [name, v] : values) {
      if (!t_.FindField(name)) continue;
      if (auto s = Int(name.c_str(), r, v); !s) return s;
    }
    return Status::Ok();
  }

 private:
  TdbDatabase& db_;
  TdbTable& t_;
};

// Unused slots of a real table hold leftovers; the reader must not look at them.
void FillStaleSlots(TdbTable& t) {
  const std::size_t used = static_cast<std::size_t>(t.recordCount) * t.recordSize;
  std::fill(t.records.begin() + static_cast<std::ptrdiff_t>(used), t.records.end(), std::uint8_t{0xA5});
}

#define RW_TRY(expr)             \
  do {                           \
    if (auto s_ = (expr); !s_) { \
      return s_.error();         \
    }                            \
  } while (0)

}  // namespace

Result<TdbDatabase> BuildRosterDatabase(const std::vector<RosterTeamRow>& teams,
                                        const std::vector<RosterPlayerRow>& players) {
  const auto count = [&](auto pred) {
    return static_cast<std::uint16_t>(std::count_if(players.begin(), players.end(), pred));
  };
  const std::uint16_t nRost = count([](const RosterPlayerRow& p) { return p.HasRoster; });
  const std::uint16_t nPlay = count([](const RosterPlayerRow& p) { return p.HasPlay; });
  const std::uint16_t nBio = count([](const RosterPlayerRow& p) { return p.HasBio; });
  const std::uint16_t nSkater = count([](const RosterPlayerRow& p) { return p.HasRatings && !p.Goalie; });
  const std::uint16_t nGoalie = count([](const RosterPlayerRow& p) { return p.HasRatings && p.Goalie; });
  const bool altAbbr =
      std::any_of(teams.begin(), teams.end(), [](const RosterTeamRow& t) { return !t.AltAbbr.empty(); });

  TdbDatabase db;
  const auto add = [&](const char* name, std::vector<TdbFieldSpec> specs, std::uint16_t n) -> Status {
    auto t = NewTable(name, specs, static_cast<std::uint16_t>(n + 3), n);
    if (!t) return t.error();
    db.tables.push_back(std::move(*t));
    return Status::Ok();
  };
  RW_TRY(add("SPBT",
             {{"INDX", kTdbUnsigned, 16},
              {"FNME", kTdbString, 160},
              {"LNME", kTdbString, 160},
              {"HEIG", kTdbUnsigned, 5},
              {"WEIG", kTdbUnsigned, 8},
              {"POS_", kTdbUnsigned, 3},
              {"HAND", kTdbUnsigned, 1},
              {"TEAM", kTdbUnsigned, 8}},
             nBio));
  RW_TRY(add("ROST",
             {{"TEAM", kTdbUnsigned, 8},
              {"INDX", kTdbUnsigned, 16},
              {"JERS", kTdbUnsigned, 7},
              {"DRES", kTdbUnsigned, 2}},
             nRost));
  if (!teams.empty()) {
    std::vector<TdbFieldSpec> specs = {
        {"INDX", kTdbUnsigned, 8}, {"ABBR", kTdbString, 32}, {"NAME", kTdbString, 256}};
    if (altAbbr) specs.push_back({"AABB", kTdbString, 32});
    RW_TRY(add("STEA", specs, static_cast<std::uint16_t>(teams.size())));
  }
  RW_TRY(add("SGAI", RatingSpecs(kGoalieRatingFields), nGoalie));
  RW_TRY(add("PLAY", {{"INDX", kTdbUnsigned, 16}, {"ID__", kTdbUnsigned, 16}}, nPlay));
  RW_TRY(add("SPAI", RatingSpecs(kSkaterRatingFields), nSkater));

  if (TdbTable* t = db.FindTable("STEA")) {
    TableFiller f(db, *t);
    for (std::uint32_t r = 0; r < teams.size(); ++r) {
      RW_TRY(f.Int("INDX", r, teams[r].Index));
      RW_TRY(f.Text("ABBR", r, teams[r].Abbr));
      RW_TRY(f.Text("NAME", r, teams[r].Name));
      if (altAbbr) RW_TRY(f.Text("AABB", r, teams[r].AltAbbr));
    }
  }
  std::uint32_t rost = 0, play = 0, bio = 0, skater = 0, goalie = 0;
  for (const RosterPlayerRow& p : players) {
    if (p.HasRoster) {
      TableFiller f(db, *db.FindTable("ROST"));
      RW_TRY(f.Int("TEAM", rost, p.Team));
      RW_TRY(f.Int("INDX", rost, p.RosterIndex));
      RW_TRY(f.Int("JERS", rost, (p.PlayerId % 98) + 1));
      RW_TRY(f.Int("DRES", rost, 1));
      ++rost;
    }
    if (p.HasPlay) {
      TableFiller f(db, *db.FindTable("PLAY"));
      RW_TRY(f.Int("INDX", play, p.RosterIndex));
      RW_TRY(f.Int("ID__", play, p.PlayerId));
      ++play;
    }
    if (p.HasBio) {
      TdbTable& t = *db.FindTable("SPBT");
      TableFiller f(db, t);
      RW_TRY(f.Int("INDX", bio, p.PlayerId));
      RW_TRY(f.Text("FNME", bio, p.FirstName));
      RW_TRY(f.Text("LNME", bio, p.LastName));
      RW_TRY(f.Int("HEIG", bio, p.Height));
      RW_TRY(f.Int("WEIG", bio, p.Weight));
      RW_TRY(f.Int("POS_", bio, p.Goalie ? 4 : p.PlayerId % 4));
      RW_TRY(f.Int("TEAM", bio, p.Team & 0xFF));
      RW_TRY(f.Overrides(bio, p.Values));
      ++bio;
    }
    if (p.HasRatings) {
      const auto& names = p.Goalie ? kGoalieRatingFields : kSkaterRatingFields;
      TdbTable& t = *db.FindTable(p.Goalie ? "SGAI" : "SPAI");
      std::uint32_t& r = p.Goalie ? goalie : skater;
      TableFiller f(db, t);
      RW_TRY(f.Int("INDX", r, p.PlayerId));
      for (std::size_t k = 0; k < names.size(); ++k) {
        RW_TRY(f.Int(names[k].c_str(), r, RatingValue(*t.FindField(names[k]), p.RatingBase, k)));
      }
      RW_TRY(f.Overrides(r, p.Values));
      ++r;
    }
  }
  for (TdbTable& t : db.tables) FillStaleSlots(t);
  return db;
}

void ApplySourceMix(RosterFixtureInput& input) {
  if (input.Teams.size() < 2) return;
  input.Teams[0].Players[2].Source = RosterSource::Both;
  input.Teams[0].Players[5].Source = RosterSource::Exhibition;
  input.Teams[0].Players[18].Source = RosterSource::Exhibition;
  input.Teams[1].Players[3].Source = RosterSource::Exhibition;
  input.Teams[1].Players[7].Source = RosterSource::Nowhere;
}

std::int64_t FixturePlayerId(int team, int slot) {
  return 1000 + 100 * team + slot;
}

namespace {
std::int64_t RatingBase(std::int64_t id, bool exhibition) {
  return (id * 7) % 50 + (exhibition ? 5 : 0);
}
}  // namespace

std::int64_t FixtureRating(std::int64_t playerId, int field, bool exhibition) {
  return (RatingBase(playerId, exhibition) + field) % 64;
}
std::int64_t FixtureHeight(std::int64_t playerId) {
  return 14 + playerId % 10;
}
std::int64_t FixtureWeight(std::int64_t playerId) {
  return 20 + playerId % 60;
}

Result<RosterFixtureResult> WriteRosterFixture(const RosterFixtureInput& input) {
  RosterFixtureResult result;
  std::vector<RosterTeamRow> teams;
  for (std::size_t i = 0; i < input.Teams.size(); ++i) {
    const std::int64_t index = 3 + 2 * static_cast<std::int64_t>(i);
    result.TeamIndexes.push_back(index);
    teams.push_back({index, input.Teams[i].Abbr, "", input.Teams[i].Name});
  }
  std::vector<FixtureTeam> extras;
  std::int64_t nextIndex = 0;
  for (int e = 0; e < input.ExtraTeams; ++e) {
    while (std::find(result.TeamIndexes.begin(), result.TeamIndexes.end(), nextIndex) !=
           result.TeamIndexes.end()) {
      ++nextIndex;
    }
    FixtureTeam t;
    t.Abbr = "Q" + std::to_string(e);
    t.Name = "Extra Team " + std::to_string(e);
    for (int j = 0; j < 20; ++j)
      t.Players[static_cast<std::size_t>(j)] = {"First" + std::to_string(j), t.Name, RosterSource::Roster};
    teams.push_back({nextIndex, t.Abbr, "", t.Name});
    result.TeamIndexes.push_back(nextIndex++);
    extras.push_back(std::move(t));
  }
  result.TeamIndexes.resize(input.Teams.size());
  std::reverse(teams.begin(), teams.end());  // record positions differ from the team indexes

  std::vector<RosterPlayerRow> roster, exhibition;
  std::vector<const FixtureTeam*> all;
  for (const FixtureTeam& t : input.Teams) all.push_back(&t);
  for (const FixtureTeam& t : extras) all.push_back(&t);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::int64_t index = teams[teams.size() - 1 - i].Index;
    for (int j = 0; j < 20; ++j) {
      const FixturePlayer& fp = all[i]->Players[static_cast<std::size_t>(j)];
      RosterPlayerRow row;
      row.Team = index;
      row.PlayerId = FixturePlayerId(static_cast<int>(i), j);
      row.RosterIndex = row.PlayerId + 4000;
      row.Goalie = j >= 18;
      row.FirstName = fp.FirstName;
      row.LastName = fp.LastName;
      row.Height = FixtureHeight(row.PlayerId);
      row.Weight = FixtureWeight(row.PlayerId);
      if (fp.Source == RosterSource::Roster || fp.Source == RosterSource::Both) {
        row.RatingBase = RatingBase(row.PlayerId, false);
        roster.push_back(row);
      }
      if (fp.Source == RosterSource::Exhibition || fp.Source == RosterSource::Both) {
        row.RatingBase = RatingBase(row.PlayerId, true);
        exhibition.push_back(row);
      }
    }
  }

  auto rosterDb = BuildRosterDatabase(teams, roster);
  if (!rosterDb) return rosterDb.error();
  auto exhibitionDb = BuildRosterDatabase({}, exhibition);
  if (!exhibitionDb) return exhibitionDb.error();
  auto rosterBytes = WriteTdb(*rosterDb);
  if (!rosterBytes) return rosterBytes.error();
  auto exhibitionBytes = WriteTdb(*exhibitionDb);
  if (!exhibitionBytes) return exhibitionBytes.error();
  auto archive = WriteViv({{"nhl2007PC.tdb", std::move(*rosterBytes), true},
                           {"version.txt", Bytes{'N', 'H', 'L', '0', '7'}, false}});
  if (!archive) return archive.error();

  result.RosterArchivePath = input.GameFolder + "db\\db.viv";
  result.ExhibitionPath = input.DocumentsFolder + "\\NHL07\\exhibition.exh";
  std::error_code ec;
  std::filesystem::create_directories(ToHostPath(input.GameFolder + "db"), ec);
  std::filesystem::create_directories(ToHostPath(input.DocumentsFolder + "\\NHL07"), ec);
  RW_TRY(WriteFileAtomic(result.RosterArchivePath, *archive));
  RW_TRY(WriteFileAtomic(result.ExhibitionPath, *exhibitionBytes));
  return result;
}

bool WriteDocumentsFolderValue(IRegistry& registry, const std::string& documentsFolder) {
  return WriteRegString(registry, "HCU",
                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Personal",
                        documentsFolder);
}

}  // namespace rw::sim

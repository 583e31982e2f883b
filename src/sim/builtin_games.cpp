// The games that ship with the program, in the description format of docs/game-description.md.
// The two teams are shared; each game is a JSON text put together from them.

#include <string>

#include "sim/game_description.h"

namespace rw::sim {
namespace {

constexpr const char* kHarbourmen = R"({
    "name": "Halifax Harbourmen", "abbreviation": "HAL",
    "players": [
      {"first": "Marc", "last": "Thibodeau"},   {"first": "Liam", "last": "Doucette"},
      {"first": "Ryan", "last": "MacIsaac"},    {"first": "Owen", "last": "Boudreau"},
      {"first": "Jake", "last": "Fitzgerald"},  {"first": "Eric", "last": "LeBlanc"},
      {"first": "Noah", "last": "Campbell"},    {"first": "Sean", "last": "Gallant"},
      {"first": "Alex", "last": "Comeau"},      {"first": "Tyler", "last": "MacNeil"},
      {"first": "Dylan", "last": "Arsenault"},  {"first": "Cole", "last": "Abdelkader-Smyth"},
      {"first": "Pierre", "last": "Robichaud"}, {"first": "Evan", "last": "Cormier"},
      {"first": "Brett", "last": "Landry"},     {"first": "Scott", "last": "MacKinnon"},
      {"first": "Mikko", "last": "Saarinen"},   {"first": "Dan", "last": "Oickle"},
      {"first": "Jean-Sebastien", "last": "Gaudet"}, {"first": "Kyle", "last": "Pothier"}
    ]})";

constexpr const char* kKodiaks = R"({
    "name": "Kelowna Kodiaks", "abbreviation": "KEL",
    "players": [
      {"first": "Brody", "last": "Kowalchuk"},  {"first": "Jesse", "last": "Lindqvist"},
      {"first": "Curtis", "last": "Wiebe"},     {"first": "Travis", "last": "Hnatyshyn"},
      {"first": "Mason", "last": "Penner"},     {"first": "Jordan", "last": "Friesen"},
      {"first": "Tanner", "last": "Sawchyn"},   {"first": "Wade", "last": "Bergstrom"},
      {"first": "Riley", "last": "Klassen"},    {"first": "Colby", "last": "Ostrowski"},
      {"first": "Devin", "last": "Martens"},    {"first": "Shane", "last": "Yakimchuk"},
      {"first": "Lars", "last": "Eriksson"},    {"first": "Bryce", "last": "Dyck"},
      {"first": "Garrett", "last": "Nordin"},   {"first": "Chad", "last": "Rempel"},
      {"first": "Vaclav", "last": "Novotny"},   {"first": "Kurt", "last": "Harder"},
      {"first": "Pekka", "last": "Virtanen"},   {"first": "Josh", "last": "Unruh"}
    ]})";

// Skill "Difficult", penalties 4, hero rating and injury on, fighting 1; sliders in the block.
constexpr const char* kRules = R"({
    "word": "0x01014103",
    "block": ["0x129C", "0x1198", "0x2023", "0x0333", "0x2330", "0x3304", "0x0022", "0x3000", "0x0033"]})";

constexpr const char* kDefaultScript = R"([
    {"event": "start"},
    {"event": "faceoff", "team": "home"},
    {"event": "shot", "time": "01:10", "team": "away", "player": 4},
    {"event": "hit", "time": "02:05", "team": "home", "player": 13},
    {"event": "shot", "time": "03:40", "team": "home", "player": 0, "count": 2},
    {"event": "goal", "time": "05:12", "team": "home", "scorer": 2, "assists": [0, 12]},
    {"event": "faceoff", "team": "away"},
    {"event": "penalty", "time": "07:40", "team": "away", "player": 14, "infraction": 15, "severity": "minor"},
    {"event": "goal", "time": "08:55", "team": "home", "scorer": 4, "assists": [3], "kind": "powerplay"},
    {"event": "record", "time": "10:00", "kind": 64},
    {"event": "hit", "time": "11:20", "team": "away", "player": 16, "count": 2},
    {"event": "penalty", "time": "12:30", "team": "home", "player": 9, "infraction": 20, "severity": "double minor"},
    {"event": "shot", "time": "13:00", "team": "away", "player": 5, "count": 90},
    {"event": "goal", "time": "13:45", "team": "away", "scorer": 1, "assists": [7, 13], "kind": "powerplay2"},
    {"event": "faceoff", "team": "home", "count": 6},
    {"event": "faceoff", "team": "away", "count": 5},
    {"event": "shot", "time": "17:30", "team": "home", "player": 6, "count": 5, "onetimer": true},
    {"event": "period"},
    {"event": "faceoff", "team": "away"},
    {"event": "penalty", "time": "03:00", "team": "away", "player": 16, "infraction": 10, "severity": "major"},
    {"event": "penalty", "time": "03:00", "team": "home", "player": 15, "infraction": 10, "severity": "major"},
    {"event": "penalty", "time": "03:00", "team": "away", "player": 16, "severity": "misconduct"},
    {"event": "hit", "time": "05:10", "team": "home", "player": 12, "count": 3},
    {"event": "goal", "time": "06:20", "team": "away", "scorer": 3, "style": "breakaway"},
    {"event": "penalty", "time": "09:00", "team": "home", "player": 5, "infraction": 23, "severity": "minor"},
    {"event": "goal", "time": "10:15", "team": "home", "scorer": 7, "assists": [11], "kind": "shorthanded"},
    {"event": "record", "time": "11:00", "kind": 35, "team": 1, "player": 2},
    {"event": "shot", "time": "15:00", "team": "away", "player": 9, "count": 90},
    {"event": "shot", "time": "16:00", "team": "home", "player": 1, "count": 8},
    {"event": "faceoff", "team": "home", "count": 9},
    {"event": "faceoff", "team": "away", "count": 7},
    {"event": "period"},
    {"event": "goal", "time": "04:30", "team": "away", "scorer": 8, "assists": [10, 14], "style": "onetimer"},
    {"event": "hit", "time": "08:45", "team": "away", "player": 17, "count": 2},
    {"event": "shot", "time": "12:00", "team": "away", "player": 0, "count": 95},
    {"event": "shot", "time": "14:00", "team": "home", "player": 3, "count": 7},
    {"event": "goal", "time": "15:40", "team": "home", "scorer": 1, "assists": [5, 13]},
    {"event": "faceoff", "team": "home", "count": 8},
    {"event": "faceoff", "team": "away", "count": 6},
    {"event": "goal", "time": "19:20", "team": "home", "scorer": 10, "assists": [18], "kind": "emptynet"},
    {"event": "end"}
  ])";

constexpr const char* kOvertimeScript = R"([
    {"event": "start"},
    {"event": "faceoff", "team": "away"},
    {"event": "shot", "time": "04:00", "team": "home", "player": 2, "count": 4},
    {"event": "goal", "time": "09:05", "team": "away", "scorer": 0, "assists": [4, 12]},
    {"event": "penalty", "time": "14:10", "team": "home", "player": 13, "infraction": 12, "severity": "minor"},
    {"event": "shot", "time": "16:00", "team": "away", "player": 3, "count": 6},
    {"event": "faceoff", "team": "home", "count": 10},
    {"event": "period"},
    {"event": "hit", "time": "02:30", "team": "home", "player": 14, "count": 4},
    {"event": "goal", "time": "07:45", "team": "home", "scorer": 5, "assists": [2]},
    {"event": "shot", "time": "12:00", "team": "away", "player": 8, "count": 9},
    {"event": "faceoff", "team": "away", "count": 11},
    {"event": "period"},
    {"event": "penalty", "time": "05:30", "team": "away", "player": 12, "infraction": 6, "severity": "minor"},
    {"event": "goal", "time": "06:50", "team": "home", "scorer": 4, "assists": [0, 15], "kind": "powerplay"},
    {"event": "shot", "time": "10:00", "team": "home", "player": 9, "count": 7},
    {"event": "goal", "time": "17:58", "team": "away", "scorer": 6, "style": "onetimer"},
    {"event": "faceoff", "team": "home", "count": 9},
    {"event": "overtime"},
    {"event": "shot", "time": "01:30", "team": "away", "player": 1, "count": 3},
    {"event": "goal", "time": "02:10", "team": "away", "scorer": 1, "assists": [7]},
    {"event": "end"}
  ])";

constexpr const char* kShootoutScript = R"([
    {"event": "start"},
    {"event": "faceoff", "team": "home"},
    {"event": "shot", "time": "06:00", "team": "away", "player": 6, "count": 8},
    {"event": "goal", "time": "11:11", "team": "home", "scorer": 3, "assists": [1, 12]},
    {"event": "faceoff", "team": "away", "count": 9},
    {"event": "period"},
    {"event": "penalty", "time": "04:00", "team": "away", "player": 15, "infraction": 21, "severity": "minor"},
    {"event": "shot", "time": "09:00", "team": "home", "player": 0, "count": 11},
    {"event": "faceoff", "team": "home", "count": 10},
    {"event": "period"},
    {"event": "goal", "time": "13:13", "team": "away", "scorer": 2, "assists": [5]},
    {"event": "shot", "time": "15:00", "team": "away", "player": 4, "count": 10},
    {"event": "faceoff", "team": "away", "count": 12},
    {"event": "overtime"},
    {"event": "shot", "time": "03:00", "team": "home", "player": 7, "count": 3},
    {"event": "shootout"},
    {"event": "goal", "team": "home", "scorer": 3},
    {"event": "goal", "team": "away", "scorer": 2},
    {"event": "goal", "team": "home", "scorer": 7},
    {"event": "end"}
  ])";

std::string Game(const char* title, const char* home, const char* away, const char* script) {
  return std::string("{\n  \"title\": \"") + title + "\",\n  \"home\": " + home + ",\n  \"away\": " + away +
         ",\n  \"rules\": " + kRules + ",\n  \"script\": " + script + "\n}\n";
}

struct BuiltIn {
  const char* name;
  std::string json;
};

const std::vector<BuiltIn>& Games() {
  static const std::vector<BuiltIn> games = {
      {"default", Game("Halifax vs Kelowna, regulation", kHarbourmen, kKodiaks, kDefaultScript)},
      {"overtime", Game("Halifax vs Kelowna, decided in overtime", kHarbourmen, kKodiaks, kOvertimeScript)},
      {"shootout", Game("Kelowna vs Halifax, decided in a shootout", kKodiaks, kHarbourmen, kShootoutScript)},
  };
  return games;
}

}  // namespace

std::vector<std::string> BuiltInGameNames() {
  std::vector<std::string> names;
  for (const auto& g : Games()) names.emplace_back(g.name);
  return names;
}

std::optional<std::string_view> BuiltInGameJson(std::string_view name) {
  for (const auto& g : Games()) {
    if (name == g.name) return std::string_view(g.json);
  }
  return std::nullopt;
}

}  // namespace rw::sim

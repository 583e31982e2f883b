#include "sim/game_description.h"

#include <cctype>

#include <nlohmann/json.hpp>

namespace rw::sim {
namespace {

using nlohmann::json;

Error Bad(const std::string& where, const std::string& what) {
  return MakeError(ErrorCode::Invalid, where + ": " + what);
}

// A JSON number or a "0x..." / decimal text, within [lo, hi].
Result<std::int64_t> Integer(const json& v, const std::string& where, std::int64_t lo, std::int64_t hi) {
  std::int64_t n = 0;
  if (v.is_number_integer()) {
    n = v.get<std::int64_t>();
  } else if (v.is_number_unsigned()) {
    const auto u = v.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(hi)) return Bad(where, "number out of range");
    n = static_cast<std::int64_t>(u);
  } else if (v.is_string()) {
    const std::string s = v.get<std::string>();
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const std::string digits = hex ? s.substr(2) : s;
    if (digits.empty() || digits.size() > 10) return Bad(where, "'" + s + "' is not a number");
    for (char c : digits) {
      const bool ok = hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
      if (!ok) return Bad(where, "'" + s + "' is not a number");
    }
    n = std::stoll(digits, nullptr, hex ? 16 : 10);
  } else {
    return Bad(where, "a number is needed");
  }
  if (n < lo || n > hi)
    return Bad(where, std::to_string(n) + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
  return n;
}

Result<std::string> Text(const json& obj, const char* key, const std::string& where, std::size_t maxSize,
                         bool required) {
  if (!obj.contains(key)) {
    if (required) return Bad(where, std::string("\"") + key + "\" is missing");
    return std::string();
  }
  const json& v = obj.at(key);
  if (!v.is_string()) return Bad(where + "." + key, "a text is needed");
  std::string s = v.get<std::string>();
  if (s.size() > maxSize) return Bad(where + "." + key, "longer than " + std::to_string(maxSize) + " bytes");
  if (s.find('\0') != std::string::npos) return Bad(where + "." + key, "contains a zero byte");
  return s;
}

Result<int> TeamIndex(const json& v, const std::string& where) {
  if (v.is_string()) {
    const std::string s = v.get<std::string>();
    if (s == "home") return 0;
    if (s == "away") return 1;
    return Bad(where, "team must be \"home\" or \"away\"");
  }
  auto n = Integer(v, where, 0, 1);
  if (!n) return n.error();
  return static_cast<int>(*n);
}

Result<int> Clock(const json& v, const std::string& where) {
  if (!v.is_string()) return Bad(where, "time must be a text \"mm:ss\"");
  const std::string s = v.get<std::string>();
  const auto colon = s.find(':');
  auto digits = [](const std::string& d) {
    return !d.empty() && d.size() <= 3 && d.find_first_not_of("0123456789") == std::string::npos;
  };
  if (colon == std::string::npos || !digits(s.substr(0, colon)) || !digits(s.substr(colon + 1)))
    return Bad(where, "time '" + s + "' is not \"mm:ss\"");
  const int mm = std::stoi(s.substr(0, colon)), ss = std::stoi(s.substr(colon + 1));
  if (ss > 59) return Bad(where, "time '" + s + "' has more than 59 seconds");
  return mm * 60 + ss;
}

Result<TeamDesc> ParseTeam(const json& t, const std::string& where) {
  if (!t.is_object()) return Bad(where, "a team object is needed");
  TeamDesc team;
  auto name = Text(t, "name", where, kTeamNameSize, true);
  if (!name) return name.error();
  auto abbr = Text(t, "abbreviation", where, kTeamAbbrSize, true);
  if (!abbr) return abbr.error();
  team.name = *name;
  team.abbreviation = *abbr;
  if (!t.contains("players") || !t.at("players").is_array()) return Bad(where, "\"players\" must be a list");
  const json& players = t.at("players");
  if (players.size() > kPlayersPerTeam) return Bad(where, "more than 20 players");
  for (std::size_t j = 0; j < players.size(); ++j) {
    const std::string pw = where + ".players[" + std::to_string(j) + "]";
    if (!players[j].is_object()) return Bad(pw, "a player object is needed");
    auto first = Text(players[j], "first", pw, kNameFieldSize, false);
    if (!first) return first.error();
    auto last = Text(players[j], "last", pw, kNameFieldSize, false);
    if (!last) return last.error();
    team.players[j] = {*first, *last};
  }
  return team;
}

// Checks the place of each event in the game and fills its fields.
class ScriptParser {
 public:
  Result<std::vector<ScriptEvent>> Parse(const json& script) {
    if (!script.is_array()) return Bad("script", "a list of events is needed");
    if (script.size() > kMaxScriptEvents) return Bad("script", "more than 10000 events");
    std::vector<ScriptEvent> out;
    for (std::size_t i = 0; i < script.size(); ++i) {
      where_ = "script[" + std::to_string(i) + "]";
      auto e = One(script[i]);
      if (!e) return e.error();
      out.push_back(*e);
    }
    if (!ended_) return Bad("script", "the game never ends (no \"end\" event)");
    return out;
  }

 private:
  int PeriodLength() const { return period_ < 3 ? kRegulationPeriodSeconds : kOvertimePeriodSeconds; }

  Status TakeTime(const json& e, ScriptEvent& ev) {
    if (!e.contains("time")) return Status::Ok();
    if (period_ == kShootoutPeriod) return Bad(where_, "events of the shootout have no time");
    auto t = Clock(e.at("time"), where_ + ".time");
    if (!t) return t.error();
    if (*t < clock_) return Bad(where_, "time goes backwards within the period");
    if (*t > PeriodLength()) return Bad(where_, "time beyond the end of the period");
    clock_ = *t;
    ev.time = *t;
    return Status::Ok();
  }

  Result<int> Slot(const json& e, const char* key, bool required, int fallback) {
    if (!e.contains(key)) {
      if (required) return Bad(where_, std::string("\"") + key + "\" is missing");
      return fallback;
    }
    auto n = Integer(e.at(key), where_ + "." + key, 0, kPlayersPerTeam - 1);
    if (!n) return n.error();
    return static_cast<int>(*n);
  }

  Status TakeTeam(const json& e, ScriptEvent& ev) {
    if (!e.contains("team")) return Bad(where_, "\"team\" is missing");
    auto t = TeamIndex(e.at("team"), where_ + ".team");
    if (!t) return t.error();
    ev.team = *t;
    return Status::Ok();
  }

  Status TakeCount(const json& e, ScriptEvent& ev) {
    if (!e.contains("count")) return Status::Ok();
    auto n = Integer(e.at("count"), where_ + ".count", 1, 1000);
    if (!n) return n.error();
    ev.count = static_cast<int>(*n);
    return Status::Ok();
  }

  Status Goal(const json& e, ScriptEvent& ev) {
    if (auto s = TakeTeam(e, ev); !s) return s;
    auto scorer = Slot(e, "scorer", true, 0);
    if (!scorer) return scorer.error();
    ev.player = *scorer;
    if (e.contains("assists")) {
      const json& a = e.at("assists");
      if (!a.is_array() || a.size() > 2)
        return Bad(where_ + ".assists", "a list of at most two slots is needed");
      for (std::size_t k = 0; k < a.size(); ++k) {
        auto n = Integer(a[k], where_ + ".assists", 0, kPlayersPerTeam - 1);
        if (!n) return n.error();
        (k == 0 ? ev.assist1 : ev.assist2) = static_cast<std::uint8_t>(*n);
      }
    }
    const std::string kind = e.value("kind", std::string("even"));
    static const std::pair<const char*, std::uint8_t> kKinds[] = {{"even", kKindGoal},
                                                                  {"powerplay", kKindPowerPlayGoal},
                                                                  {"shorthanded", kKindShortHandedGoal},
                                                                  {"emptynet", kKindEmptyNetGoal},
                                                                  {"powerplay2", kKindPowerPlayGoal2}};
    bool known = false;
    for (const auto& [text, code] : kKinds) {
      if (kind == text) {
        ev.goalKind = code;
        known = true;
      }
    }
    if (!known) return Bad(where_ + ".kind", "unknown goal kind '" + kind + "'");
    const std::string style = e.value("style", std::string());
    if (style == "onetimer") {
      ev.onetimer = true;
    } else if (style == "breakaway") {
      ev.breakaway = true;
    } else if (!style.empty()) {
      return Bad(where_ + ".style", "style must be \"onetimer\" or \"breakaway\"");
    }
    if (period_ == kShootoutPeriod && (ev.assist1 != kNoAssist || ev.goalKind != kKindGoal))
      return Bad(where_, "a shootout goal has no assists and no kind");
    return Status::Ok();
  }

  Status Penalty(const json& e, ScriptEvent& ev) {
    if (period_ == kShootoutPeriod) return Bad(where_, "no penalties in the shootout");
    if (auto s = TakeTeam(e, ev); !s) return s;
    auto p = Slot(e, "player", true, 0);
    if (!p) return p.error();
    ev.player = *p;
    if (e.contains("code")) {
      auto c = Integer(e.at("code"), where_ + ".code", 0, 255);
      if (!c) return c.error();
      ev.penaltyCode = static_cast<std::uint8_t>(*c);
      return Status::Ok();
    }
    const std::string severity = e.value("severity", std::string("minor"));
    if (severity == "misconduct") {
      ev.penaltyCode = kGameMisconductCode;
      return Status::Ok();
    }
    int sev = -1;
    if (severity == "minor") sev = 0;
    if (severity == "double minor") sev = 1;
    if (severity == "major") sev = 2;
    if (sev < 0) return Bad(where_ + ".severity", "unknown severity '" + severity + "'");
    if (!e.contains("infraction")) return Bad(where_, "\"infraction\" (1..23) or \"code\" is missing");
    auto inf = Integer(e.at("infraction"), where_ + ".infraction", 1, 23);
    if (!inf) return inf.error();
    ev.penaltyCode = static_cast<std::uint8_t>(32 * sev + *inf);
    return Status::Ok();
  }

  Status Record(const json& e, ScriptEvent& ev) {
    static const char* kFields[8] = {"minutes", "seconds", "period", "kind",
                                     "team",    "player",  "byte6",  "byte7"};
    const int left = ev.time ? PeriodLength() - *ev.time : 0;
    ev.raw = {static_cast<std::uint8_t>(left / 60),
              static_cast<std::uint8_t>(left % 60),
              static_cast<std::uint8_t>(period_),
              0,
              0,
              0,
              0,
              0};
    if (!e.contains("kind")) return Bad(where_, "\"kind\" is missing");
    for (std::size_t b = 0; b < 8; ++b) {
      if (!e.contains(kFields[b])) continue;
      auto v = Integer(e.at(kFields[b]), where_ + "." + kFields[b], 0, 255);
      if (!v) return v.error();
      ev.raw[b] = static_cast<std::uint8_t>(*v);
    }
    if (ev.raw[3] == 0) return Bad(where_, "kind 0 would end the game's event list");
    return Status::Ok();
  }

  Result<ScriptEvent> One(const json& e) {
    if (!e.is_object() || !e.contains("event") || !e.at("event").is_string())
      return Bad(where_, "an object with an \"event\" text is needed");
    const std::string type = e.at("event").get<std::string>();
    if (ended_) return Bad(where_, "nothing may follow \"end\"");
    if (!started_ && type != "start") return Bad(where_, "the game has not started yet");
    ScriptEvent ev;
    if (auto s = TakeTime(e, ev); !s) return s.error();
    Status s;
    if (type == "start") {
      if (started_) return Bad(where_, "the game has already started");
      ev.type = ScriptEventType::Start;
      started_ = true;
    } else if (type == "goal") {
      ev.type = ScriptEventType::Goal;
      s = Goal(e, ev);
    } else if (type == "penalty") {
      ev.type = ScriptEventType::Penalty;
      s = Penalty(e, ev);
    } else if (type == "shot" || type == "hit" || type == "faceoff") {
      ev.type = type == "shot" ? ScriptEventType::Shot
                               : (type == "hit" ? ScriptEventType::Hit : ScriptEventType::Faceoff);
      if (period_ == kShootoutPeriod) return Bad(where_, "no play of that kind in the shootout");
      s = TakeTeam(e, ev);
      if (s && ev.type != ScriptEventType::Faceoff) {
        auto p = Slot(e, "player", true, 0);
        if (!p) return p.error();
        ev.player = *p;
      }
      if (s) s = TakeCount(e, ev);
      if (s && ev.type == ScriptEventType::Shot) ev.onetimer = e.value("onetimer", false);
    } else if (type == "period" || type == "overtime") {
      ev.type = type == "period" ? ScriptEventType::Period : ScriptEventType::Overtime;
      if (period_ >= 254) return Bad(where_, "no period may follow");
      const int next = period_ + 1;
      if (ev.type == ScriptEventType::Period && next > 2)
        return Bad(where_, "after the third period comes \"overtime\" or \"end\"");
      if (ev.type == ScriptEventType::Overtime && next < 3)
        return Bad(where_, "overtime follows the third period");
      period_ = next;
      clock_ = 0;
    } else if (type == "shootout") {
      ev.type = ScriptEventType::Shootout;
      if (period_ < 2 || period_ == kShootoutPeriod)
        return Bad(where_, "a shootout follows regulation or overtime");
      period_ = kShootoutPeriod;
      clock_ = 0;
    } else if (type == "record") {
      ev.type = ScriptEventType::Record;
      s = Record(e, ev);
    } else if (type == "end") {
      ev.type = ScriptEventType::End;
      ended_ = true;
    } else {
      return Bad(where_, "unknown event '" + type + "'");
    }
    if (!s) return s.error();
    return ev;
  }

  std::string where_;
  int period_ = 0;
  int clock_ = 0;
  bool started_ = false, ended_ = false;
};

}  // namespace

Result<GameDescription> ParseGameDescription(std::string_view text) {
  const json doc = json::parse(text, nullptr, false);
  if (doc.is_discarded()) return MakeError(ErrorCode::Invalid, "the game description is not valid JSON");
  if (!doc.is_object()) return MakeError(ErrorCode::Invalid, "the game description must be a JSON object");
  GameDescription game;
  auto title = Text(doc, "title", "game", 200, false);
  if (!title) return title.error();
  game.title = *title;
  for (int t = 0; t < 2; ++t) {
    const char* key = t == 0 ? "home" : "away";
    if (!doc.contains(key)) return Bad("game", std::string("\"") + key + "\" is missing");
    auto team = ParseTeam(doc.at(key), key);
    if (!team) return team.error();
    game.teams[static_cast<std::size_t>(t)] = std::move(*team);
  }
  if (doc.contains("rules")) {
    const json& r = doc.at("rules");
    if (!r.is_object()) return Bad("rules", "an object is needed");
    if (r.contains("word")) {
      auto w = Integer(r.at("word"), "rules.word", 0, 0xFFFFFFFFll);
      if (!w) return w.error();
      game.rules.word = static_cast<std::uint32_t>(*w);
    }
    if (r.contains("block")) {
      const json& b = r.at("block");
      if (!b.is_array() || b.size() != 9) return Bad("rules.block", "a list of nine 16-bit words is needed");
      for (std::size_t i = 0; i < 9; ++i) {
        auto v = Integer(b[i], "rules.block[" + std::to_string(i) + "]", 0, 0xFFFF);
        if (!v) return v.error();
        game.rules.block[i] = static_cast<std::uint16_t>(*v);
      }
    }
  }
  if (!doc.contains("script")) return Bad("game", "\"script\" is missing");
  auto script = ScriptParser().Parse(doc.at("script"));
  if (!script) return script.error();
  game.script = std::move(*script);
  std::size_t records = 0;
  for (const auto& e : game.script) {
    if (e.type == ScriptEventType::Goal || e.type == ScriptEventType::Penalty ||
        e.type == ScriptEventType::Record)
      ++records;
  }
  if (records > kMaxEventRecords)
    return Bad("script", "more goals, penalties and records than the game's list holds");
  return game;
}

Result<GameDescription> BuiltInGame(std::string_view name) {
  auto text = BuiltInGameJson(name);
  if (!text) return MakeError(ErrorCode::NotFound, "no built-in game named '" + std::string(name) + "'");
  return ParseGameDescription(*text);
}

}  // namespace rw::sim

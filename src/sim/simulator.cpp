#include "sim/simulator.h"

#include <algorithm>
#include <set>

#include "common/bytes.h"
#include "sim/code_section.h"

namespace rw::sim {
namespace {

constexpr std::uint32_t kBaseOfCode = 0x1000;
constexpr std::uint32_t kHeadersSize = 0x1000;
constexpr std::uint32_t kPeOffset = 0x80;  // e_lfanew

// Offsets of the data from the data base.
constexpr std::uint32_t kRulesBlockAt = 0x000;
constexpr std::uint32_t kPeriodAt = 0x100;
constexpr std::uint32_t kInGameAt = 0x110;
constexpr std::uint32_t kAuxAt = 0x120;
constexpr std::uint32_t kTeamStatsAt = 0x202;  // the "Shot" field lies 2 bytes before it
constexpr std::uint32_t kPlayerStatsAt = 0x400;
constexpr std::uint32_t kTeamBlockAt = 0x800;
constexpr std::uint32_t kEventListAt = 0x2000;
constexpr std::uint32_t kDataSize = 0x4000;
static_assert(kEventListAt + 8 * (kMaxEventRecords + 1) <= kDataSize);
static_assert(kTeamBlockAt + 2 * kTeamRecordStride <= kEventListAt);

std::uint32_t AlignUp(std::uint64_t v, std::uint32_t a) {
  return static_cast<std::uint32_t>((v + a - 1) / a * a);
}

// The DOS header, PE signature, file header and 32-bit optional header of the executable.
Bytes ImageHeaders(std::uint32_t sizeOfCode, std::uint32_t sizeOfImage) {
  ByteWriter w;
  w.Append(std::string_view("MZ"));
  w.Fill(58);
  w.U32Le(kPeOffset);  // e_lfanew at +60
  w.Fill(kPeOffset - w.size());
  w.Append(std::string_view("PE\0\0", 4));
  // File header: i386, three sections, an optional header of 224 bytes, an executable image.
  w.U16Le(0x014C);
  w.U16Le(3);
  w.U32Le(0x4511A2C0);  // time stamp, autumn 2006
  w.U32Le(0);
  w.U32Le(0);
  w.U16Le(0xE0);
  w.U16Le(0x010F);
  // Optional header (PE32).
  w.U16Le(0x010B);
  w.U8(8);
  w.U8(0);
  w.U32Le(sizeOfCode);                                                // SizeOfCode: +28 from the signature
  w.U32Le(0x00200000);                                                // SizeOfInitializedData
  w.U32Le(0x00100000);                                                // SizeOfUninitializedData
  w.U32Le(kBaseOfCode + 0x100);                                       // AddressOfEntryPoint
  w.U32Le(kBaseOfCode);                                               // BaseOfCode: +44 from the signature
  w.U32Le(AlignUp(std::uint64_t{kBaseOfCode} + sizeOfCode, 0x1000));  // BaseOfData
  w.U32Le(GameImageBase);
  w.U32Le(0x1000);  // SectionAlignment
  w.U32Le(0x1000);  // FileAlignment
  w.U16Le(4);
  w.U16Le(0);
  w.U16Le(0);
  w.U16Le(0);
  w.U16Le(4);
  w.U16Le(0);
  w.U32Le(0);
  w.U32Le(sizeOfImage);
  w.U32Le(kHeadersSize);
  w.U32Le(0);  // CheckSum
  w.U16Le(2);  // Subsystem: Windows GUI
  w.U16Le(0);
  w.U32Le(0x100000);
  w.U32Le(0x1000);
  w.U32Le(0x100000);
  w.U32Le(0x1000);
  w.U32Le(0);
  w.U32Le(16);  // NumberOfRvaAndSizes; the 16 directories stay zero
  w.Fill(kHeadersSize - w.size());
  return w.Take();
}

void PutText(Bytes& data, std::uint32_t at, const std::string& text, std::size_t field) {
  std::fill_n(data.begin() + at, field, std::uint8_t{0});
  std::copy_n(text.begin(), std::min(text.size(), field), data.begin() + at);
}

void Put8(Bytes& data, std::uint32_t at, int v) {
  data[at] = static_cast<std::uint8_t>(v & 0xFF);
}
void Put16(Bytes& data, std::uint32_t at, int v) {
  data[at] = static_cast<std::uint8_t>(v & 0xFF);
  data[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

bool IsPowerPlayKind(std::uint8_t k) {
  return k == kKindPowerPlayGoal || k == kKindPowerPlayGoal2;
}
int SlotOf(int v) {
  return ((v % kPlayersPerTeam) + kPlayersPerTeam) % kPlayersPerTeam;
}

}  // namespace

DataAddresses SimLayout::Expected() const {
  return DeriveAddresses({rulesWord, eventList, inGame, teamBlock, playerStats, period, aux, teamStats});
}

GameSimulator::GameSimulator(GameDescription game, SimOptions options)
    : game_(std::move(game)), options_(std::move(options)) {
  BuildMemory();
}

void GameSimulator::BuildMemory() {
  const std::size_t codeSize = std::clamp<std::size_t>(options_.codeSize, kMinCodeSize, kMaxCodeSize);
  layout_.codeBase = GameImageBase + kBaseOfCode;
  layout_.dataBase = AlignUp(std::uint64_t{layout_.codeBase} + codeSize, 0x10000) + 0x10000;
  const std::uint32_t d = layout_.dataBase;
  layout_.rulesBlock = d + kRulesBlockAt;
  layout_.rulesWord = layout_.rulesBlock + kRulesBlockBack;
  layout_.period = d + kPeriodAt;
  layout_.inGame = d + kInGameAt;
  layout_.aux = d + kAuxAt;
  layout_.teamStats = d + kTeamStatsAt;
  layout_.playerStats = d + kPlayerStatsAt;
  layout_.teamBlock = d + kTeamBlockAt;
  layout_.eventList = d + kEventListAt;
  layout_.dataSize = kDataSize;

  CodeSectionPlan plan;
  plan.size = codeSize;
  plan.dataBase = d;
  plan.seed = options_.seed;
  plan.missing = options_.missingPattern;
  const std::array<std::uint32_t, kAddressPatternCount> real = {
      layout_.rulesWord,   layout_.eventList, layout_.inGame, layout_.teamBlock,
      layout_.playerStats, layout_.period,    layout_.aux,    layout_.teamStats};
  for (std::size_t i = 0; i < kAddressPatternCount; ++i)
    plan.captures[i] = options_.captureOverride[i].value_or(real[i]);
  CodeSection code = BuildCodeSection(plan);
  matchOffsets_ = code.matchOffsets;

  const auto sizeOfCode = options_.headerSizeOfCode.value_or(static_cast<std::uint32_t>(codeSize));
  link_.Clear();
  link_.executablePath = options_.gameFolder + options_.executableName;
  // Regions that cannot overlap by construction: headers, code right after them, data above.
  (void)link_.MapRegion(GameImageBase, ImageHeaders(sizeOfCode, d + kDataSize - GameImageBase));
  (void)link_.MapRegion(layout_.codeBase, std::move(code.bytes));
  (void)link_.MapRegion(d, Bytes(kDataSize, 0));
  Flush();
}

int GameSimulator::PeriodLength() const {
  if (period_ == kShootoutPeriod) return 0;
  return period_ < 3 ? kRegulationPeriodSeconds : kOvertimePeriodSeconds;
}

// Line changes: four forward lines (slots 0-11) change every 45 s, three defence pairs
// (slots 12-17) every 50 s; the starting goalie (slot 18) plays throughout.
bool GameSimulator::OnIce(int, int slot, int second) const {
  if (slot == kFirstGoalieSlot) return true;
  if (slot < 12) return slot / 3 == (second / 45) % 4;
  if (slot < 18) return (slot - 12) / 2 == (second / 50) % 3;
  return false;
}

void GameSimulator::AdvanceClock(int to) {
  to = std::min(to, PeriodLength());
  for (int s = clock_; s < to; ++s) {
    for (int t = 0; t < 2; ++t) {
      for (int j = 0; j < kPlayersPerTeam; ++j) {
        if (OnIce(t, j, s)) ++players_[static_cast<std::size_t>(t)][static_cast<std::size_t>(j)].toi;
      }
    }
  }
  clock_ = std::max(clock_, to);
}

void GameSimulator::AddRecord(const std::array<std::uint8_t, 8>& record) {
  if (records_.size() < kMaxEventRecords) records_.push_back(record);
}

void GameSimulator::Play(const ScriptEvent& e) {
  const auto t = static_cast<std::size_t>(e.team & 1);
  const auto o = 1 - t;
  const auto slot = static_cast<std::size_t>(SlotOf(e.player));
  TeamStats& team = teams_[t];
  TeamStats& other = teams_[o];
  auto& player = players_[t][slot];
  auto& goalieAgainst = players_[o][kFirstGoalieSlot];
  if (e.time) AdvanceClock(*e.time);
  const int left = std::max(0, PeriodLength() - clock_);
  const auto minutes = static_cast<std::uint8_t>(left / 60), seconds = static_cast<std::uint8_t>(left % 60);
  const auto period = static_cast<std::uint8_t>(period_);

  switch (e.type) {
    case ScriptEventType::Start:
      inGame_ = true;
      break;
    case ScriptEventType::Goal: {
      if (period_ == kShootoutPeriod) {
        AddRecord({0, 0, kShootoutPeriod, kKindGoal, static_cast<std::uint8_t>(t),
                   static_cast<std::uint8_t>(slot), kNoAssist, kNoAssist});
        ++team.shootoutGoals;
        break;
      }
      AddRecord({minutes, seconds, period, e.goalKind, static_cast<std::uint8_t>(t),
                 static_cast<std::uint8_t>(slot), e.assist1, e.assist2});
      ++team.goals;
      ++team.shots;
      if (period_ < 3) {
        ++team.periodGoals[static_cast<std::size_t>(period_)];
      } else {
        ++team.overtimeGoals;
      }
      ++player.goals;
      ++player.shots;
      if (IsPowerPlayKind(e.goalKind)) {
        ++team.ppGoals;
        ++player.ppg;
      }
      if (e.goalKind == kKindShortHandedGoal) {
        ++team.shGoals;
        ++player.shg;
      }
      if (e.goalKind == kKindEmptyNetGoal) {
        ++team.enGoals;
      } else {
        ++goalieAgainst.shotsAgainst;
        ++goalieAgainst.goalsAgainst;
      }
      if (e.onetimer) {
        ++team.onetimers;
        ++team.onetimerGoals;
      }
      if (e.breakaway) ++team.breakaways;
      std::set<int> credited;
      credited.insert(static_cast<int>(slot));
      for (std::uint8_t a : {e.assist1, e.assist2}) {
        if (a == kNoAssist) continue;
        ++players_[t][static_cast<std::size_t>(SlotOf(a))].assists;
        credited.insert(SlotOf(a));
      }
      // Plus/minus: every goal but a power-play goal counts for the skaters on the ice.
      if (!IsPowerPlayKind(e.goalKind)) {
        for (int j = 0; j < kFirstGoalieSlot; ++j) {
          if (OnIce(static_cast<int>(t), j, clock_)) credited.insert(j);
          if (OnIce(static_cast<int>(o), j, clock_)) --players_[o][static_cast<std::size_t>(j)].plusMinus;
        }
        for (int j : credited) {
          if (j < kFirstGoalieSlot) ++players_[t][static_cast<std::size_t>(j)].plusMinus;
        }
      }
      break;
    }
    case ScriptEventType::Penalty: {
      AddRecord({minutes, seconds, period, kKindPenalty, static_cast<std::uint8_t>(t),
                 static_cast<std::uint8_t>(slot), e.penaltyCode, 0});
      const int code = e.penaltyCode;
      int pim = 2;
      if (code == kGameMisconductCode) pim = 10;
      if (code >= 33 && code <= 55) pim = 4;
      if (code >= 65 && code <= 87) pim = 5;
      player.pim += pim;
      ++team.penalties;
      if (code != kGameMisconductCode) ++other.ppOpportunities;
      break;
    }
    case ScriptEventType::Shot:
      team.shots += e.count;
      player.shots += e.count;
      goalieAgainst.shotsAgainst += e.count;
      if (e.onetimer) team.onetimers += e.count;
      break;
    case ScriptEventType::Hit:
      team.hits += e.count;
      player.hits += e.count;
      break;
    case ScriptEventType::Faceoff:
      team.faceoffs += e.count;
      break;
    case ScriptEventType::Period:
    case ScriptEventType::Overtime:
      AdvanceClock(PeriodLength());
      period_ = std::min(period_ + 1, 254);
      clock_ = 0;
      break;
    case ScriptEventType::Shootout:
      AdvanceClock(PeriodLength());
      period_ = kShootoutPeriod;
      clock_ = 0;
      break;
    case ScriptEventType::Record:
      AddRecord(e.raw);
      break;
    case ScriptEventType::End:
      // Regulation runs to the horn; overtime is sudden death and ends with its last event.
      if (period_ < 3) AdvanceClock(PeriodLength());
      if (period_ == kShootoutPeriod && teams_[0].shootoutGoals != teams_[1].shootoutGoals)
        ++teams_[teams_[0].shootoutGoals > teams_[1].shootoutGoals ? 0 : 1].goals;  // the deciding goal
      inGame_ = false;
      break;
  }
}

void GameSimulator::Flush() {
  Bytes data(kDataSize, 0);
  ByteWriter rules;
  for (std::uint16_t v : game_.rules.block) rules.U16Le(v);
  std::copy(rules.bytes().begin(), rules.bytes().end(), data.begin() + kRulesBlockAt);
  const std::uint32_t wordAt = kRulesBlockAt + kRulesBlockBack;
  for (int i = 0; i < 4; ++i)
    Put8(data, wordAt + static_cast<std::uint32_t>(i), static_cast<int>(game_.rules.word >> (8 * i)));
  Put16(data, kPeriodAt, period_);
  Put8(data, kInGameAt, inGame_ ? 1 : 0);
  Put8(data, kAuxAt, 2);

  for (std::uint32_t t = 0; t < 2; ++t) {
    const TeamStats& s = teams_[t];
    const std::uint32_t base = kTeamStatsAt + t * kTeamStatsStride;
    const std::array<int, kTeamStatFieldCount> values = {
        s.shots,          s.goals,           s.shGoals,        s.enGoals,
        s.faceoffs,       s.ppOpportunities, s.ppGoals,        s.penalties,
        s.onetimers,      s.onetimerGoals,   s.breakaways,     s.hits,
        s.periodGoals[0], s.periodGoals[1],  s.periodGoals[2], s.overtimeGoals};
    for (std::size_t f = 0; f < kTeamStatFieldCount; ++f) {
      const auto at = static_cast<std::uint32_t>(static_cast<std::int64_t>(base) + kTeamStatOffsets[f]);
      if (kTeamStatSizes[f] == 2) {
        Put16(data, at, values[f]);
      } else {
        Put8(data, at, values[f]);
      }
    }

    const TeamDesc& desc = game_.teams[t];
    const std::uint32_t record = kTeamBlockAt + t * kTeamRecordStride;
    PutText(data, record, desc.name, kTeamNameSize);
    PutText(data, record + 32, desc.abbreviation, kTeamAbbrSize);
    for (std::uint32_t j = 0; j < kPlayersPerTeam; ++j) {
      const std::uint32_t slotAt = record + kPlayerSlotOffset + kPlayerSlotStride * j;
      PutText(data, slotAt, desc.players[j].first, kNameFieldSize);
      PutText(data, slotAt + 16, desc.players[j].last, kNameFieldSize);

      const PlayerStats& p = players_[t][j];
      const std::uint32_t at = kPlayerStatsAt + kPlayerStatsTeamStride * t + kPlayerStatsRecordSize * j;
      Put16(data, at, p.toi);
      if (j >= kFirstGoalieSlot) {
        Put16(data, at + 2, p.shotsAgainst);
        Put8(data, at + 5, p.assists);
        Put8(data, at + 6, p.goalsAgainst);
        Put8(data, at + 10, p.pim);
      } else {
        Put8(data, at + 2, p.goals);
        Put8(data, at + 3, p.assists);
        Put8(data, at + 4, p.pim);
        Put8(data, at + 5, p.plusMinus);  // two's complement byte
        Put8(data, at + 6, p.ppg);
        Put8(data, at + 7, p.shg);
        Put8(data, at + 12, p.shots);
        Put8(data, at + 13, p.hits);
      }
    }
  }
  // The list ends with a record of kind 0, which the zero-filled rest provides.
  for (std::size_t k = 0; k < records_.size(); ++k)
    std::copy(records_[k].begin(), records_[k].end(),
              data.begin() + kEventListAt + 8 * static_cast<std::ptrdiff_t>(k));
  link_.Write(layout_.dataBase, data);
}

bool GameSimulator::Step() {
  if (Finished()) return false;
  Play(game_.script[next_++]);
  Flush();
  return true;
}

void GameSimulator::PlayToEnd() {
  while (Step()) {
  }
}

Result<std::unique_ptr<GameSimulator>> MakeBuiltInSimulator(std::string_view name, SimOptions options) {
  auto game = BuiltInGame(name);
  if (!game) return game.error();
  return std::make_unique<GameSimulator>(std::move(*game), std::move(options));
}

}  // namespace rw::sim

#include "gamelink/discovery.h"

#include "common/bytes.h"
#include "gamelink/game_access.h"
#include "gamelink/pattern.h"

namespace rw {
namespace {

// GameImageBase + offset, or nullopt when that leaves the 32-bit address space.
std::optional<std::uint32_t> ImageAddress(std::uint32_t offset) {
  const std::uint64_t at = std::uint64_t{GameImageBase} + offset;
  if (at > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(at);
}

}  // namespace

int ReadGameCode(IGameLink& link, std::string& code) {
  code.clear();
  auto process = OpenGameProcess(link);
  if (!process) return 0;

  std::string dos;
  if (ReadInto(*process, GameImageBase, kDosHeaderSize, dos) < kDosHeaderSize) return 0;
  const auto lfanew = ByteReader(AsBytes(dos)).U32LeAt(kDosLfanewOffset);
  const auto peAt = ImageAddress(*lfanew);
  if (!peAt) return 0;

  std::string pe;
  if (ReadInto(*process, *peAt, kPeHeadersSize, pe) < kPeHeadersSize) return 0;
  const ByteReader headers(AsBytes(pe));
  const std::uint32_t sizeOfCode = *headers.U32LeAt(kSizeOfCodeOffset);
  const std::uint32_t baseOfCode = *headers.U32LeAt(kBaseOfCodeOffset);
  const auto codeAt = ImageAddress(baseOfCode);
  if (sizeOfCode > kMaxCodeSize || !codeAt) return 0;

  ReadInto(*process, *codeAt, sizeOfCode, code);
  return static_cast<int>(code.size());
}

DataAddresses DeriveAddresses(const std::array<std::uint32_t, kAddressPatternCount>& captured) {
  auto at = [&](AddressPatternId id) { return captured[static_cast<std::size_t>(id)]; };
  DataAddresses a;
  a.RulesWordAddress = at(AddressPatternId::RulesWord);
  a.EventListAddress = at(AddressPatternId::EventList);
  a.InGameFlagAddress = at(AddressPatternId::InGameFlag);
  a.TeamBlockAddress = at(AddressPatternId::TeamBlock);
  a.PlayerStatsAddress = at(AddressPatternId::PlayerStats);
  a.PeriodAddress = at(AddressPatternId::Period);
  a.AuxByteAddress = at(AddressPatternId::AuxByte);
  a.TeamStatsAddress = at(AddressPatternId::TeamStats);
  // Unsigned arithmetic wraps like the game's own 32-bit address arithmetic.
  a.RulesBlockAddress = a.RulesWordAddress - kRulesBlockBack;
  a.AuxByte2Address = a.AuxByteAddress + 1;
  for (std::size_t team = 0; team < 2; ++team) {
    const std::uint32_t base = a.TeamStatsAddress + static_cast<std::uint32_t>(team) * kTeamStatsStride;
    for (std::size_t f = 0; f < kTeamStatFieldCount; ++f)
      a.TeamStatFields[team][f] = base + static_cast<std::uint32_t>(kTeamStatOffsets[f]);
  }
  return a;
}

bool AddressesValid(const DataAddresses& a) {
  for (std::uint32_t v :
       {a.RulesWordAddress, a.RulesBlockAddress, a.EventListAddress, a.InGameFlagAddress, a.TeamBlockAddress,
        a.PlayerStatsAddress, a.PeriodAddress, a.AuxByteAddress, a.TeamStatsAddress}) {
    if (static_cast<std::int32_t>(v) <= 0) return false;
  }
  return true;
}

void findaddresses(IGameLink& link, IUi& ui, DataAddresses& addresses) {
  std::string code;
  ReadGameCode(link, code);
  std::array<std::uint32_t, kAddressPatternCount> captured{};
  for (std::size_t i = 0; i < kAddressPatterns.size(); ++i) {
    TPattern found;
    FindPattern(code, kAddressPatterns[i], found);
    captured[i] = static_cast<std::uint32_t>(found.XValue);
  }
  addresses = DeriveAddresses(captured);
  if (!AddressesValid(addresses))
    ui.ShowMessage(kDiscoveryFailedText, kDiscoveryFailedCaption, MessageIcon::None);
}

}  // namespace rw

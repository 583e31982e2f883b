#pragma once
// Data address discovery: the game keeps its rules, team records, statistics and event list at
// addresses that differ between builds, so they are found in the game's own code. Eight
// instruction sequences that use these data are searched in the code section; each carries the
// wanted 32-bit address under its "XXXXXXXX" run. Further addresses follow at fixed offsets.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/outside.h"
#include "gamelink/addresses.h"
#include "gamelink/game_link.h"

namespace rw {

// Where the game's executable image is taken to be loaded; not queried from the game.
inline constexpr std::uint32_t GameImageBase = 0x400000;
// Header reads of ReadGameCode: the DOS header (e_lfanew at +60) and, at GameImageBase +
// e_lfanew, the PE signature, file header and 32-bit optional header (SizeOfCode at +28,
// BaseOfCode at +44).
inline constexpr std::size_t kDosHeaderSize = 64;
inline constexpr std::size_t kDosLfanewOffset = 60;
inline constexpr std::size_t kPeHeadersSize = 248;
inline constexpr std::size_t kSizeOfCodeOffset = 28;
inline constexpr std::size_t kBaseOfCodeOffset = 44;
// SizeOfCode comes from the game's memory; anything larger is refused rather than allocated.
inline constexpr std::uint32_t kMaxCodeSize = 256u * 1024 * 1024;

// The eight searches, in the order they run, each with the address its capture gives.
enum class AddressPatternId {
  RulesWord,    // load of the 32-bit rules word at X
  EventList,    // X + 8 * index after a division by 60
  InGameFlag,   // store of the value 1 at X
  TeamBlock,    // returns X + 1916, the second team record
  PlayerStats,  // X + 400 * i + 20 * j
  Period,       // whether the 16-bit value at X equals 255
  AuxByte,      // low byte of the value at X compared with 30
  TeamStats,    // increment of the 16-bit counter at X + 92 * team
};
inline constexpr int kAddressPatternCount = 8;

// The pattern texts: two hex digits per literal byte, other letters for wildcard bytes, the
// captured four bytes marked "XXXXXXXX".
inline constexpr std::array<std::string_view, kAddressPatternCount> kAddressPatterns = {
    "89BEF0000000C686D600000000A1XXXXXXXX",
    "0FBFC88B4424049956BE3C000000F7FE8D0CCDXXXXXXXX",
    "83E0FB251CFFFFFF83E0E78935LLLLLLLL8935MMMMMMMMC705XXXXXXXX01000000",
    "B80100000069C07C07000005XXXXXXXXC20800",
    "8B400CC1E81E23C38986C40300008D0C898D048A8D14808D0495XXXXXXXX",
    "33C066813DXXXXXXXXFF000F94C0C3",
    "CC8B0DXXXXXXXX0FBEC183F81E56",
    "66FF41188BD083F0016BD25C66FF82XXXXXXXX",
};

inline constexpr const char* kDiscoveryFailedText = "Pattern not found or invalid address";
inline constexpr const char* kDiscoveryFailedCaption = "Error";

// Reads the game's code section under one process handle: the two header reads, then
// SizeOfCode bytes at GameImageBase + BaseOfCode in one read (bytes the read did not reach stay
// zero). `code` is emptied when the process cannot be opened, a header read comes back short,
// SizeOfCode exceeds kMaxCodeSize, or a header points outside the 32-bit address space.
// Returns the length of `code`.
int ReadGameCode(IGameLink& link, std::string& code);

// The captured values of the eight searches (XValue of each, as unsigned) turned into the
// full set: the rules block (word - 96), aux byte 2 (aux + 1) and the 32 team statistics field
// addresses (home base TeamStatsAddress, away base + 92).
DataAddresses DeriveAddresses(const std::array<std::uint32_t, kAddressPatternCount>& captured);

// Every captured address and the rules block must be positive as signed 32-bit numbers.
bool AddressesValid(const DataAddresses& a);

// Replaces every address in `addresses` from one copy of the game's code. When any address
// fails the validity test, shows "Pattern not found or invalid address" (caption "Error", no
// icon) once; the addresses keep what the searches gave.
void findaddresses(IGameLink& link, IUi& ui, DataAddresses& addresses);

}  // namespace rw

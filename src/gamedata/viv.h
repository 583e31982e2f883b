#pragma once
// BIGF archives (.viv, .big): the game keeps its roster database as a member of db\db.viv.
//
// Header: magic "BIGF" (also "BIG4", "BIGH"), archive size (byte order disputed; ignored),
// entry count (big-endian), header size (meaning disputed; ignored), then the directory:
// per entry a big-endian offset from the archive's start, a big-endian stored size and a
// NUL-terminated name. A member whose data starts with a RefPack header is compressed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/result.h"

namespace rw {

struct VivEntry {
  std::string name;
  std::uint32_t offset = 0;  // from the start of the archive
  std::uint32_t size = 0;    // as stored (compressed size for a compressed member)
};

// Reads the directory. Refuses an unknown magic and a directory that runs past the data; an
// entry whose data lies outside the archive is kept here and refused by ExtractVivMember.
Result<std::vector<VivEntry>> ParseVivDirectory(ByteSpan archive);

// The entry named `name`: an exact match first, else the first whose name equals it ignoring
// ASCII case (archives differ in the case of their names).
const VivEntry* FindVivEntry(const std::vector<VivEntry>& entries, std::string_view name);

// The member's bytes, RefPack-decompressed when `decompress` is set and the member is
// compressed. The decompressed size is capped by `maxOutput`.
Result<Bytes> ExtractVivMember(ByteSpan archive, std::string_view name, bool decompress,
                               std::uint64_t maxOutput);

struct VivMember {
  std::string name;
  Bytes data;             // the member's own bytes
  bool compress = false;  // store RefPack-compressed
};

// Writes a BIGF archive: archive size little-endian, header size = end of the directory, each
// member but the last padded to a multiple of 128 bytes as EA's own archives are. Refuses names
// with a NUL byte and archives of 4 GiB or more.
Result<Bytes> WriteViv(const std::vector<VivMember>& members);

// Writes the member `memberName` of the archive at `archivePath` (system paths) as the whole file
// `destPath`, atomically. Mode 1 decompresses a RefPack member, 0 writes it as stored. On any
// failure (archive unreadable, member missing, damaged data, write refused) nothing is written
// and the error says why.
Status ExportFile(const std::string& archivePath, const std::string& memberName, const std::string& destPath,
                  int mode);

}  // namespace rw

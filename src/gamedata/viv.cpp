#include "gamedata/viv.h"

#include <cctype>

#include "common/files.h"
#include "gamedata/refpack.h"

namespace rw {
namespace {

constexpr std::uint64_t kHeaderSize = 16;
constexpr std::uint64_t kMinEntrySize = 9;  // offset, size, at least the NUL of the name
constexpr std::uint64_t kAlignment = 128;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

Result<std::vector<VivEntry>> ParseVivDirectory(ByteSpan archive) {
  const ByteReader in(archive);
  if (archive.size() < kHeaderSize)
    return MakeError(ErrorCode::Truncated, "VIV archive: shorter than its header", 0);
  const std::string magic = ToString(*in.SpanAt(0, 4));
  if (magic != "BIGF" && magic != "BIG4" && magic != "BIGH") {
    return MakeError(ErrorCode::Invalid, "VIV archive: unknown magic", 0);
  }
  const std::uint64_t count = *in.U32BeAt(8);
  if (count > (archive.size() - kHeaderSize) / kMinEntrySize) {
    return MakeError(ErrorCode::Truncated, "VIV archive: directory longer than the archive", 8);
  }
  std::vector<VivEntry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  std::uint64_t pos = kHeaderSize;
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto offset = in.U32BeAt(pos), size = in.U32BeAt(pos + 4);
    if (!offset || !size)
      return MakeError(ErrorCode::Truncated, "VIV archive: directory cut", static_cast<std::int64_t>(pos));
    pos += 8;
    std::uint64_t nameEnd = pos;
    while (nameEnd < archive.size() && archive[static_cast<std::size_t>(nameEnd)] != 0) ++nameEnd;
    if (nameEnd >= archive.size()) {
      return MakeError(ErrorCode::Truncated, "VIV archive: entry name without end",
                       static_cast<std::int64_t>(pos));
    }
    entries.push_back({ToString(*in.SpanAt(pos, nameEnd - pos)), *offset, *size});
    pos = nameEnd + 1;
  }
  return entries;
}

const VivEntry* FindVivEntry(const std::vector<VivEntry>& entries, std::string_view name) {
  for (const VivEntry& e : entries) {
    if (e.name == name) return &e;
  }
  for (const VivEntry& e : entries) {
    if (SameIgnoringCase(e.name, name)) return &e;
  }
  return nullptr;
}

Result<Bytes> ExtractVivMember(ByteSpan archive, std::string_view name, bool decompress,
                               std::uint64_t maxOutput) {
  auto entries = ParseVivDirectory(archive);
  if (!entries) return entries.error();
  const VivEntry* e = FindVivEntry(*entries, name);
  if (!e) return MakeError(ErrorCode::NotFound, "VIV archive: no member \"" + std::string(name) + "\"");
  const auto data = ByteReader(archive).SpanAt(e->offset, e->size);
  if (!data) {
    return MakeError(ErrorCode::Truncated, "VIV archive: member \"" + e->name + "\" lies outside the archive",
                     e->offset);
  }
  if (decompress && IsRefPack(*data)) return RefPackDecompress(*data, maxOutput);
  return Bytes(data->begin(), data->end());
}

Result<Bytes> WriteViv(const std::vector<VivMember>& members) {
  std::vector<Bytes> stored;
  stored.reserve(members.size());
  std::uint64_t dirEnd = kHeaderSize;
  for (const VivMember& m : members) {
    if (m.name.find('\0') != std::string::npos)
      return MakeError(ErrorCode::Usage, "VIV archive: name with a NUL byte");
    dirEnd += 8 + m.name.size() + 1;
    if (m.compress) {
      auto packed = RefPackCompress(m.data);
      if (!packed) return packed.error();
      stored.push_back(std::move(*packed));
    } else {
      stored.push_back(m.data);
    }
  }
  std::uint64_t total = (dirEnd + kAlignment - 1) / kAlignment * kAlignment;
  std::vector<std::uint64_t> offsets;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    offsets.push_back(total);
    total += stored[i].size();
    if (i + 1 < stored.size()) total = (total + kAlignment - 1) / kAlignment * kAlignment;
  }
  if (total > 0xFFFFFFFFull) return MakeError(ErrorCode::TooLarge, "VIV archive: 4 GiB or more");
  ByteWriter w;
  w.Append(std::string_view("BIGF"));
  w.U32Le(static_cast<std::uint32_t>(total));
  w.U32Be(static_cast<std::uint32_t>(members.size()));
  w.U32Be(static_cast<std::uint32_t>(dirEnd));
  for (std::size_t i = 0; i < members.size(); ++i) {
    w.U32Be(static_cast<std::uint32_t>(offsets[i]));
    w.U32Be(static_cast<std::uint32_t>(stored[i].size()));
    w.Append(std::string_view(members[i].name));
    w.U8(0);
  }
  for (std::size_t i = 0; i < stored.size(); ++i) {
    w.Fill(static_cast<std::size_t>(offsets[i] - w.size()));
    w.Append(stored[i]);
  }
  return w.Take();
}

Status ExportFile(const std::string& archivePath, const std::string& memberName, const std::string& destPath,
                  int mode) {
  auto archive = ReadWholeFile(archivePath);
  if (!archive) return archive.error();
  auto member = ExtractVivMember(*archive, memberName, mode != 0, kMaxReadFileSize);
  if (!member) {
    Error e = member.error();
    e.message = "\"" + archivePath + "\": " + e.message;
    return e;
  }
  return WriteFileAtomic(destPath, *member);
}

}  // namespace rw

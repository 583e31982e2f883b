#include "gamelink/memory_image.h"

#include <algorithm>

#include "common/files.h"

namespace rw {
namespace {

constexpr std::uint8_t kFlagHasPath = 1;
constexpr std::size_t kHeaderSize = 8 + 4 + 4 + 4;  // magic, version, flags, region count

Status CheckRegions(const std::vector<MemoryRegion>& regions) {
  if (regions.size() > kMaxImageRegions) return MakeError(ErrorCode::TooLarge, "too many memory regions");
  std::uint64_t total = 0, prevEnd = 0;
  for (std::size_t i = 0; i < regions.size(); ++i) {
    const auto& r = regions[i];
    if (r.bytes.size() > kMaxImageRegionSize)
      return MakeError(ErrorCode::TooLarge, "memory region too large");
    const std::uint64_t end = std::uint64_t{r.address} + r.bytes.size();
    if (end > 0x1'0000'0000ull) return MakeError(ErrorCode::Invalid, "memory region runs past 4 GiB");
    if (i > 0 && r.address < prevEnd)
      return MakeError(ErrorCode::Invalid, "memory regions overlap or are out of order");
    total += r.bytes.size();
    if (total > kMaxImageTotalSize)
      return MakeError(ErrorCode::TooLarge, "memory regions too large in total");
    prevEnd = end;
  }
  return Status::Ok();
}

void PutText(ByteWriter& w, const std::string& s) {
  w.U16Le(static_cast<std::uint16_t>(s.size()));
  w.Append(s);
}

// A length-prefixed text at the reader's position.
Result<std::string> TakeText(ByteReader& r, const char* what) {
  const std::int64_t at = static_cast<std::int64_t>(r.pos());
  auto len = r.U16Le();
  if (!len) return MakeError(ErrorCode::Truncated, std::string("image ends inside the ") + what, at);
  if (*len > kMaxImageTextSize) return MakeError(ErrorCode::TooLarge, std::string(what) + " too long", at);
  auto bytes = r.Take(*len);
  if (!bytes) return MakeError(ErrorCode::Truncated, std::string("image ends inside the ") + what, at);
  return ToString(*bytes);
}

}  // namespace

Result<Bytes> WriteMemoryImage(const MemoryImage& image) {
  if (auto s = CheckRegions(image.regions); !s) return s.error();
  for (const std::string* t : {&image.windowClass, &image.windowTitle}) {
    if (t->size() > kMaxImageTextSize) return MakeError(ErrorCode::TooLarge, "window text too long");
  }
  if (image.executablePath && image.executablePath->size() > kMaxImageTextSize)
    return MakeError(ErrorCode::TooLarge, "executable path too long");

  ByteWriter w;
  w.Append(std::string_view(kMemoryImageMagic, sizeof kMemoryImageMagic));
  w.U32Le(kMemoryImageVersion);
  w.U32Le(image.executablePath ? kFlagHasPath : 0);
  w.U32Le(static_cast<std::uint32_t>(image.regions.size()));
  PutText(w, image.windowClass);
  PutText(w, image.windowTitle);
  PutText(w, image.executablePath.value_or(std::string()));
  for (const auto& r : image.regions) {
    w.U32Le(r.address);
    w.U32Le(static_cast<std::uint32_t>(r.bytes.size()));
    w.Append(r.bytes);
  }
  return w.Take();
}

Result<MemoryImage> ReadMemoryImage(ByteSpan data) {
  ByteReader r(data);
  if (data.size() < kHeaderSize) return MakeError(ErrorCode::Truncated, "image shorter than its header", 0);
  if (!std::equal(data.begin(), data.begin() + 8, kMemoryImageMagic))
    return MakeError(ErrorCode::Invalid, "not a memory image (bad magic)", 0);
  r.Seek(8);
  const std::uint32_t version = *r.U32Le();
  if (version != kMemoryImageVersion)
    return MakeError(ErrorCode::Invalid, "unsupported memory image version " + std::to_string(version), 8);
  const std::uint32_t flags = *r.U32Le();
  if (flags & ~std::uint32_t{kFlagHasPath}) return MakeError(ErrorCode::Invalid, "unknown image flags", 12);
  const std::uint32_t count = *r.U32Le();
  if (count > kMaxImageRegions)
    return MakeError(ErrorCode::TooLarge, "too many memory regions (" + std::to_string(count) + ")", 16);

  MemoryImage image;
  auto cls = TakeText(r, "window class");
  if (!cls) return cls.error();
  auto title = TakeText(r, "window title");
  if (!title) return title.error();
  auto path = TakeText(r, "executable path");
  if (!path) return path.error();
  image.windowClass = std::move(*cls);
  image.windowTitle = std::move(*title);
  if (flags & kFlagHasPath) image.executablePath = std::move(*path);

  std::uint64_t prevEnd = 0, total = 0;
  image.regions.reserve(std::min<std::size_t>(count, r.remaining() / 8));
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto at = static_cast<std::int64_t>(r.pos());
    auto address = r.U32Le();
    auto size = r.U32Le();
    if (!address || !size) return MakeError(ErrorCode::Truncated, "image ends inside a region header", at);
    if (*size > kMaxImageRegionSize) return MakeError(ErrorCode::TooLarge, "memory region too large", at);
    if (*size > r.remaining())
      return MakeError(ErrorCode::Truncated, "memory region runs past the end of the image", at);
    const std::uint64_t end = std::uint64_t{*address} + *size;
    if (end > 0x1'0000'0000ull) return MakeError(ErrorCode::Invalid, "memory region runs past 4 GiB", at);
    if (i > 0 && *address < prevEnd)
      return MakeError(ErrorCode::Invalid, "memory regions overlap or are out of order", at);
    total += *size;
    if (total > kMaxImageTotalSize)
      return MakeError(ErrorCode::TooLarge, "memory regions too large in total", at);
    auto bytes = r.Take(*size);
    image.regions.push_back({*address, Bytes(bytes->begin(), bytes->end())});
    prevEnd = end;
  }
  if (r.remaining() != 0)
    return MakeError(ErrorCode::Invalid, "unexpected bytes after the last region",
                     static_cast<std::int64_t>(r.pos()));
  return image;
}

MemoryImage CaptureMemoryImage(const MemoryGameLink& link) {
  MemoryImage image;
  image.windowClass = link.windowClass;
  image.windowTitle = link.windowTitle;
  image.executablePath = link.executablePath;
  for (const auto& [address, bytes] : link.Regions()) image.regions.push_back({address, bytes});
  return image;
}

Status LoadMemoryImage(const MemoryImage& image, MemoryGameLink& link) {
  link.Clear();
  if (auto s = CheckRegions(image.regions); !s) return s;
  for (const auto& r : image.regions) {
    if (auto s = link.MapRegion(r.address, r.bytes); !s) {
      link.Clear();
      return s;
    }
  }
  link.windowClass = image.windowClass;
  link.windowTitle = image.windowTitle;
  link.executablePath = image.executablePath;
  link.windowPresent = true;
  link.processOpens = true;
  return Status::Ok();
}

Status SaveMemoryImageFile(const std::string& systemPath, const MemoryImage& image) {
  auto bytes = WriteMemoryImage(image);
  if (!bytes) return bytes.error();
  return WriteFileAtomic(systemPath, *bytes);
}

Result<MemoryImage> LoadMemoryImageFile(const std::string& systemPath) {
  auto bytes = ReadWholeFile(systemPath);
  if (!bytes) return bytes.error();
  auto image = ReadMemoryImage(*bytes);
  if (!image) {
    Error e = image.error();
    e.message = systemPath + ": " + e.message;
    return e;
  }
  return image;
}

}  // namespace rw

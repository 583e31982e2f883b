#pragma once
// Memory images: a file holding what a game link shows of a game at one moment (the window
// identity, the executable's path and the mapped memory regions), so that a captured game is
// replayed and a bug report carries the game's state. The format is in docs/memory-image.md.
//
// Images are untrusted input: the reader checks every size against the bytes that are there
// and against fixed limits before it allocates, and refuses overlapping or wrapping regions.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/result.h"
#include "gamelink/memory_link.h"

namespace rw {

inline constexpr char kMemoryImageMagic[8] = {'R', 'W', 'M', 'E', 'M', 'I', 'M', 'G'};
inline constexpr std::uint32_t kMemoryImageVersion = 1;
// Limits a reader enforces; a writer refuses to go beyond them too.
inline constexpr std::uint32_t kMaxImageRegions = 4096;
inline constexpr std::uint32_t kMaxImageRegionSize = 256u * 1024 * 1024;
inline constexpr std::uint64_t kMaxImageTotalSize = 512ull * 1024 * 1024;
inline constexpr std::size_t kMaxImageTextSize = 1024;

struct MemoryRegion {
  std::uint32_t address = 0;
  Bytes bytes;
  friend bool operator==(const MemoryRegion&, const MemoryRegion&) = default;
};

struct MemoryImage {
  std::string windowClass;
  std::string windowTitle;
  std::optional<std::string> executablePath;  // nullopt: the path could not be found
  std::vector<MemoryRegion> regions;          // in increasing address order, no overlaps
  friend bool operator==(const MemoryImage&, const MemoryImage&) = default;
};

// The image's bytes. Fails when the image breaks a limit or its regions overlap or wrap.
Result<Bytes> WriteMemoryImage(const MemoryImage& image);
// Parses and validates an image; the error names what is wrong and its byte offset.
Result<MemoryImage> ReadMemoryImage(ByteSpan data);

// What `link` currently shows: identity, path and regions.
MemoryImage CaptureMemoryImage(const MemoryGameLink& link);
// Replaces the link's regions, identity and path with the image's; the window is present and
// the process opens afterwards. On an error the link is left without regions.
Status LoadMemoryImage(const MemoryImage& image, MemoryGameLink& link);

// Files (system paths), written atomically.
Status SaveMemoryImageFile(const std::string& systemPath, const MemoryImage& image);
Result<MemoryImage> LoadMemoryImageFile(const std::string& systemPath);

}  // namespace rw

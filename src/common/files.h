#pragma once
// File operations on system paths (see paths.h: each path goes through ToHostPath).
// Files are written whole and atomically: the bytes go to a temporary file in the same folder,
// which is then renamed over the target, so a failure never leaves half a file and never
// destroys an earlier file of that name.

#include <cstdint>
#include <string>

#include "common/bytes.h"
#include "common/result.h"

namespace rw {

// Largest file the readers load into memory (logs, TDB databases, archives, memory images).
inline constexpr std::uint64_t kMaxReadFileSize = 512ull * 1024 * 1024;

// Writes `data` as the whole file at `systemPath`, replacing an existing file. The error's
// message carries the path and the system's reason.
Status WriteFileAtomic(const std::string& systemPath, ByteSpan data);

// Reads a whole file; refuses files larger than maxSize before allocating.
Result<Bytes> ReadWholeFile(const std::string& systemPath, std::uint64_t maxSize = kMaxReadFileSize);

bool FileExists(const std::string& systemPath);  // a regular file is there
bool FolderExists(const std::string& systemPath);
bool CreateFolder(const std::string& systemPath);  // one level; true when it exists after
bool CopyFileOver(const std::string& fromSystemPath, const std::string& toSystemPath);
bool DeleteFileAt(const std::string& systemPath);

}  // namespace rw

#pragma once
// Paths. The system builds Windows paths with "\" (the scratch folder, the documents folder
// from the registry, the game folder from the game link). ToHostPath is the one place where
// such a path becomes a path of the machine we run on; every file operation goes through it.
//
// The rule on a non-Windows host:
//   - "X:\rest" or "X:/rest" (a drive letter) maps to the drive root of X followed by "rest",
//     where the drive root is what SetDriveRoot gave for X, else $WINEPREFIX/dosdevices/x:,
//     else $HOME/.wine/dosdevices/x: (Wine's own view of its drives);
//   - every "\" becomes "/".
// On Windows the path is used as it is.

#include <string>
#include <string_view>

namespace rw {

std::string ToHostPath(std::string_view systemPath);

// Sets the host folder that stands for drive `letter` (case-insensitive); an empty folder
// restores the default.
void SetDriveRoot(char letter, std::string hostFolder);

// The last component of a path: everything after the last "\" or "/".
std::string FileNameOf(std::string_view path);

// A file name safe on every platform we write to: each byte that cannot stand in a Windows
// file name (\ / : * ? " < > | and the bytes below 32) becomes "_". Used for every name the
// system builds from user names and team abbreviations (logs and statistics files).
std::string SafeFileName(std::string_view name);

// The folder separator the system appends when it joins a folder and a name: "\".
inline std::string JoinSystemPath(std::string_view folder, std::string_view name) {
  std::string p(folder);
  p += '\\';
  p += name;
  return p;
}

}  // namespace rw

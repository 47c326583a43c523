// Names for paths longer than the classic Windows limit of 260 characters. The Win32 file
// functions accept any length only in the extended form "\\?\C:\..." or "\\?\UNC\server\...",
// which the system takes literally: no "." or ".." steps, no forward slashes, no relative names.
#pragma once

#include <string>

namespace orv {

// Paths at least this long go to the file functions in the extended form. Below 260 because
// folders must leave room for an 8.3 name (CreateDirectoryW stops at 248).
inline constexpr std::size_t kExtendedPathFrom = 248;

// The extended form of an absolute path (drive or UNC), with forward slashes made backslashes.
// A path already in the extended or device form, or one that is not absolute, comes back as is.
//   C:\a\b.csv         -> \\?\C:\a\b.csv
//   \\server\share\b   -> \\?\UNC\server\share\b
std::wstring ExtendedLengthPath(std::wstring fullPath);

// The native (NT) name of an absolute path, for the calls that take one, such as renaming an
// open file by its handle; empty when the path is not absolute.
//   C:\a\b.csv             -> \??\C:\a\b.csv
//   \\server\share\b       -> \??\UNC\server\share\b
//   \\?\C:\a\b.csv         -> \??\C:\a\b.csv
std::wstring NativePathName(const std::wstring& fullPath);

}  // namespace orv

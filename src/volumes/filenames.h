// BASIC file names: [VOLUME] ":" NAME, or NAME alone, and their resolution
// to host paths inside the volume's folder.
//
// VOLUME is what stands before the first colon: 1 to 15 letters and digits,
// without regard to case; an empty or missing volume part means the default
// volume. NAME is split at its last full stop into the base name and the
// extension. Every statement and function that touches a file resolves its
// names here and reports the error codes unchanged:
//   22 "?Invalid file name", 23 "?Invalid volume",
//   27 "?Volume's mapped folder no longer exists", 55 "?Volume does not exist".
//
// On the Linux host:
// - A path is the folder, "/", the base name as written, and the extension
//   part. A name ending in a full stop (an explicit "no extension") opens
//   the name without it, as DOS-style names do.
// - BASIC names do not depend on case, Linux names do: a single name whose
//   file does not exist as written, while one in the folder matches it
//   without regard to case, resolves to that file (the first in byte order
//   when several do). A new file is created with the name as written.
//   Patterns match without regard to case (platform::MatchesPattern).
// - No name leaves its volume's folder: "/" and "\" are forbidden, and a
//   name that would come out as "." or ".." (".." and "..." by the rule of
//   the trailing full stop) is "?Invalid file name". A file name longer
//   than the host allows in one folder entry (255 bytes) is refused too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "volumes/volumes.h"

namespace torvic {

// The default extensions the callers pass.
inline constexpr std::string_view kProgramExtension = "tvc";
inline constexpr std::string_view kDataExtension = "dat";

// The longest host path the names may make (characters before the end).
inline constexpr size_t kMaxHostPath = 259;
// The longest base name or extension.
inline constexpr size_t kMaxNamePart = 256;

struct ResolvedName {
  std::string path;       // the host path (a pattern may hold * and ?)
  std::string volume;     // the volume's name, upper case
  std::string file;       // the last part of `path`: the file's name in its folder
  bool readOnly = false;  // the volume may not be written
};

// A single file name; `defaultExtension` is added when the name has none
// (an empty one adds nothing). 0 or an error code.
int32_t ResolveFileName(VolumeTable& table, std::string_view name,
                        std::string_view defaultExtension, ResolvedName& out);
// A file pattern: as ResolveFileName with * and ? allowed, and an empty
// NAME meaning every file ("*.*") of the volume.
int32_t ResolveFilePattern(VolumeTable& table, std::string_view name,
                           std::string_view defaultExtension, ResolvedName& out);
// The syntax checks alone (no volume lookup, no folder check); only the
// upper-case forms of the reserved device names fail here.
bool IsValidFileName(std::string_view name);
// The volume part when it is 1 to 15 letters or digits, or the default
// volume's name when there is none; false for a malformed volume part (or
// no default volume).
bool VolumeOfName(VolumeTable& table, std::string_view name, std::string& volume);
// Can the file be read? 0, or "?Access denied" (also for a folder),
// "?File not found", "?Invalid file name" (a path the host cannot take),
// "?I/O error".
int32_t CheckReadAccess(const std::string& hostPath);

}  // namespace torvic

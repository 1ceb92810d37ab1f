// The file-system statements on volumes: COPY, MOVE, RENAME, KILL, ATTRIB,
// BACKUP, VOLINI and the catalogue listing (CATALOG, CAT, FILES, DIR).
//
// They share one pattern: resolve the names (filenames.h), check the
// volumes, show the secure-mode warning to a running program, then work
// file by file with optional progress lines and questions, and close with
// a count line. Everything they need from the console and the interpreter
// comes through FileCommandConsole, so the operations here know neither
// the screen nor the run loop (engine/file_system_statements.cpp supplies
// them).
//
// Plain files only: every pattern passes over folders, sockets, pipes and
// devices; a symbolic link counts as the file it leads to. A pattern that
// matches no file is "?File not found" (the catalogue says " No file(s)
// found" instead, and BACKUP and VOLINI of an empty volume succeed).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "volumes/volumes.h"

namespace torvic {

// What a statement asks of the console and the interpreter.
class FileCommandConsole {
 public:
  virtual ~FileCommandConsole() = default;
  virtual void Write(std::string_view text) = 0;
  // Ends the row when the cursor is not at its start.
  virtual void EndRow() = 0;
  // A new row whatever the column.
  virtual void NewRow() = 0;
  virtual int32_t Column() = 0;
  // Blanks up to `column` (the wide catalogue).
  virtual void PadToColumn(int32_t column) = 0;
  // A yes/no question on the console; true for yes.
  virtual bool Ask(std::string_view question) = 0;
  // The secure-mode warning (only for a running program, in secure mode):
  // true to go on. Declining may also stop the program.
  virtual bool Proceed(std::string_view warning) = 0;
  // Lets pending events run between files; false when a stop was
  // requested (Break), which ends the statement.
  virtual bool Turn() = 0;
  // The page pause of a paged listing; false when it ended the listing.
  virtual bool PageBreak() = 0;
};

// The switches of the settings memory, already narrowed to the mode: the
// questions, progress lines and count lines belong to immediate mode only.
struct FileCommandSwitches {
  bool confirm = false;
  bool progress = false;
  bool countLine = false;
  bool recycle = false;  // KILL moves files to the desktop's trash
};

enum class TransferKind { Copy, Move, Rename };

// COPY, MOVE, RENAME source TO destination (default extension "tvc").
int32_t TransferFiles(VolumeTable& table, TransferKind kind, std::string_view source,
                      std::string_view destination, const FileCommandSwitches& sw,
                      FileCommandConsole& console);
// KILL name, DELETE name.
int32_t KillFiles(VolumeTable& table, std::string_view name, const FileCommandSwitches& sw,
                  FileCommandConsole& console);
// ATTRIB name [, ON | OFF]: `setting` 0 lists, 1 sets read-only, 2 clears it.
int32_t AttribFiles(VolumeTable& table, std::string_view name, int setting,
                    const FileCommandSwitches& sw, FileCommandConsole& console);
// BACKUP source TO destination: whole volumes.
int32_t BackupVolume(VolumeTable& table, std::string_view source, std::string_view destination,
                     const FileCommandSwitches& sw, FileCommandConsole& console);
// VOLINI volume: every plain file of the volume deleted.
int32_t InitializeVolume(VolumeTable& table, std::string_view volume, const FileCommandSwitches& sw,
                         FileCommandConsole& console);

struct CatalogOptions {
  bool sorted = false;
  bool paged = false;
  bool wide = false;
};
// The catalogue of a pattern (none: every file of the default volume).
int32_t ListCatalog(VolumeTable& table, std::optional<std::string_view> pattern,
                    const CatalogOptions& options, FileCommandConsole& console);

// --- pieces the statements share (tested on their own) -------------------------
// The name a wildcard pattern makes of a source name: base and extension
// are substituted separately ("*" takes the rest of the source part, "?"
// its next character, any other character is copied and passes over one
// of the source's).
std::string SubstituteWildcards(std::string_view pattern, std::string_view source);
// 1234567 -> "1,234,567".
std::string WithThousands(uint64_t n);
// One row of the normal catalogue layout: the DOS-style short name, the
// size, the last write as month/day/year and a 12-hour time, the long name.
std::string CatalogRow(const platform::FileInfo& file);

}  // namespace torvic

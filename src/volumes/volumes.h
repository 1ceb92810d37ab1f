// The volume table: the named storage areas of the BASIC system and the host
// folders they map to.
//
// BASIC programs never see host paths. Every file name is written with a
// volume (filenames.h), and this table says where the volume lives, whether
// it may be written and which volume is the default (the current volume of
// file names without one, of the volume prompts and of the status bar).
//
// The table is kept per user in the settings store under "Volumes", one
// sub-key per volume holding "Folder" (string) and "Attributes" (number:
// bit 0 default, bit 1 read-only). It is read once, on first use, so a
// batch run that touches no file never opens the store. The Volumes dialog
// saves each change at once (volume_dialogs.h); CV, SET VOLUME and WORK
// change the default for the run only, and session volumes (torvic
// --mount) live for the run only.
//
// Folders are compared exactly (Linux names are case-sensitive); volume
// names are compared without regard to case and kept in upper case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace torvic {

struct Volume {
  std::string name;    // 1..15 letters and digits, upper case, unique
  std::string folder;  // full host path, no trailing "/" (but the root "/")
  bool isDefault = false;
  bool readOnly = false;
  // Mounted for this run only (torvic --mount): never written to the
  // settings store, unless the user edits it in the Volumes dialog.
  bool session = false;
};

inline constexpr size_t kMaxVolumeName = 15;
// 1 to 15 letters and digits.
bool IsVolumeName(std::string_view name);
std::string UpperVolumeName(std::string_view name);

// The host facts the table needs about folders. The defaults ask the host
// (platform/file_system.h); tests replace them.
class VolumeFolders {
 public:
  virtual ~VolumeFolders() = default;
  virtual bool Exists(const std::string& folder);
  // "Cannot be written": the host denies write access.
  virtual bool Writable(const std::string& folder);
  // The folder of the default table's one volume, created if need be: the
  // subfolder TORVIC of the user's documents folder; only when that cannot
  // be made, the folder of the executable. Empty when neither exists.
  virtual std::string DefaultTableFolder();
};

class VolumeTable {
 public:
  static constexpr std::string_view kStoreKey = "Volumes";
  static constexpr uint32_t kDefaultBit = 1, kReadOnlyBit = 2;

  VolumeTable() = default;
  VolumeTable(const VolumeTable&) = delete;
  VolumeTable& operator=(const VolumeTable&) = delete;

  // Where the table comes from; `folders` null for the host's own answers.
  // It is loaded (LoadVolumes) on first use; a table never attached holds
  // its session volumes only.
  void Attach(platform::SettingsStore& store, VolumeFolders* folders = nullptr);
  bool Attached() const { return store_ != nullptr; }
  // A volume for this run only, replacing a stored one of the same name;
  // the first one added becomes the default of the run. `folder` must be a
  // full path. Kept until the table loads when it has not yet.
  void AddSessionVolume(std::string_view name, const std::string& folder, bool readOnly);

  // Reads the stored table (every step of the loading algorithm), then
  // adds the session volumes. False when the "Volumes" key can be neither
  // opened nor created; the table then holds the default table all the
  // same. Called by the first use; the window calls it at start.
  bool LoadVolumes();
  bool Loaded() const { return loaded_; }

  // The volumes in name order.
  const std::vector<Volume>& Volumes() {
    Ready();
    return volumes_;
  }
  size_t Count() { return Volumes().size(); }
  // Case-insensitive lookup; null when no volume has that name.
  Volume* FindVolume(std::string_view name);
  // The first volume with the default flag; null only in an empty table.
  Volume* DefaultVolume();
  // The default volume's name, "" in an empty table.
  std::string DefaultName();
  // CV, VOLUME and SET VOLUME: the default for the rest of the run only.
  // "?Invalid volume" for a malformed name, "?Volume does not exist".
  int32_t SetDefaultForSession(std::string_view name);
  // FolderExists of the host: true unless the host reports it missing.
  bool FolderExists(const std::string& folder);
  VolumeFolders* Folders() { return folders_; }

  // The work volume (WORK, PWORK): a remembered name, the default's at load.
  const std::string& WorkVolume() {
    Ready();
    return work_;
  }
  void SetWorkVolume(std::string_view name) { work_ = std::string(name); }

  // --- the settings store -------------------------------------------------------
  // Writes one volume's Folder and Attributes (a session volume: nothing).
  // Sub-key names are matched without regard to case, as volume names are.
  bool SaveVolume(const Volume& v);
  bool DeleteVolumeKey(std::string_view name);
  // Clears the stored default bit of every volume but `name`, so that the
  // default chosen in the dialog is the one found at the next start.
  void ClearStoredDefaults(std::string_view name);

  // --- changes (the dialog's operations use these) ------------------------------
  // Inserts in name order; the new volume's index.
  size_t Insert(Volume v);
  void Remove(size_t index);
  // Moves the record at `index` to its place in name order after a rename;
  // its new index.
  size_t Reorder(size_t index);
  Volume& At(size_t index) { return volumes_[index]; }
  // Gives `index` the default flag and clears it on every other volume.
  void MakeDefault(size_t index);
  // Volumes that map the same folder agree on the read-only flag once any
  // of them is read-only.
  void PropagateReadOnly();

 private:
  void Ready() {
    if (!loaded_) LoadVolumes();
  }
  void MakeDefaultTable();
  void FixDefault();
  void ApplySessionVolumes();
  // The stored sub-key that names the volume (any case), or "".
  std::string StoredKey(std::string_view name);

  platform::SettingsStore* store_ = nullptr;
  VolumeFolders* folders_ = nullptr;
  bool loaded_ = false;
  std::vector<Volume> volumes_;
  std::vector<Volume> pendingSession_;
  std::string work_;
};

}  // namespace torvic

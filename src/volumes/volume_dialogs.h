// The Volumes dialog and the volume dialog as models: every operation of
// their buttons, their checks and questions, and the changes they save. A
// window only draws them: it shows the rows and fields, passes the user's
// edits in and calls the operation of each button. Messages and questions
// go through the host's message boxes (caption "TORVIC"), a missing
// selection beeps.
//
// Each change is saved to the settings store at once, volume by volume;
// the in-memory table changes even when a write fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "volumes/volumes.h"

namespace torvic {

// The volume dialog, titled "Add" or "Properties": fields "&Volume:" and
// "&Folder" (with "&Browse..."), check boxes "&Default" and "&Read Only".
class VolumeEditor {
 public:
  static constexpr size_t kMaxFolder = 259;
  static constexpr std::string_view kBrowseTitle = "Select volume folder";
  enum class Field { None, Name, Folder };

  // Add: empty fields.
  VolumeEditor(VolumeTable& table, platform::Dialogs& dialogs);
  // Properties of the volume at `index`: the fields filled from it.
  VolumeEditor(VolumeTable& table, platform::Dialogs& dialogs, size_t index);

  std::string_view Title() const { return editing_ ? "Properties" : "Add"; }
  // The edits: the name field keeps upper case and 15 characters, the
  // folder field 259 characters.
  void SetName(std::string_view name);
  void SetFolder(std::string_view folder);
  void SetDefault(bool on) {
    if (DefaultBoxEnabled()) isDefault_ = on;
  }
  void SetReadOnly(bool on) { readOnly_ = on; }
  const std::string& Name() const { return name_; }
  const std::string& Folder() const { return folder_; }
  bool IsDefault() const { return isDefault_; }
  bool ReadOnly() const { return readOnly_; }

  bool OkEnabled() const { return !name_.empty() && !folder_.empty(); }
  // The Default box is disabled while the volume shown is the default.
  bool DefaultBoxEnabled() const;

  // OK: the six checks in order, stopping at the first failure with its
  // message or question. True when the dialog may close; then Folder() is
  // the full path. Otherwise Focus() names the field to select.
  bool Accept();
  Field Focus() const { return focus_; }

  // For the Volumes dialog's commit.
  std::optional<size_t> Editing() const { return editing_; }
  // The read-only box was changed on an existing volume (and accepted).
  bool ReadOnlyChanged() const;

 private:
  bool Fail(Field field, std::string_view message);

  VolumeTable& table_;
  platform::Dialogs& dialogs_;
  std::optional<size_t> editing_;
  std::string name_, folder_;
  bool isDefault_ = false, readOnly_ = false;
  bool wasDefault_ = false, wasReadOnly_ = false;
  std::string oldFolder_;
  Field focus_ = Field::None;
};

// The Volumes dialog: the list with the columns "Volume" and "Folder" and
// the buttons "&Add...", "&Remove", "&Make Default", "&Properties",
// "Close" and "&Help".
class VolumesDialog {
 public:
  // The state icon of a row: 1 plain, 2 default, 3 read-only, 4 default and
  // read-only, 5 unmapped, 6 default and unmapped.
  struct Row {
    std::string name, folder;
    int32_t icon = 1;
  };

  VolumesDialog(VolumeTable& table, const platform::Host& host);

  // Opening: the column widths from the settings store, else the given
  // defaults (15 average characters of the dialog font, the rest of the
  // list); one row per volume; the first row selected.
  void Open(int32_t defaultVolumeWidth, int32_t defaultFolderWidth);
  // Closing: the column widths go to the settings store.
  void Close();
  int32_t VolumeColumnWidth() const { return volumeWidth_; }
  int32_t FolderColumnWidth() const { return folderWidth_; }
  void SetColumnWidths(int32_t volume, int32_t folder) {
    volumeWidth_ = volume, folderWidth_ = folder;
  }

  const std::vector<Row>& Rows() const { return rows_; }
  int32_t Selected() const { return selected_; }  // -1: none
  void Select(int32_t row) { selected_ = row >= 0 && row < RowCount() ? row : -1; }

  // "&Add...": the empty volume dialog; after its Accept, CommitAdd.
  VolumeEditor AddEditor();
  void CommitAdd(const VolumeEditor& editor);
  // "&Remove", "&Make Default".
  void Remove();
  void MakeDefault();
  // "&Properties": the volume dialog for the selected row (none: a beep);
  // after its Accept, CommitProperties.
  std::optional<VolumeEditor> PropertiesEditor();
  void CommitProperties(const VolumeEditor& editor);

 private:
  int32_t RowCount() const { return static_cast<int32_t>(rows_.size()); }
  void Refresh();
  void SelectName(std::string_view name);
  bool HaveSelection();
  // Saves every volume whose stored fields differ from `before`, and
  // `always` whatever it holds.
  void SaveChanged(const std::vector<Volume>& before, std::string_view always);

  VolumeTable& table_;
  platform::Host host_;
  std::vector<Row> rows_;
  int32_t selected_ = -1;
  int32_t volumeWidth_ = 0, folderWidth_ = 0;
};

// The row's state icon for a volume (VolumesDialog::Row::icon).
int32_t VolumeIcon(const Volume& v, bool folderExists);

}  // namespace torvic

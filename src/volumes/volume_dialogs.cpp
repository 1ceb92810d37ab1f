#include "volumes/volume_dialogs.h"

#include <algorithm>
#include <cstdio>

#include "platform/file_system.h"

namespace torvic {

namespace {

constexpr std::string_view kCaption = "TORVIC";
constexpr std::string_view kSettingsKey = "Settings";

bool IsLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool SameStoredFields(const Volume& a, const Volume& b) {
  return a.name == b.name && a.folder == b.folder && a.isDefault == b.isDefault &&
         a.readOnly == b.readOnly && a.session == b.session;
}

}  // namespace

int32_t VolumeIcon(const Volume& v, bool folderExists) {
  const int32_t isDefault = v.isDefault ? 1 : 0, readOnly = v.readOnly ? 1 : 0;
  return 1 + (!folderExists ? 4 + isDefault : isDefault + 2 * readOnly);
}

// --- the volume dialog -------------------------------------------------------------

VolumeEditor::VolumeEditor(VolumeTable& table, platform::Dialogs& dialogs)
    : table_(table), dialogs_(dialogs) {}

VolumeEditor::VolumeEditor(VolumeTable& table, platform::Dialogs& dialogs, size_t index)
    : table_(table), dialogs_(dialogs), editing_(index) {
  const Volume& v = table_.At(index);
  name_ = v.name;
  folder_ = v.folder;
  isDefault_ = wasDefault_ = v.isDefault;
  readOnly_ = wasReadOnly_ = v.readOnly;
  oldFolder_ = v.folder;
}

void VolumeEditor::SetName(std::string_view name) {
  name_ = UpperVolumeName(name.substr(0, kMaxVolumeName));
}

void VolumeEditor::SetFolder(std::string_view folder) {
  folder_ = std::string(folder.substr(0, kMaxFolder));
}

bool VolumeEditor::DefaultBoxEnabled() const { return !(editing_ && wasDefault_); }

bool VolumeEditor::ReadOnlyChanged() const { return editing_ && readOnly_ != wasReadOnly_; }

bool VolumeEditor::Fail(Field field, std::string_view message) {
  focus_ = field;
  if (!message.empty())
    dialogs_.MessageBox(message, kCaption, platform::Buttons::Ok, platform::Icon::None);
  return false;
}

bool VolumeEditor::Accept() {
  focus_ = Field::None;
  if (!OkEnabled()) return false;
  // 1, 2: the name.
  if (!std::all_of(name_.begin(), name_.end(), IsLetterOrDigit))
    return Fail(Field::Name, "Invalid volume specified!");
  const std::vector<Volume>& volumes = table_.Volumes();
  for (size_t i = 0; i < volumes.size(); ++i)
    if (volumes[i].name == name_ && (!editing_ || *editing_ != i))
      return Fail(Field::Name, "Volume already exists!");
  // 3, 4: the folder.
  const std::optional<std::string> full = platform::FullPath(folder_);
  if (!full) return Fail(Field::Folder, "Invalid folder specified!");
  if (!table_.FolderExists(*full)) return Fail(Field::Folder, "Specified folder does not exist!");
  // 5, 6: the questions, for an existing volume only.
  if (editing_) {
    const auto other = [&](size_t i) { return i != *editing_ && volumes[i].folder == *full; };
    if (*full != oldFolder_) {
      for (size_t i = 0; i < volumes.size(); ++i) {
        if (!other(i)) continue;
        if (dialogs_.MessageBox("Specified folder is mapped to another volume.  Continue?",
                                kCaption, platform::Buttons::YesNo,
                                platform::Icon::Question) != platform::Answer::Yes)
          return Fail(Field::Folder, {});
        break;
      }
    }
    if (readOnly_ != wasReadOnly_) {
      std::string names;
      for (size_t i = 0; i < volumes.size(); ++i) {
        if (!other(i) || volumes[i].readOnly != wasReadOnly_) continue;
        if (!names.empty()) names += '\n';
        names += volumes[i].name;
      }
      if (!names.empty()) {
        const std::string text = "The read only attribute of the following volumes will also be " +
                                 std::string(readOnly_ ? "set" : "reset") + ":\n\n" + names +
                                 "\nContinue?";
        if (dialogs_.MessageBox(text, kCaption, platform::Buttons::YesNo,
                                platform::Icon::Question) != platform::Answer::Yes)
          return Fail(Field::None, {});
      }
    }
  }
  folder_ = *full;
  return true;
}

// --- the Volumes dialog ------------------------------------------------------------

VolumesDialog::VolumesDialog(VolumeTable& table, const platform::Host& host)
    : table_(table), host_(host) {}

void VolumesDialog::Open(int32_t defaultVolumeWidth, int32_t defaultFolderWidth) {
  const auto stored = [&](std::string_view name, int32_t fallback) {
    const std::optional<uint32_t> v = host_.settings.GetNumber(kSettingsKey, name);
    return v ? static_cast<int32_t>(*v) : fallback;
  };
  volumeWidth_ = stored("VolumeColumnWidth", defaultVolumeWidth);
  folderWidth_ = stored("FolderColumnWidth", defaultFolderWidth);
  Refresh();
  selected_ = rows_.empty() ? -1 : 0;
}

void VolumesDialog::Close() {
  host_.settings.SetNumber(kSettingsKey, "VolumeColumnWidth", static_cast<uint32_t>(volumeWidth_));
  host_.settings.SetNumber(kSettingsKey, "FolderColumnWidth", static_cast<uint32_t>(folderWidth_));
}

void VolumesDialog::Refresh() {
  rows_.clear();
  for (const Volume& v : table_.Volumes())
    rows_.push_back(Row{v.name, v.folder, VolumeIcon(v, table_.FolderExists(v.folder))});
  if (selected_ >= RowCount()) selected_ = RowCount() - 1;
}

void VolumesDialog::SelectName(std::string_view name) {
  Refresh();
  for (int32_t i = 0; i < RowCount(); ++i)
    if (rows_[static_cast<size_t>(i)].name == name) selected_ = i;
}

bool VolumesDialog::HaveSelection() {
  if (selected_ >= 0 && selected_ < RowCount()) return true;
  host_.sound.Beep();
  return false;
}

void VolumesDialog::SaveChanged(const std::vector<Volume>& before, std::string_view always) {
  for (const Volume& v : table_.Volumes()) {
    const auto old = std::find_if(before.begin(), before.end(),
                                  [&](const Volume& b) { return b.name == v.name; });
    if (v.name == always || old == before.end() || !SameStoredFields(*old, v)) table_.SaveVolume(v);
  }
}

VolumeEditor VolumesDialog::AddEditor() { return VolumeEditor(table_, host_.dialogs); }

void VolumesDialog::CommitAdd(const VolumeEditor& editor) {
  const std::vector<Volume> before = table_.Volumes();
  Volume v;
  v.name = editor.Name();
  v.folder = editor.Folder();
  v.isDefault = editor.IsDefault();
  v.readOnly = editor.ReadOnly();
  const size_t at = table_.Insert(v);
  if (v.isDefault) {
    table_.MakeDefault(at);
    table_.ClearStoredDefaults(v.name);
  }
  table_.PropagateReadOnly();
  SaveChanged(before, v.name);
  SelectName(v.name);
}

void VolumesDialog::Remove() {
  if (!HaveSelection()) return;
  const size_t index = static_cast<size_t>(selected_);
  const Volume v = table_.Volumes()[index];
  if (v.isDefault) {
    host_.dialogs.MessageBox("Cannot remove the default volume!", kCaption, platform::Buttons::Ok,
                             platform::Icon::Exclamation);
    return;
  }
  const std::string question = "Do you want to remove volume " + v.name + "?";
  if (host_.dialogs.MessageBox(question, kCaption, platform::Buttons::YesNo,
                               platform::Icon::Question) != platform::Answer::Yes)
    return;
  table_.Remove(index);
  // A session volume was never stored; a stored one of its name, if it
  // replaced one for the run, stays for the next start.
  if (!v.session) table_.DeleteVolumeKey(v.name);
  Refresh();
  selected_ = std::min(static_cast<int32_t>(index), RowCount() - 1);
}

void VolumesDialog::MakeDefault() {
  if (!HaveSelection()) return;
  const size_t index = static_cast<size_t>(selected_);
  const Volume& v = table_.Volumes()[index];
  if (v.isDefault) return;
  if (!table_.FolderExists(v.folder)) {
    host_.dialogs.MessageBox(
        "Cannot make this volume the default because the mapped folder does not exist.", kCaption,
        platform::Buttons::Ok, platform::Icon::Exclamation);
    return;
  }
  const std::vector<Volume> before = table_.Volumes();
  const std::string name = v.name;
  table_.MakeDefault(index);
  table_.ClearStoredDefaults(name);
  SaveChanged(before, name);
  Refresh();
}

std::optional<VolumeEditor> VolumesDialog::PropertiesEditor() {
  if (!HaveSelection()) return std::nullopt;
  return VolumeEditor(table_, host_.dialogs, static_cast<size_t>(selected_));
}

void VolumesDialog::CommitProperties(const VolumeEditor& editor) {
  if (!editor.Editing() || *editor.Editing() >= table_.Count()) return;
  std::vector<Volume> before = table_.Volumes();
  size_t index = *editor.Editing();
  Volume& v = table_.At(index);
  const std::string oldName = v.name;
  if (editor.Name() != oldName) {
    if (!v.session) table_.DeleteVolumeKey(oldName);
    // Saved afresh under the new name.
    before.erase(before.begin() + static_cast<std::ptrdiff_t>(index));
  }
  v.name = editor.Name();
  v.folder = editor.Folder();
  v.readOnly = editor.ReadOnly();
  // Edited by the user: from now on a stored volume like the others.
  v.session = false;
  const bool newDefault = editor.IsDefault() && !v.isDefault;
  v.isDefault = editor.IsDefault();
  const std::string name = v.name;
  const std::string folder = v.folder;
  const bool readOnly = v.readOnly;
  index = table_.Reorder(index);
  if (newDefault) {
    table_.MakeDefault(index);
    table_.ClearStoredDefaults(name);
  }
  // A confirmed change of the read-only box carries over to the volumes of
  // the same folder; otherwise they agree once any of them is read-only.
  if (editor.ReadOnlyChanged())
    for (size_t i = 0; i < table_.Count(); ++i)
      if (table_.At(i).folder == folder) table_.At(i).readOnly = readOnly;
  table_.PropagateReadOnly();
  SaveChanged(before, name);
  SelectName(name);
}

}  // namespace torvic

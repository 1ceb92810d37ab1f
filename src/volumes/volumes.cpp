#include "volumes/volumes.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/errors.h"
#include "platform/file_system.h"

namespace torvic {

namespace {

bool IsVolumeCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string KeyOf(std::string_view subKey) {
  return std::string(VolumeTable::kStoreKey) + "/" + std::string(subKey);
}

// The host's answers, for tables attached without folders of their own.
VolumeFolders hostFolders;

}  // namespace

bool IsVolumeName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxVolumeName &&
         std::all_of(name.begin(), name.end(), IsVolumeCharacter);
}

std::string UpperVolumeName(std::string_view name) {
  std::string s(name);
  for (char& c : s) c = platform::UpperAscii(c);
  return s;
}

// --- VolumeFolders -------------------------------------------------------------

bool VolumeFolders::Exists(const std::string& folder) { return platform::FolderExists(folder); }

bool VolumeFolders::Writable(const std::string& folder) { return platform::FolderWritable(folder); }

std::string VolumeFolders::DefaultTableFolder() {
  const std::string documents = platform::DocumentsFolder(std::getenv);
  if (!documents.empty()) {
    const std::string folder = documents + "/TORVIC";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (platform::FolderExists(folder)) return folder;
  }
  return platform::ExecutableFolder();
}

// --- loading -------------------------------------------------------------------

void VolumeTable::Attach(platform::SettingsStore& store, VolumeFolders* folders) {
  store_ = &store;
  folders_ = folders ? folders : &hostFolders;
}

void VolumeTable::AddSessionVolume(std::string_view name, const std::string& folder,
                                   bool readOnly) {
  Volume v;
  v.name = UpperVolumeName(name);
  v.folder = folder;
  v.readOnly = readOnly;
  v.session = true;
  pendingSession_.push_back(v);
  if (loaded_) {
    ApplySessionVolumes();
    PropagateReadOnly();
  }
}

bool VolumeTable::LoadVolumes() {
  loaded_ = true;
  volumes_.clear();
  if (!folders_) folders_ = &hostFolders;
  bool ok = true;
  if (store_) {
    // A store without the key is a first start: the key is made and the
    // default table stands until the dialog saves it.
    bool fresh = false;
    if (!store_->KeyExists(kStoreKey)) {
      fresh = true;
      ok = store_->CreateKey(kStoreKey);
    }
    if (!fresh) {
      std::vector<std::string> invalid;
      for (const std::string& key : store_->EnumSubKeys(kStoreKey)) {
        if (!IsVolumeName(key)) {
          invalid.push_back(key);
          continue;
        }
        const std::optional<std::string> stored = store_->GetString(KeyOf(key), "Folder");
        const std::optional<uint32_t> attributes = store_->GetNumber(KeyOf(key), "Attributes");
        if (!stored || !attributes) continue;
        const std::optional<std::string> folder = platform::FullPath(*stored);
        if (!folder) continue;
        Volume v;
        v.name = UpperVolumeName(key);
        // The store may hold one name in two spellings; the first one read
        // counts, as a registry holding only one of them would.
        if (FindVolume(v.name)) continue;
        v.folder = *folder;
        v.isDefault = (*attributes & kDefaultBit) != 0;
        v.readOnly = (*attributes & kReadOnlyBit) != 0 ||
                     (folders_->Exists(v.folder) && !folders_->Writable(v.folder));
        Insert(std::move(v));
      }
      for (const std::string& key : invalid) store_->DeleteKey(KeyOf(key));
    }
    if (volumes_.empty()) MakeDefaultTable();
    else FixDefault();
  }
  ApplySessionVolumes();
  PropagateReadOnly();
  if (const Volume* d = DefaultVolume()) work_ = d->name;
  return ok;
}

void VolumeTable::MakeDefaultTable() {
  Volume v;
  v.name = "TORVIC";
  v.folder = folders_->DefaultTableFolder();
  if (v.folder.empty()) v.folder = "/";
  v.isDefault = true;
  v.readOnly = !folders_->Writable(v.folder);
  Insert(std::move(v));
}

void VolumeTable::FixDefault() {
  auto first =
      std::find_if(volumes_.begin(), volumes_.end(), [](const Volume& v) { return v.isDefault; });
  if (first == volumes_.end()) {
    first = std::find_if(volumes_.begin(), volumes_.end(),
                         [](const Volume& v) { return v.name == "TORVIC"; });
    if (first == volumes_.end()) first = volumes_.begin();
  }
  MakeDefault(static_cast<size_t>(first - volumes_.begin()));
}

void VolumeTable::ApplySessionVolumes() {
  if (pendingSession_.empty()) return;
  // The first volume mounted for the run is its default.
  bool first =
      !std::any_of(volumes_.begin(), volumes_.end(), [](const Volume& v) { return v.session; });
  for (Volume& v : pendingSession_) {
    if (folders_ && folders_->Exists(v.folder) && !folders_->Writable(v.folder)) v.readOnly = true;
    for (size_t i = 0; i < volumes_.size(); ++i)
      if (volumes_[i].name == v.name) {
        v.isDefault = volumes_[i].isDefault;
        Remove(i);
        break;
      }
    const size_t at = Insert(std::move(v));
    if (first || !DefaultVolume()) MakeDefault(at);
    first = false;
  }
  pendingSession_.clear();
}

// --- lookups -------------------------------------------------------------------

Volume* VolumeTable::FindVolume(std::string_view name) {
  Ready();
  for (Volume& v : volumes_)
    if (platform::EqualIgnoringCase(v.name, name)) return &v;
  return nullptr;
}

Volume* VolumeTable::DefaultVolume() {
  Ready();
  for (Volume& v : volumes_)
    if (v.isDefault) return &v;
  return nullptr;
}

std::string VolumeTable::DefaultName() {
  const Volume* v = DefaultVolume();
  return v ? v->name : std::string();
}

int32_t VolumeTable::SetDefaultForSession(std::string_view name) {
  if (!IsVolumeName(name)) return kErrInvalidVolume;
  Ready();
  Volume* v = FindVolume(name);
  if (!v) return kErrVolumeDoesNotExist;
  MakeDefault(static_cast<size_t>(v - volumes_.data()));
  return kOk;
}

bool VolumeTable::FolderExists(const std::string& folder) {
  return (folders_ ? folders_ : &hostFolders)->Exists(folder);
}

// --- the settings store ------------------------------------------------------------

std::string VolumeTable::StoredKey(std::string_view name) {
  for (const std::string& key : store_->EnumSubKeys(kStoreKey))
    if (platform::EqualIgnoringCase(key, name)) return key;
  return {};
}

bool VolumeTable::SaveVolume(const Volume& v) {
  if (!store_) return false;
  if (v.session) return true;
  std::string key = StoredKey(v.name);
  if (key.empty()) key = v.name;
  const uint32_t attributes = (v.isDefault ? kDefaultBit : 0) | (v.readOnly ? kReadOnlyBit : 0);
  const bool wroteFolder = store_->SetString(KeyOf(key), "Folder", v.folder);
  const bool wroteAttributes = store_->SetNumber(KeyOf(key), "Attributes", attributes);
  return wroteFolder && wroteAttributes;
}

bool VolumeTable::DeleteVolumeKey(std::string_view name) {
  if (!store_) return false;
  bool ok = true;
  for (const std::string& key : store_->EnumSubKeys(kStoreKey))
    if (platform::EqualIgnoringCase(key, name)) ok = store_->DeleteKey(KeyOf(key)) && ok;
  return ok;
}

void VolumeTable::ClearStoredDefaults(std::string_view name) {
  if (!store_) return;
  for (const std::string& key : store_->EnumSubKeys(kStoreKey)) {
    if (platform::EqualIgnoringCase(key, name)) continue;
    const std::optional<uint32_t> attributes = store_->GetNumber(KeyOf(key), "Attributes");
    if (attributes && (*attributes & kDefaultBit))
      store_->SetNumber(KeyOf(key), "Attributes", *attributes & ~kDefaultBit);
  }
}

// --- changes -----------------------------------------------------------------------

size_t VolumeTable::Insert(Volume v) {
  // Before the first record whose name compares greater (byte order).
  auto at = std::find_if(volumes_.begin(), volumes_.end(),
                         [&](const Volume& o) { return o.name > v.name; });
  const auto inserted = volumes_.insert(at, std::move(v));
  return static_cast<size_t>(inserted - volumes_.begin());
}

void VolumeTable::Remove(size_t index) {
  volumes_.erase(volumes_.begin() + static_cast<std::ptrdiff_t>(index));
}

size_t VolumeTable::Reorder(size_t index) {
  Volume v = std::move(volumes_[index]);
  Remove(index);
  return Insert(std::move(v));
}

void VolumeTable::MakeDefault(size_t index) {
  for (size_t i = 0; i < volumes_.size(); ++i) volumes_[i].isDefault = i == index;
}

void VolumeTable::PropagateReadOnly() {
  for (Volume& v : volumes_) {
    if (v.readOnly) continue;
    v.readOnly = std::any_of(volumes_.begin(), volumes_.end(),
                             [&](const Volume& o) { return o.readOnly && o.folder == v.folder; });
  }
}

}  // namespace torvic

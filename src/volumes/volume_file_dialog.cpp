#include "volumes/volume_file_dialog.h"

#include <filesystem>

#include "base/errors.h"
#include "platform/file_system.h"
#include "volumes/filenames.h"

namespace torvic {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

VolumeFileDialog::VolumeFileDialog(VolumeTable& table, platform::Dialogs& dialogs,
                                   platform::FileDialogPurpose purpose)
    : table_(table), dialogs_(dialogs), purpose_(purpose) {
  const std::string current = table_.DefaultName();
  for (const Volume& v : table_.Volumes()) {
    if (v.name == current) selected_ = static_cast<int32_t>(volumes_.size());
    volumes_.push_back(v.name);
  }
  if (selected_ < 0 && !volumes_.empty()) selected_ = 0;
}

void VolumeFileDialog::SelectVolume(int32_t index) {
  if (index >= 0 && index < static_cast<int32_t>(volumes_.size())) selected_ = index;
}

std::string_view VolumeFileDialog::DefaultExtension() const {
  switch (type_) {
    case platform::ProgramFileType::Program: return kProgramExtension;
    case platform::ProgramFileType::Text: return "txt";
    case platform::ProgramFileType::All: break;
  }
  return "";
}

std::vector<std::string> VolumeFileDialog::Files() {
  std::vector<std::string> names;
  if (selected_ < 0) return names;
  const Volume* v = table_.FindVolume(volumes_[static_cast<size_t>(selected_)]);
  if (!v) return names;
  std::vector<platform::FileInfo> files;
  const std::string pattern =
      type_ == platform::ProgramFileType::All ? "*.*" : "*." + std::string(DefaultExtension());
  if (platform::ListFiles(v->folder, pattern, files) != 0) return names;
  platform::SortByName(files);
  for (const platform::FileInfo& f : files) names.push_back(f.name);
  return names;
}

bool VolumeFileDialog::Accept() {
  std::string name = name_;
  const size_t colon = name.find(':');
  if (colon != std::string::npos) {
    const std::string volume = name.substr(0, colon);
    if (!volume.empty()) {
      const Volume* v = table_.FindVolume(volume);
      if (!v) {
        dialogs_.MessageBox("Volume " + volume +
                                " does not exist.\nPlease verify the appropriate volume was given.",
                            Title(), Buttons::Ok, Icon::Exclamation);
        return false;
      }
      for (size_t i = 0; i < volumes_.size(); ++i)
        if (volumes_[i] == v->name) selected_ = static_cast<int32_t>(i);
    }
    name = name.substr(colon + 1);
    name_ = name;
  }
  if (name.empty() || selected_ < 0) return false;  // only a volume was chosen
  const std::string& volume = volumes_[static_cast<size_t>(selected_)];
  ResolvedName resolved;
  if (const int32_t error =
          ResolveFileName(table_, volume + ":" + name, DefaultExtension(), resolved)) {
    const char* message = ErrorMessage(error);
    dialogs_.MessageBox(message ? message : "?Invalid file name", Title(), Buttons::Ok,
                        Icon::Exclamation);
    return false;
  }
  std::error_code ec;
  const bool exists = std::filesystem::is_regular_file(resolved.path, ec);
  const std::string shown = resolved.volume + ":" + resolved.file;
  if (!Saving() && !exists) {
    dialogs_.MessageBox(shown + "\nFile not found.\nPlease verify the correct file name was given.",
                        Title(), Buttons::Ok, Icon::Exclamation);
    return false;
  }
  if (Saving() && exists &&
      dialogs_.MessageBox(shown + "\nThis file already exists.\nRelpace existing file?", Title(),
                          Buttons::YesNo, Icon::Exclamation) != Answer::Yes)
    return false;
  chosen_ = {resolved.volume, resolved.file, type_};
  return true;
}

}  // namespace torvic

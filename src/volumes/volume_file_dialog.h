// The volume file dialog as a model: the dialog that LOAD?, SAVE? and the
// save at exit open to choose a program file on a volume. A window draws
// it (a volume selector, the selected volume's files, the name field and
// the file types); a host without a window types the name into it.
//
// Names are BASIC file names: a name typed with a volume part selects that
// volume, and everything else goes through the same name resolution as
// the file statements, so the dialog never hands out a name that SAVE or
// LOAD would refuse. Messages and questions go through the host's message
// boxes, captioned with the dialog's title.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "volumes/volumes.h"

namespace torvic {

class VolumeFileDialog {
 public:
  static constexpr std::string_view kInitialName = "Untitled.tvc";
  static constexpr std::array<std::string_view, 3> kTypeNames = {
      "TORVIC program (*.tvc)", "ASCII file (*.txt)", "All files (*.*)"};

  VolumeFileDialog(VolumeTable& table, platform::Dialogs& dialogs,
                   platform::FileDialogPurpose purpose);

  bool Saving() const { return purpose_ == platform::FileDialogPurpose::Save; }
  std::string_view Title() const { return Saving() ? "Save" : "Open"; }
  std::string_view VolumeLabel() const { return Saving() ? "Save &in:" : "Look &in:"; }
  std::string_view NameLabel() const { return "File &name:"; }
  std::string_view TypeLabel() const { return Saving() ? "Save as &type:" : "Files of &type:"; }
  std::string_view AcceptLabel() const { return Saving() ? "&Save" : "&Open"; }

  // The volumes in name order; the default volume is selected at first.
  const std::vector<std::string>& VolumeNames() const { return volumes_; }
  int32_t SelectedVolume() const { return selected_; }
  void SelectVolume(int32_t index);

  platform::ProgramFileType Type() const { return type_; }
  void SetType(platform::ProgramFileType type) { type_ = type; }
  // The extension the chosen type adds to a name without one ("" for all).
  std::string_view DefaultExtension() const;

  // The files of the selected volume that the type shows, in name order.
  std::vector<std::string> Files();

  const std::string& FileName() const { return name_; }
  void SetFileName(std::string_view name) { name_ = std::string(name); }

  // "&Open" / "&Save": true when the dialog closes with Chosen(). A name
  // with a volume part selects that volume first (an unknown one is
  // refused with a message); an empty name after it only selects it. A bad
  // name is refused with its BASIC error message; Open needs an existing
  // file; Save asks before it replaces one.
  bool Accept();
  const platform::ChosenFile& Chosen() const { return chosen_; }

 private:
  VolumeTable& table_;
  platform::Dialogs& dialogs_;
  platform::FileDialogPurpose purpose_;
  std::vector<std::string> volumes_;
  int32_t selected_ = -1;
  platform::ProgramFileType type_ = platform::ProgramFileType::Program;
  std::string name_{kInitialName};
  platform::ChosenFile chosen_;
};

}  // namespace torvic

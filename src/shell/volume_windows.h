// The Qt dialogs drawn on the volume models (volumes/volume_dialogs.h and
// volumes/volume_file_dialog.h): the Volumes dialog, the volume dialog
// ("Add" / "Properties") and the volume file dialog ("Open" / "Save").
// Every rule, check and message is the model's; these classes only show
// its rows and fields and call its operations from the buttons.
#pragma once

#include <QDialog>
#include <optional>

#include "platform/host.h"
#include "volumes/volume_dialogs.h"
#include "volumes/volume_file_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace torvic::shell {

// The state icon of a volume row (1..6, VolumeIcon), drawn at 16 pixels.
QIcon VolumeStateIcon(int32_t state);

class VolumeEditorWindow final : public QDialog {
  Q_OBJECT

 public:
  VolumeEditorWindow(VolumeEditor& editor, QWidget* parent);

  QLineEdit* NameField() const { return name_; }
  QLineEdit* FolderField() const { return folder_; }
  QCheckBox* DefaultBox() const { return default_; }
  QCheckBox* ReadOnlyBox() const { return readOnly_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* BrowseButton() const { return browse_; }

  void accept() override;

 private:
  void Browse();
  void UpdateOk();

  VolumeEditor& editor_;
  QLineEdit* name_;
  QLineEdit* folder_;
  QCheckBox* default_;
  QCheckBox* readOnly_;
  QPushButton* ok_;
  QPushButton* browse_;
};

class VolumesWindow final : public QDialog {
  Q_OBJECT

 public:
  VolumesWindow(VolumeTable& table, const platform::Host& host, QWidget* parent);

  QTreeWidget* List() const { return list_; }
  QPushButton* Button(const char* text) const;
  const VolumesDialog& Model() const { return model_; }

  void done(int result) override;

 private:
  void Fill();
  void Add();
  void Properties();
  bool RunEditor(VolumeEditor& editor);

  VolumesDialog model_;
  QTreeWidget* list_;
};

class VolumeFileWindow final : public QDialog {
  Q_OBJECT

 public:
  VolumeFileWindow(VolumeFileDialog& model, QWidget* parent);

  QComboBox* Volumes() const { return volumes_; }
  QListWidget* Files() const { return files_; }
  QLineEdit* NameField() const { return name_; }
  QComboBox* Types() const { return types_; }

  void accept() override;

 private:
  void FillFiles();

  VolumeFileDialog& model_;
  QComboBox* volumes_;
  QListWidget* files_;
  QLineEdit* name_;
  QComboBox* types_;
};

}  // namespace torvic::shell

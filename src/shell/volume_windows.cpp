#include "shell/volume_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/help_window.h"

namespace torvic::shell {

namespace {

QString FromLatin1(std::string_view s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
QString FromLocal(const std::string& s) { return QString::fromLocal8Bit(s); }
std::string ToLocal(const QString& s) { return s.toLocal8Bit().toStdString(); }

// The dialogs' help: F1 and the Help buttons open the dialog's topic.
constexpr std::string_view kVolumesTopic = "Volumes dialog";
constexpr std::string_view kFileTopic = "File dialog";

}  // namespace

// The six states: a plain drive, a star for the default, a bar for
// read-only, a cross for a folder that no longer exists.
QIcon VolumeStateIcon(int32_t state) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const bool isDefault = state == 2 || state == 4 || state == 6;
  const bool readOnly = state == 3 || state == 4;
  const bool unmapped = state >= 5;
  p.setPen(QPen(QColor(64, 64, 64), 1));
  p.setBrush(unmapped ? QColor(200, 200, 200) : QColor(150, 180, 210));
  p.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 1.5, 1.5);
  p.setBrush(QColor(40, 160, 40));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QRectF(11, 9, 3, 3));  // the drive's light
  if (isDefault) {
    p.setBrush(QColor(230, 180, 0));
    p.setPen(QPen(QColor(120, 90, 0), 0.8));
    p.drawEllipse(QRectF(0.5, 0.5, 7, 7));
  }
  if (readOnly) {
    p.setPen(QPen(QColor(180, 0, 0), 2));
    p.drawLine(QPointF(4, 14.5), QPointF(12, 14.5));
  }
  if (unmapped) {
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(QPointF(5, 5), QPointF(13, 13));
    p.drawLine(QPointF(13, 5), QPointF(5, 13));
  }
  return QIcon(pixmap);
}

// --- the volume dialog ----------------------------------------------------------

VolumeEditorWindow::VolumeEditorWindow(VolumeEditor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor) {
  setWindowTitle(FromLatin1(editor.Title()));
  name_ = new QLineEdit(FromLatin1(editor.Name()));
  name_->setMaxLength(static_cast<int>(kMaxVolumeName));
  folder_ = new QLineEdit(FromLocal(editor.Folder()));
  folder_->setMaxLength(static_cast<int>(VolumeEditor::kMaxFolder));
  browse_ = new QPushButton("&Browse...");
  default_ = new QCheckBox("&Default");
  default_->setChecked(editor.IsDefault());
  default_->setEnabled(editor.DefaultBoxEnabled());
  readOnly_ = new QCheckBox("&Read Only");
  readOnly_->setChecked(editor.ReadOnly());
  auto* nameLabel = new QLabel("&Volume:");
  nameLabel->setBuddy(name_);
  auto* folderLabel = new QLabel("&Folder");
  folderLabel->setBuddy(folder_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                       QDialogButtonBox::Help);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [] { OpenHelp(kVolumesTopic); });
  HelpOnF1(this, kVolumesTopic);

  auto* grid = new QGridLayout;
  grid->addWidget(nameLabel, 0, 0);
  grid->addWidget(name_, 0, 1, 1, 2);
  grid->addWidget(folderLabel, 1, 0);
  grid->addWidget(folder_, 1, 1);
  grid->addWidget(browse_, 1, 2);
  grid->addWidget(default_, 2, 1);
  grid->addWidget(readOnly_, 3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 60);

  // The name field holds upper case only.
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    const int at = name_->cursorPosition();
    name_->setText(text.toUpper());
    name_->setCursorPosition(at);
    UpdateOk();
  });
  connect(folder_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
  connect(browse_, &QPushButton::clicked, this, [this] { Browse(); });
  UpdateOk();
}

void VolumeEditorWindow::UpdateOk() {
  ok_->setEnabled(!name_->text().isEmpty() && !folder_->text().isEmpty());
}

void VolumeEditorWindow::Browse() {
  const QString chosen = QFileDialog::getExistingDirectory(
      this, FromLatin1(VolumeEditor::kBrowseTitle), folder_->text());
  if (!chosen.isEmpty()) folder_->setText(chosen);
}

void VolumeEditorWindow::accept() {
  editor_.SetName(name_->text().toLatin1().toStdString());
  editor_.SetFolder(ToLocal(folder_->text()));
  editor_.SetDefault(default_->isChecked());
  editor_.SetReadOnly(readOnly_->isChecked());
  if (!editor_.OkEnabled()) return;
  if (editor_.Accept()) {
    QDialog::accept();
    return;
  }
  // The offending field takes the focus with its text selected.
  QLineEdit* field = editor_.Focus() == VolumeEditor::Field::Name ? name_ : folder_;
  if (editor_.Focus() == VolumeEditor::Field::None) return;
  field->setFocus();
  field->selectAll();
}

// --- the Volumes dialog ------------------------------------------------------------

VolumesWindow::VolumesWindow(VolumeTable& table, const platform::Host& host, QWidget* parent)
    : QDialog(parent), model_(table, host) {
  setWindowTitle("Volumes");
  list_ = new QTreeWidget;
  list_->setColumnCount(2);
  list_->setHeaderLabels({"Volume", "Folder"});
  list_->setRootIsDecorated(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setUniformRowHeights(true);
  list_->setMinimumSize(QFontMetrics(font()).averageCharWidth() * 60, 200);

  auto* buttons = new QVBoxLayout;
  auto add = [&](const char* text, auto slot) {
    auto* b = new QPushButton(text);
    b->setObjectName(text);
    buttons->addWidget(b);
    connect(b, &QPushButton::clicked, this, slot);
    return b;
  };
  add("&Add...", [this] { Add(); });
  add("&Remove", [this] {
    model_.Remove();
    Fill();
  });
  add("&Make Default", [this] {
    model_.MakeDefault();
    Fill();
  });
  add("&Properties", [this] { Properties(); });
  add("Close", [this] { done(QDialog::Accepted); });
  add("&Help", [] { OpenHelp(kVolumesTopic); });
  HelpOnF1(this, kVolumesTopic);
  buttons->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  connect(list_, &QTreeWidget::currentItemChanged, this,
          [this] { model_.Select(list_->indexOfTopLevelItem(list_->currentItem())); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Properties(); });

  const int average = QFontMetrics(font()).averageCharWidth();
  const int defaultVolume = 15 * average;
  // The rest of the list's width (it is not laid out yet: its minimum).
  const int rest = list_->minimumWidth() - 2 * list_->frameWidth() - defaultVolume;
  model_.Open(defaultVolume, std::max(average, rest));
  list_->setColumnWidth(0, model_.VolumeColumnWidth());
  list_->setColumnWidth(1, model_.FolderColumnWidth());
  Fill();
}

QPushButton* VolumesWindow::Button(const char* text) const { return findChild<QPushButton*>(text); }

void VolumesWindow::Fill() {
  const QSignalBlocker block(list_);
  list_->clear();
  for (const VolumesDialog::Row& row : model_.Rows()) {
    auto* item = new QTreeWidgetItem({FromLatin1(row.name), FromLocal(row.folder)});
    item->setIcon(0, VolumeStateIcon(row.icon));
    list_->addTopLevelItem(item);
  }
  if (model_.Selected() >= 0) list_->setCurrentItem(list_->topLevelItem(model_.Selected()));
}

bool VolumesWindow::RunEditor(VolumeEditor& editor) {
  VolumeEditorWindow window(editor, this);
  return window.exec() == QDialog::Accepted;
}

void VolumesWindow::Add() {
  VolumeEditor editor = model_.AddEditor();
  if (!RunEditor(editor)) return;
  model_.CommitAdd(editor);
  Fill();
}

void VolumesWindow::Properties() {
  std::optional<VolumeEditor> editor = model_.PropertiesEditor();
  if (!editor || !RunEditor(*editor)) return;
  model_.CommitProperties(*editor);
  Fill();
}

void VolumesWindow::done(int result) {
  model_.SetColumnWidths(list_->columnWidth(0), list_->columnWidth(1));
  model_.Close();
  QDialog::done(result);
}

// --- the volume file dialog ------------------------------------------------------

VolumeFileWindow::VolumeFileWindow(VolumeFileDialog& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setWindowTitle(FromLatin1(model.Title()));
  volumes_ = new QComboBox;
  for (const std::string& v : model.VolumeNames()) volumes_->addItem(FromLatin1(v));
  volumes_->setCurrentIndex(model.SelectedVolume());
  files_ = new QListWidget;
  HelpOnF1(this, kFileTopic);
  files_->setMinimumSize(QFontMetrics(font()).averageCharWidth() * 50, 160);
  name_ = new QLineEdit(FromLocal(model.FileName()));
  types_ = new QComboBox;
  for (std::string_view t : VolumeFileDialog::kTypeNames) types_->addItem(FromLatin1(t));
  auto label = [](std::string_view text, QWidget* buddy) {
    auto* l = new QLabel(FromLatin1(text));
    l->setBuddy(buddy);
    return l;
  };
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(FromLatin1(model.AcceptLabel()), QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout(this);
  grid->addWidget(label(model.VolumeLabel(), volumes_), 0, 0);
  grid->addWidget(volumes_, 0, 1);
  grid->addWidget(files_, 1, 0, 1, 2);
  grid->addWidget(label(model.NameLabel(), name_), 2, 0);
  grid->addWidget(name_, 2, 1);
  grid->addWidget(label(model.TypeLabel(), types_), 3, 0);
  grid->addWidget(types_, 3, 1);
  grid->addWidget(buttons, 4, 0, 1, 2);

  connect(volumes_, &QComboBox::currentIndexChanged, this, [this](int index) {
    model_.SelectVolume(index);
    FillFiles();
  });
  connect(types_, &QComboBox::currentIndexChanged, this, [this](int index) {
    model_.SetType(static_cast<platform::ProgramFileType>(index));
    FillFiles();
  });
  connect(files_, &QListWidget::currentTextChanged, this, [this](const QString& text) {
    if (!text.isEmpty()) name_->setText(text);
  });
  connect(files_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  FillFiles();
  name_->setFocus();
  name_->selectAll();
}

void VolumeFileWindow::FillFiles() {
  const QSignalBlocker block(files_);
  files_->clear();
  for (const std::string& f : model_.Files()) files_->addItem(FromLocal(f));
}

void VolumeFileWindow::accept() {
  model_.SetFileName(ToLocal(name_->text()));
  if (model_.Accept()) {
    QDialog::accept();
    return;
  }
  // A volume part in the name may have chosen another volume.
  const QSignalBlocker block(volumes_);
  volumes_->setCurrentIndex(model_.SelectedVolume());
  name_->setText(FromLocal(model_.FileName()));
  FillFiles();
  name_->setFocus();
  name_->selectAll();
}

}  // namespace torvic::shell

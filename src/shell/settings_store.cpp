#include "shell/settings_store.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace torvic::shell {

namespace {

// An empty key would otherwise collide with QSettings' own top level.
constexpr const char* kKeyMarker = ".key";

QString Path(std::string_view key, std::string_view name) {
  return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())) + '/' +
         QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString KeyPath(std::string_view key) {
  return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            "Quellorix", "TORVIC")) {}

QtSettingsStore::~QtSettingsStore() { settings_->sync(); }

std::optional<uint32_t> QtSettingsStore::GetNumber(std::string_view key, std::string_view name) {
  const QVariant v = settings_->value(Path(key, name));
  if (!v.isValid()) return std::nullopt;
  bool ok = false;
  const qulonglong n = v.toULongLong(&ok);
  if (!ok) return std::nullopt;
  return static_cast<uint32_t>(n);
}

bool QtSettingsStore::SetNumber(std::string_view key, std::string_view name, uint32_t value) {
  settings_->setValue(Path(key, name), static_cast<qulonglong>(value));
  return settings_->status() == QSettings::NoError;
}

std::optional<std::string> QtSettingsStore::GetString(std::string_view key, std::string_view name) {
  const QVariant v = settings_->value(Path(key, name));
  if (!v.isValid()) return std::nullopt;
  return v.toString().toStdString();
}

bool QtSettingsStore::SetString(std::string_view key, std::string_view name,
                                std::string_view value) {
  settings_->setValue(Path(key, name),
                      QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
  return settings_->status() == QSettings::NoError;
}

std::optional<std::vector<uint8_t>> QtSettingsStore::GetBytes(std::string_view key,
                                                              std::string_view name) {
  const QVariant v = settings_->value(Path(key, name));
  if (!v.isValid()) return std::nullopt;
  const QByteArray b = v.toByteArray();
  return std::vector<uint8_t>(b.begin(), b.end());
}

bool QtSettingsStore::SetBytes(std::string_view key, std::string_view name,
                               const std::vector<uint8_t>& value) {
  settings_->setValue(Path(key, name), QByteArray(reinterpret_cast<const char*>(value.data()),
                                                  static_cast<qsizetype>(value.size())));
  return settings_->status() == QSettings::NoError;
}

bool QtSettingsStore::KeyExists(std::string_view key) {
  settings_->beginGroup(KeyPath(key));
  const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
  settings_->endGroup();
  return exists;
}

bool QtSettingsStore::CreateKey(std::string_view key) {
  if (!KeyExists(key)) settings_->setValue(KeyPath(key) + '/' + kKeyMarker, 1);
  return settings_->status() == QSettings::NoError;
}

std::vector<std::string> QtSettingsStore::EnumSubKeys(std::string_view key) {
  settings_->beginGroup(KeyPath(key));
  const QStringList groups = settings_->childGroups();
  settings_->endGroup();
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(groups.size()));
  for (const QString& g : groups) out.push_back(g.toStdString());
  return out;
}

bool QtSettingsStore::DeleteKey(std::string_view key) {
  settings_->remove(KeyPath(key));
  return settings_->status() == QSettings::NoError;
}

}  // namespace torvic::shell

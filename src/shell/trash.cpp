#include "shell/trash.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <cerrno>

namespace torvic::shell {

int QtMoveToTrash(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno;
  // The home trash lives in the user's data folder, which a fresh account
  // may not have yet; without it the toolkit falls back to a trash folder
  // beside the volume's, where no desktop looks.
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!data.isEmpty()) QDir().mkpath(data);
  QFile file(QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())));
  if (file.moveToTrash()) return 0;
  // The toolkit says only that it could not: no trash folder it may write,
  // or a file it may not move.
  return EACCES;
}

}  // namespace torvic::shell

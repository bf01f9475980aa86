#include "core/reports/filewrite.h"

#include <QFileInfo>
#include <QSaveFile>

namespace velaro {

std::optional<WriteError> writeFileBytes(const QString& path, const QByteArray& bytes) {
  const QFileInfo info(path);
  if (info.isDir()) {
    return WriteError{path, QStringLiteral("a folder of that name is in the way")};
  }
  // The owner's write bit, not access(): an administrator's export must not
  // silently replace a file the user protected.
  if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner))) {
    return WriteError{path, QStringLiteral("the file is read-only")};
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return WriteError{path, QStringLiteral("cannot be created: ") + file.errorString()};
  }
  if (file.write(bytes) != bytes.size()) {
    const QString reason = QStringLiteral("write failed: ") + file.errorString();
    file.cancelWriting();
    return WriteError{path, reason};
  }
  if (!file.commit()) {
    return WriteError{path, QStringLiteral("cannot be saved (locked or in use?): ") + file.errorString()};
  }
  return std::nullopt;
}

}  // namespace velaro

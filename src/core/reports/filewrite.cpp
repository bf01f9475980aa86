#include "core/reports/filewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace velaro {

// Files are opened unbuffered and a short write is retried with the rest, so
// that a full disk shows as the system's reason ("No space left on device")
// rather than a bare short count.
bool writeWhole(QFileDevice& file, const QByteArray& bytes) {
  qint64 written = 0;
  while (written < bytes.size()) {
    const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
    if (n <= 0) {
      return false;
    }
    written += n;
  }
  return file.flush();
}

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
  // A device or pipe (/dev/stdout, /dev/full) is written in place: the
  // replace-by-rename below would put a plain file where the device was.
  if (info.exists() && !info.isFile()) {
    QFile device(path);
    if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
      return WriteError{path, QStringLiteral("cannot be opened: ") + device.errorString()};
    }
    if (!writeWhole(device, bytes)) {
      return WriteError{path, QStringLiteral("write failed: ") + device.errorString()};
    }
    return std::nullopt;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    return WriteError{path, QStringLiteral("cannot be created: ") + file.errorString()};
  }
  if (!writeWhole(file, bytes)) {
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

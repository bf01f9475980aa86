#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace velaro {

// Why a file could not be written, for the window's error dialog or the
// command line.
struct WriteError {
  QString file;    // full path
  QString reason;  // e.g. "the file is read-only"

  QString toString() const { return file + QStringLiteral(": ") + reason; }
};

// Writes all of bytes to an open file, retrying short writes, and flushes.
bool writeWhole(QFileDevice& file, const QByteArray& bytes);

// Replaces the file at path with bytes. The new contents go to a temporary
// file beside it first, so a failed write leaves the previous file whole. A
// file marked read-only is refused even where the user could override it.
// An existing device or pipe is written in place.
std::optional<WriteError> writeFileBytes(const QString& path, const QByteArray& bytes);

}  // namespace velaro

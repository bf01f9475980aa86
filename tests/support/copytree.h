#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace velaro::testing {

// Copies every file below from to the same place below to (a races folder
// for a test to work in).
inline bool copyTree(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString src = it.next();
    const QString dst = to + src.mid(from.size());
    if (!QDir().mkpath(QFileInfo(dst).path()) || !QFile::copy(src, dst)) {
      return false;
    }
  }
  return true;
}

}  // namespace velaro::testing

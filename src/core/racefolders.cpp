#include "core/racefolders.h"

#include <QDir>
#include <QFileInfo>

namespace velaro {

RaceFolders::RaceFolders(QString root) : m_root(QDir::cleanPath(std::move(root))) {}

QString RaceFolders::folder(const QString& sub) const {
  return m_root + u'/' + sub;
}

bool RaceFolders::isSafeRelativeName(const QString& name) {
  if (name.isEmpty() || name.contains(QChar(0))) {
    return false;
  }
  QString n = name;
  n.replace(u'\\', u'/');
  if (n.startsWith(u'/') || (n.size() >= 2 && n[1] == u':')) {
    return false;
  }
  const QStringList parts = n.split(u'/');
  for (const QString& part : parts) {
    if (part == QLatin1String("..")) {
      return false;
    }
  }
  return true;
}

std::optional<QString> RaceFolders::resolve(const QString& sub, const QString& name) const {
  if (!isSafeRelativeName(name)) {
    return std::nullopt;
  }
  QString n = name;
  n.replace(u'\\', u'/');
  return folder(sub) + u'/' + n;
}

std::optional<QString> RaceFolders::existingFile(const QString& sub, const QString& name) const {
  auto path = resolve(sub, name);
  if (!path || !QFileInfo(*path).isFile()) {
    return std::nullopt;
  }
  return path;
}

}  // namespace velaro

#include "core/ignoredrecord.h"

#include <QFile>

#include <sys/stat.h>

namespace velaro {

namespace {

QString capacityNoun(const QString& keyword) {
  if (keyword == QLatin1String("BN")) {
    return QStringLiteral("boats");
  }
  if (keyword == QLatin1String("MK")) {
    return QStringLiteral("marks");
  }
  if (keyword == QLatin1String("LN")) {
    return QStringLiteral("lines");
  }
  if (keyword == QLatin1String("RL")) {
    return QStringLiteral("reference lines");
  }
  if (keyword == QLatin1String("AT")) {
    return QStringLiteral("attachments");
  }
  if (keyword == QLatin1String("MAP")) {
    return QStringLiteral("map names");
  }
  return QStringLiteral("course items");
}

}  // namespace

QString describeIgnored(const IgnoredRecord& record) {
  QString what = QStringLiteral("line %1: %2 \"%3\"").arg(record.line).arg(record.keyword, record.name);
  if (!record.file.isEmpty()) {
    what += QStringLiteral(" (%1)").arg(record.file);
  }
  QString why;
  switch (record.reason) {
    case IgnoredReason::BeyondCapacity:
      why = QStringLiteral("beyond the %1 %2 a race holds").arg(record.detail, capacityNoun(record.keyword));
      break;
    case IgnoredReason::LogMissing:
      why = QStringLiteral("no such log in gpsdat");
      break;
    case IgnoredReason::LogOutside:
      why = QStringLiteral("the log is named outside gpsdat");
      break;
    case IgnoredReason::LogIsFolder:
      why = QStringLiteral("the log is a folder");
      break;
    case IgnoredReason::LogNotAFile:
      why = QStringLiteral("the log is %1, not a file").arg(record.detail);
      break;
    case IgnoredReason::LogUnreadable:
      why = QStringLiteral("the log cannot be read: %1").arg(record.detail);
      break;
  }
  return what + QStringLiteral(": ") + why;
}

QString specialFileKind(const QString& path) {
  struct stat st {};
  // stat follows links, as opening would; it never blocks on a FIFO.
  if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
    return {};
  }
  if (S_ISFIFO(st.st_mode)) {
    return QStringLiteral("a FIFO");
  }
  if (S_ISSOCK(st.st_mode)) {
    return QStringLiteral("a socket");
  }
  return QStringLiteral("a device");
}

}  // namespace velaro

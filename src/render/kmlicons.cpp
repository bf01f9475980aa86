#include "render/kmlicons.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>

namespace velaro {

namespace {

constexpr int kIconSize = 32;
constexpr int kAngleStep = 10;

QImage blankIcon() {
  QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

std::optional<WriteError> savePng(const QImage& image, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    return WriteError{path, QStringLiteral("the picture could not be encoded")};
  }
  return writeFileBytes(path, bytes);
}

}  // namespace

QStringList kmlIconFileNames() {
  QStringList names;
  for (int angle = 0; angle < 360; angle += kAngleStep) {
    names << QStringLiteral("ar%1.png").arg(angle);
  }
  names << QStringLiteral("buoi.png");
  return names;
}

QImage kmlArrowIcon(int course) {
  QImage image = blankIcon();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(kIconSize / 2.0, kIconSize / 2.0);
  // Screen y grows downwards, so a clockwise turn of the painter turns the
  // arrow from north towards east as a course does.
  p.rotate(course);
  QPainterPath arrow;
  arrow.moveTo(0, -14);
  arrow.lineTo(9, 2);
  arrow.lineTo(2, 0);
  arrow.lineTo(2, 11);
  arrow.lineTo(-2, 11);
  arrow.lineTo(-2, 0);
  arrow.lineTo(-9, 2);
  arrow.closeSubpath();
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(255, 220, 0));
  p.drawPath(arrow);
  return image;
}

QImage kmlBuoyIcon() {
  QImage image = blankIcon();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(255, 120, 0));
  p.drawEllipse(QPointF(kIconSize / 2.0, kIconSize / 2.0), 10, 10);
  return image;
}

std::optional<WriteError> ensureKmlIcons(const QString& folder) {
  if (!QDir().mkpath(folder)) {
    return WriteError{folder, QStringLiteral("the folder cannot be created")};
  }
  const QDir dir(folder);
  for (const QString& name : kmlIconFileNames()) {
    const QString path = dir.filePath(name);
    if (QFileInfo::exists(path)) {
      continue;
    }
    const QImage image =
        name == QLatin1String("buoi.png") ? kmlBuoyIcon() : kmlArrowIcon(name.mid(2).chopped(4).toInt());
    if (auto error = savePng(image, path)) {
      return error;
    }
  }
  return std::nullopt;
}

bool hasAllKmlIcons(const QString& folder) {
  const QDir dir(folder);
  for (const QString& name : kmlIconFileNames()) {
    if (!QFileInfo(dir.filePath(name)).isFile()) {
      return false;
    }
  }
  return true;
}

QString kmlIconFolder(const QString& racesIconFolder, const QString& programFolder) {
  QStringList candidates{racesIconFolder,
                         QDir(programFolder).filePath(QStringLiteral(VELARO_DATA_FROM_BIN "/ya"))};
#ifdef VELARO_BUILD_ICON_DIR
  candidates << QStringLiteral(VELARO_BUILD_ICON_DIR);
#endif
  for (const QString& folder : candidates) {
    if (!folder.isEmpty() && hasAllKmlIcons(folder)) {
      return QDir::cleanPath(QDir(folder).absolutePath());
    }
  }
  const QString cache =
      QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("ya"));
  // Without pictures a globe viewer shows its default pins: a cache that
  // cannot be written costs the icons only.
  ensureKmlIcons(cache);
  return QDir::cleanPath(cache);
}

}  // namespace velaro

#include "render/picturefile.h"

#include <QBuffer>
#include <QImageWriter>

namespace velaro {

PictureFormat pictureFormatFor(const QString& path) {
  return path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? PictureFormat::Bmp : PictureFormat::Png;
}

std::optional<WriteError> SavePicture(const QImage& picture, const QString& path, PictureFormat format) {
  const QByteArray formatName =
      format == PictureFormat::Bmp ? QByteArrayLiteral("BMP") : QByteArrayLiteral("PNG");
  if (picture.isNull()) {
    return WriteError{path, QStringLiteral("there is no picture to save")};
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, formatName);
  if (!writer.write(picture)) {
    return WriteError{path, QStringLiteral("the picture cannot be encoded as ") +
                                QString::fromLatin1(formatName) + QStringLiteral(": ") +
                                writer.errorString()};
  }
  return writeFileBytes(path, bytes);
}

}  // namespace velaro

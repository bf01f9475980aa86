#pragma once

#include "core/reports/filewrite.h"

#include <QImage>
#include <QString>

#include <optional>

namespace velaro {

// The picture on screen, saved for retouching in another program.
inline constexpr const char* kRetouchFileName = "NoName.bmp";

enum class PictureFormat { Png, Bmp };

// BMP for a name ending in ".bmp" (any case), else PNG.
PictureFormat pictureFormatFor(const QString& path);

// Replaces the file at path with the picture, whole, in its own size. As
// with every export, the new file is complete before it replaces the old
// one, so a failed write leaves an earlier file as it was; the error names
// the file and the reason.
std::optional<WriteError> SavePicture(const QImage& picture, const QString& path, PictureFormat format);

}  // namespace velaro

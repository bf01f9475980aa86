#pragma once

#include "core/loadpipeline.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTextStream>

#include <optional>

namespace velaro::cli {

// Loads a race as the window would; on failure writes why to err.
std::optional<LoadedRace> loadRaceForExport(const QString& raceFileArg, QTextStream& err);

// Writes an export to outPath, or unchanged to standard output when outPath
// is empty. Returns the exit code.
int deliverExport(const QByteArray& bytes, const QString& outPath, QTextStream& out, QTextStream& err);

// Encodes a picture (format "PNG", "JPG", ...) and writes it to outPath as
// writeFileBytes does: a failed write names the reason and leaves an earlier
// file whole. Returns the exit code.
int deliverImage(const QImage& image, const QString& outPath, const char* format, QTextStream& err);

}  // namespace velaro::cli

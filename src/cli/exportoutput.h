#pragma once

#include "core/loadpipeline.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTextStream>

#include <optional>

namespace velaro::cli {

// Whether a command reads the boats' tacks and gybes: finding them is some
// tenth of a load, wasted on a command that shows none.
enum class Manoeuvres { Find, Skip };

// Loads a race as the window would, its map fitted to mapArea; on failure
// writes why to err.
std::optional<LoadedRace> loadRaceForExport(const QString& raceFileArg, QTextStream& err,
                                            Manoeuvres manoeuvres, QSize mapArea = LoadOptions{}.mapArea);

// Writes an export to outPath, or unchanged to standard output when outPath
// is empty. Returns the exit code.
int deliverExport(const QByteArray& bytes, const QString& outPath, QTextStream& out, QTextStream& err);

// A picture to the file named by -o: BMP when the name ends in ".bmp", else
// PNG. Returns the exit code.
int deliverPicture(const QImage& picture, const QString& outPath, QTextStream& err);

// "WIDTHxHEIGHT" of a --size option, each side 50 to 10000 pixels; nothing
// when the text is not one.
inline constexpr int kMinPictureSide = 50;
inline constexpr int kMaxPictureSide = 10000;
std::optional<QSize> parsePictureSize(const QString& text);

}  // namespace velaro::cli

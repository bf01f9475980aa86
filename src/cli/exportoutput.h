#pragma once

#include "core/loadpipeline.h"

#include <QByteArray>
#include <QString>
#include <QTextStream>

#include <optional>

namespace velaro::cli {

// Loads a race as the window would, its map fitted to mapArea; on failure
// writes why to err.
std::optional<LoadedRace> loadRaceForExport(const QString& raceFileArg, QTextStream& err,
                                            QSize mapArea = LoadOptions{}.mapArea);

// Writes an export to outPath, or unchanged to standard output when outPath
// is empty. Returns the exit code.
int deliverExport(const QByteArray& bytes, const QString& outPath, QTextStream& out, QTextStream& err);

}  // namespace velaro::cli

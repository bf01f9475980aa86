#pragma once

#include "core/reports/filewrite.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace velaro {

// The pictures a KML export refers to: one arrow per 10 degrees of course
// ("ar0.png" .. "ar350.png") and the buoy of the marks ("buoi.png").
QStringList kmlIconFileNames();

// An arrow pointing along course (degrees true, clockwise from north) on a
// transparent square.
QImage kmlArrowIcon(int course);
// An orange buoy on a transparent square.
QImage kmlBuoyIcon();

// Draws every icon picture that is missing from folder (the "ya" folder
// beside the races), creating the folder when needed. Pictures already there
// are kept as they are, so a club can put its own. Returns the first file
// that could not be written.
std::optional<WriteError> ensureKmlIcons(const QString& folder);

// True when folder holds every icon picture.
bool hasAllKmlIcons(const QString& folder);

// Where an export's icons are found: the races folder's own ya/ when it holds
// every picture (a club may draw its own), else the pictures installed with
// the program (share/velaro/ya beside bin/), else those of the build
// tree; failing all, they are drawn once into the user's cache folder. A
// races folder, which may be read-only or under version control, is never
// written to.
QString kmlIconFolder(const QString& racesIconFolder, const QString& programFolder);

}  // namespace velaro

#pragma once

#include <QString>
#include <QStringList>

namespace velaro {

// The races folder: --races DIR when given; else the program's folder when it
// holds raceadmin/; else the shipped demo races.
QString chooseRacesFolder(const QStringList& arguments, const QString& programFolder,
                          const QString& demoFolder);

}  // namespace velaro

#pragma once

#include <QString>
#include <QStringList>

namespace velaro {

// The races folder: --races DIR when given; else the program's folder when it
// holds raceadmin/; else the first demo folder that holds raceadmin/ (the
// installed demo races, then the source tree's), else the last one.
QString chooseRacesFolder(const QStringList& arguments, const QString& programFolder,
                          const QStringList& demoFolders);

}  // namespace velaro

#pragma once

#include <QString>
#include <QStringList>

namespace velaro {

// The races folder: --races DIR when given; else the program's folder when it
// holds raceadmin/; else the first demo folder that holds raceadmin/ (the
// installed demo races, then the source tree's), else the last one.
QString chooseRacesFolder(const QStringList& arguments, const QString& programFolder,
                          const QStringList& demoFolders);

// The files named on the command line (every argument after the program's
// name that is neither an option nor the folder of --races), as absolute
// paths: the logs to make a race of.
QStringList logArguments(const QStringList& arguments);

// Where the races made from logs go: "races" in the user's data folder
// ($XDG_DATA_HOME/Velaro/races, normally ~/.local/share/Velaro/races).
QString userRacesFolder();

}  // namespace velaro

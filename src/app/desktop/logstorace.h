#pragma once

#include "core/newrace/newrace.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

namespace velaro {

// Makes a race of GPS logs, by whichever way they come: dropped on the
// window, named on the command line (or handed over by a second start), or
// chosen in the file dialog. The race is made off the window's thread into
// the races folder given; one at a time.
class LogsToRace : public QObject {
  Q_OBJECT

 public:
  LogsToRace(QString racesFolder, QObject* parent);
  ~LogsToRace() override;

  // True while a race is being made.
  bool isBusy() const { return m_busy; }
  const QString& racesFolder() const { return m_racesFolder; }

  // A file whose extension is a log format the readers know (any case).
  static bool isLogFile(const QString& path);

  // Makes a race of the logs among paths; the other files are left out and
  // named in the summary. Refused (with a message) while a race is being
  // made or when no path is a log.
  void open(const QStringList& paths);
  // The file dialog, over parent, for logs of the six formats; the logs
  // chosen are opened.
  void chooseAndOpen(QWidget* parent);
  // Takes drops of local files on window: the window accepts them and the
  // files are opened.
  void acceptDrops(QWidget* window);

 signals:
  void busyChanged(bool busy);
  // The race was written: raceFileName inside raceadmin/ of the races
  // folder, and what to tell the user once it is on screen.
  void raceMade(const QString& raceFileName, const QString& summary);
  // A message for the user: the request was refused or failed; nothing was
  // written.
  void refused(const QString& text, bool error);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void onFinished();

  QString m_racesFolder;
  QString m_dialogFolder;
  QStringList m_leftOut;
  int m_logCount = 0;
  // Until the made race is handed on, not only while the worker runs.
  bool m_busy = false;
  QFutureWatcher<NewRaceResult> m_watcher;
};

}  // namespace velaro

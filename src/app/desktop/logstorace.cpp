#include "app/desktop/logstorace.h"

#include "app/replay/backgroundwork.h"
#include "core/readers/trackreader.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace velaro {

namespace {

QStringList localFiles(const QMimeData* mime) {
  QStringList files;
  if (mime && mime->hasUrls()) {
    for (const QUrl& url : mime->urls()) {
      if (url.isLocalFile()) {
        files.append(url.toLocalFile());
      }
    }
  }
  return files;
}

QStringList fileNames(const QStringList& paths) {
  QStringList names;
  for (const QString& path : paths) {
    names.append(QFileInfo(path).fileName());
  }
  return names;
}

}  // namespace

LogsToRace::LogsToRace(QString racesFolder, QObject* parent)
    : QObject(parent), m_racesFolder(std::move(racesFolder)) {
  connect(&m_watcher, &QFutureWatcher<NewRaceResult>::finished, this, &LogsToRace::onFinished);
}

LogsToRace::~LogsToRace() = default;

bool LogsToRace::isLogFile(const QString& path) {
  const QFileInfo file(path);
  const QString suffix = file.suffix();
  return !file.isDir() && suffix.size() == 3 && trackFormatFor(suffix) != TrackFormat::Unknown;
}

void LogsToRace::open(const QStringList& paths) {
  if (isBusy()) {
    emit refused(tr("A race is being made from logs; try again when it is shown."), false);
    return;
  }
  QStringList logs;
  m_leftOut.clear();
  for (const QString& path : paths) {
    (isLogFile(path) ? logs : m_leftOut).append(path);
  }
  if (logs.isEmpty()) {
    emit refused(tr("Not a GPS log (gpx, gdb, mps, trl, dtr, trk): %1")
                     .arg(fileNames(m_leftOut).join(QStringLiteral(", "))),
                 true);
    return;
  }
  m_logCount = static_cast<int>(logs.size());
  NewRaceRequest request;
  request.logPaths = logs;
  m_watcher.setFuture(QtConcurrent::run([request, folder = m_racesFolder] {
    enterBackgroundWork();
    return createNewRace(request, folder, systemNewRaceServices());
  }));
  m_busy = true;
  emit busyChanged(true);
}

void LogsToRace::onFinished() {
  const NewRaceResult result = m_watcher.result();
  m_busy = false;
  emit busyChanged(false);
  if (result.error) {
    emit refused(tr("No race was made: %1").arg(result.error->toString()), true);
    return;
  }
  QStringList lines{tr("Made %1 from %2 logs:").arg(result.raceFileName).arg(m_logCount)};
  lines += result.estimates;
  if (!result.notes.isEmpty() || !m_leftOut.isEmpty()) {
    lines.append(QString());
  }
  lines += result.notes;
  if (!m_leftOut.isEmpty()) {
    lines.append(tr("Left out, not GPS logs: %1").arg(fileNames(m_leftOut).join(QStringLiteral(", "))));
  }
  emit raceMade(result.raceFileName, lines.join(u'\n'));
}

void LogsToRace::chooseAndOpen(QWidget* parent) {
  if (isBusy()) {
    open({});
    return;
  }
  // Loggers write their extensions in either case; not every dialog ignores it.
  const QString patterns = QStringLiteral("*.gpx *.gdb *.mps *.trl *.dtr *.trk");
  const QStringList files =
      QFileDialog::getOpenFileNames(parent, tr("Open GPS logs as a new race"), m_dialogFolder,
                                    tr("GPS logs (%1)").arg(patterns + u' ' + patterns.toUpper()));
  if (files.isEmpty()) {
    return;
  }
  m_dialogFolder = QFileInfo(files.first()).absolutePath();
  open(files);
}

void LogsToRace::acceptDrops(QWidget* window) {
  window->setAcceptDrops(true);
  window->installEventFilter(this);
}

bool LogsToRace::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (localFiles(drag->mimeData()).isEmpty()) {
        drag->ignore();
      } else {
        drag->acceptProposedAction();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList files = localFiles(drop->mimeData());
      if (files.isEmpty()) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      // The drag's source waits for the drop to end: messages come after it.
      QMetaObject::invokeMethod(
          this, [this, files] { open(files); }, Qt::QueuedConnection);
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace velaro

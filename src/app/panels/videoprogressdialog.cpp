#include "app/panels/videoprogressdialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace velaro {

VideoOutcome writeVideoWithProgress(ReplayFrames& frames, const QString& path, QWidget* parent) {
  const QString text =
      QCoreApplication::translate("velaro::VideoProgress", "Writing %1").arg(QFileInfo(path).fileName());
  QProgressDialog dialog(text, QCoreApplication::translate("velaro::VideoProgress", "Cancel"), 0,
                         frames.count(), parent);
  dialog.setObjectName(QStringLiteral("videoProgress"));
  dialog.setWindowTitle(QStringLiteral("Velaro"));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(0);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setValue(0);
  // A modal dialog's setValue lets pending events run, so Cancel is seen
  // between two frames.
  return writeReplayVideo(path, frames, [&dialog](int done, int) {
    dialog.setValue(done);
    return !dialog.wasCanceled();
  });
}

}  // namespace velaro

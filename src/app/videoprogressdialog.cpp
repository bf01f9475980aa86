#include "app/videoprogressdialog.h"

#include <QFileInfo>
#include <QProgressDialog>

namespace velaro {

VideoOutcome writeVideoWithProgress(ReplayFrames& frames, const QString& path, QWidget* parent,
                                    Language language) {
  const bool ja = isJapanese(language);
  const QString name = QFileInfo(path).fileName();
  QProgressDialog dialog(
      ja ? QStringLiteral("%1 を書き出しています").arg(name) : QStringLiteral("Writing %1").arg(name),
      ja ? QStringLiteral("キャンセル") : QStringLiteral("Cancel"), 0, frames.count(), parent);
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

#include "app/panels/videoprogressdialog.h"

#include "app/replay/videoexportjob.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressBar>
#include <QProgressDialog>

namespace velaro {

QProgressDialog* showVideoProgress(VideoExportJob& job, int frames, QWidget* parent) {
  const QString text = QCoreApplication::translate("velaro::VideoProgress", "Writing %1")
                           .arg(QFileInfo(job.path()).fileName());
  auto* dialog = new QProgressDialog(text, QCoreApplication::translate("velaro::VideoProgress", "Cancel"), 0,
                                     frames, parent);
  dialog->setObjectName(QStringLiteral("videoProgress"));
  dialog->setWindowTitle(QStringLiteral("Velaro"));
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setAutoClose(false);
  dialog->setAutoReset(false);
  // A modal dialog's setValue runs the pending events; its bar's does not,
  // so a progress report never nests the window's event loop.
  auto* bar = new QProgressBar(dialog);
  bar->setRange(0, frames);
  bar->setValue(0);
  dialog->setBar(bar);
  // The button tells at once; the dialog's cancel() slot only marks the
  // dialog, which the next report reads.
  QObject::connect(dialog, &QProgressDialog::canceled, &job, &VideoExportJob::cancel);
  QObject::connect(&job, &VideoExportJob::progress, bar, [&job, dialog, bar](int done) {
    bar->setValue(done);
    if (dialog->wasCanceled()) {
      job.cancel();
    }
  });
  QObject::connect(&job, &VideoExportJob::finished, dialog, [dialog] {
    dialog->hide();
    dialog->deleteLater();
  });
  dialog->show();
  return dialog;
}

}  // namespace velaro

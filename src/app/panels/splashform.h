#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace velaro {

// The splash window: the picture (built-in or the race folder's cover.jpg),
// the titles of the first race, a status line and a progress bar for the
// first load. It fades to half transparency after the first load and closes
// itself when it loses activation.
class SplashForm : public QWidget {
  Q_OBJECT

 public:
  // coverPath: raceadmin/cover.jpg when it exists (empty otherwise).
  explicit SplashForm(const QString& coverPath = QString(), QWidget* parent = nullptr);

  bool coverShown() const { return m_coverShown; }
  // An error text when the cover picture could not be decoded.
  const QString& coverError() const { return m_coverError; }

  // Places every control for a screen of the given size.
  void arrange(QSize screen);
  void setTitles(const QString& caption, const QString& subcaption);
  // Status line and progress bar while boat k of count is read.
  void showProgress(const QString& fileName, int k, int count);
  void setStatus(const QString& text);
  // 0..255 as window opacity.
  void setAlpha(int alpha);
  int alpha() const { return m_alpha; }
  // Closes on the next loss of activation once the first load is done.
  void setCloseOnDeactivate(bool on) { m_closeOnDeactivate = on; }
  // The end of a load: clears the status line and fades to half
  // transparency in steps of 10 ms; from then on it closes when it loses
  // activation.
  void fadeOut();
  bool isFading() const { return m_fadeTimer.isActive(); }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  QLabel* m_coverPicture;
  QLabel* m_progressBar;
  QPlainTextEdit* m_statusLine;
  QPlainTextEdit* m_raceTitle;
  QPlainTextEdit* m_raceSubtitle;
  QLabel* m_creditLine;
  QLabel* m_poweredByLine;
  QLabel* m_yearLine;
  bool m_coverShown = false;
  bool m_closeOnDeactivate = true;
  int m_alpha = 255;
  QString m_coverError;
  QTimer m_fadeTimer;
};

}  // namespace velaro

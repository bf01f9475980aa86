#include "app/panels/splashform.h"

#include "render/splashpicture.h"

#include <QEvent>
#include <QFont>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

constexpr int kProgressWidth = 400;
constexpr int kProgressHeight = 8;
const QColor kSplashBlue(0, 0, 64);

QPlainTextEdit* makeMemo(QWidget* parent, const char* name, int pointSize, bool boldItalic) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setReadOnly(true);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setFocusPolicy(Qt::NoFocus);
  memo->setStyleSheet(QStringLiteral("QPlainTextEdit { background: rgb(0,0,64); color: white; }"));
  QFont font = memo->font();
  font.setPointSize(pointSize);
  font.setBold(boldItalic);
  font.setItalic(boldItalic);
  memo->setFont(font);
  memo->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
  return memo;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setStyleSheet(QStringLiteral("QLabel { color: rgb(200,210,255); }"));
  label->adjustSize();
  return label;
}

}  // namespace

SplashForm::SplashForm(const QString& coverPath, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window) {
  setObjectName(QStringLiteral("SplashForm"));
  setWindowTitle(QStringLiteral("Velaro"));
  setAttribute(Qt::WA_DeleteOnClose);
  m_fadeTimer.setObjectName(QStringLiteral("fadeTimer"));
  m_fadeTimer.setInterval(10);
  connect(&m_fadeTimer, &QTimer::timeout, this, [this] {
    if (m_alpha - 5 < 130) {
      m_fadeTimer.stop();
      setCloseOnDeactivate(true);
      return;
    }
    setAlpha(m_alpha - 5);
  });
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kSplashBlue);
  setPalette(pal);

  m_coverPicture = new QLabel(this);
  m_coverPicture->setObjectName(QStringLiteral("coverPicture"));
  QImage picture;
  if (!coverPath.isEmpty()) {
    QImageReader reader(coverPath);
    picture = reader.read();
    if (picture.isNull()) {
      m_coverError = QStringLiteral("%1: %2").arg(coverPath, reader.errorString());
    } else {
      m_coverShown = true;
    }
  }
  if (picture.isNull()) {
    picture = drawSplashPicture(QSize(640, 300));
  }
  m_coverPicture->setPixmap(QPixmap::fromImage(picture));
  m_coverPicture->resize(picture.size());

  m_progressBar = new QLabel(this);
  m_progressBar->setObjectName(QStringLiteral("progressBar"));
  m_progressBar->resize(kProgressWidth, kProgressHeight);

  m_statusLine = makeMemo(this, "statusLine", 10, false);
  m_raceTitle = makeMemo(this, "raceTitle", 25, true);
  m_raceSubtitle = makeMemo(this, "raceSubtitle", 18, true);
  m_creditLine = makeLabel(this, "creditLine", tr("Velaro developers \u00b7 open source sailing tools"));
  m_poweredByLine = makeLabel(this, "poweredByLine", tr("Powered by"));
  m_yearLine = makeLabel(this, "yearLine", QStringLiteral("Velaro 2009"));
  showProgress(QString(), 0, 1);
}

void SplashForm::arrange(QSize screen) {
  resize(screen);
  const int width = screen.width();
  const int height = screen.height();
  const auto centreX = [width](QWidget* w) { return (width - w->width()) / 2; };

  m_statusLine->resize(width, 24);
  m_raceTitle->resize(width, 48);
  m_raceSubtitle->resize(width, 40);
  const int h = height - m_coverPicture->height();
  m_coverPicture->move(centreX(m_coverPicture), static_cast<int>(std::nearbyint(h / 2.0)));
  const int imageBottom = m_coverPicture->y() + m_coverPicture->height();
  m_statusLine->move(0, imageBottom + 10);
  m_progressBar->move(centreX(m_progressBar), imageBottom + 40);
  m_raceSubtitle->move(0, std::max(static_cast<int>(std::nearbyint(h / 2.0 - 130)), 50));
  m_raceTitle->move(0, std::max(static_cast<int>(std::nearbyint(h / 2.0 - 70)), 110));
  m_creditLine->move(centreX(m_creditLine), height - 35);
  m_poweredByLine->move(centreX(m_poweredByLine), height - 51);
  m_yearLine->move(centreX(m_yearLine), height - 75);
}

void SplashForm::setTitles(const QString& caption, const QString& subcaption) {
  if (caption.size() >= 3) {
    m_raceTitle->setPlainText(caption.trimmed());
    m_raceTitle->show();
    setWindowTitle(caption);
  } else {
    m_raceTitle->hide();
  }
  if (subcaption.size() >= 3) {
    m_raceSubtitle->setPlainText(subcaption.trimmed());
    m_raceSubtitle->show();
  } else {
    m_raceSubtitle->hide();
  }
}

void SplashForm::showProgress(const QString& fileName, int k, int count) {
  if (!fileName.isEmpty()) {
    setStatus(tr("LOADING  %1  (%2/%3)").arg(fileName).arg(k).arg(count));
  }
  QPixmap bar(kProgressWidth, kProgressHeight);
  bar.fill(QColor(40, 40, 90));
  if (count > 0 && k > 0) {
    QPainter p(&bar);
    const int filled = static_cast<int>(std::nearbyint(static_cast<double>(k) * kProgressWidth / count));
    p.fillRect(0, 0, filled, kProgressHeight, QColor(0, 0, 255));
  }
  m_progressBar->setPixmap(bar);
  m_progressBar->update();
}

void SplashForm::setStatus(const QString& text) {
  m_statusLine->setPlainText(text);
  m_statusLine->update();
}

void SplashForm::setAlpha(int alpha) {
  m_alpha = std::clamp(alpha, 0, 255);
  setWindowOpacity(m_alpha / 255.0);
}

void SplashForm::fadeOut() {
  setStatus(QString());
  // From alpha 250 down to 130 in steps of 5.
  setAlpha(250);
  m_fadeTimer.start();
}

void SplashForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && m_closeOnDeactivate && isVisible()) {
    close();
  }
}

}  // namespace velaro

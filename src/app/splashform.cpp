#include "app/splashform.h"

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
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kSplashBlue);
  setPalette(pal);

  m_image1 = new QLabel(this);
  m_image1->setObjectName(QStringLiteral("Image1"));
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
  m_image1->setPixmap(QPixmap::fromImage(picture));
  m_image1->resize(picture.size());

  m_image2 = new QLabel(this);
  m_image2->setObjectName(QStringLiteral("Image2"));
  m_image2->resize(kProgressWidth, kProgressHeight);

  m_memo1 = makeMemo(this, "memo1", 10, false);
  m_memo2 = makeMemo(this, "memo2", 25, true);
  m_memo3 = makeMemo(this, "Memo3", 18, true);
  m_label1 = makeLabel(this, "Label1", QStringLiteral("Velaro developers \u00b7 open source sailing tools"));
  m_label2 = makeLabel(this, "Label2", QStringLiteral("Powered by"));
  m_label3 = makeLabel(this, "Label3", QStringLiteral("Velaro 2009"));
  showProgress(QString(), 0, 1);
}

void SplashForm::arrange(QSize screen) {
  resize(screen);
  const int width = screen.width();
  const int height = screen.height();
  const auto centreX = [width](QWidget* w) { return (width - w->width()) / 2; };

  m_memo1->resize(width, 24);
  m_memo2->resize(width, 48);
  m_memo3->resize(width, 40);
  const int h = height - m_image1->height();
  m_image1->move(centreX(m_image1), static_cast<int>(std::nearbyint(h / 2.0)));
  const int imageBottom = m_image1->y() + m_image1->height();
  m_memo1->move(0, imageBottom + 10);
  m_image2->move(centreX(m_image2), imageBottom + 40);
  m_memo3->move(0, std::max(static_cast<int>(std::nearbyint(h / 2.0 - 130)), 50));
  m_memo2->move(0, std::max(static_cast<int>(std::nearbyint(h / 2.0 - 70)), 110));
  m_label1->move(centreX(m_label1), height - 35);
  m_label2->move(centreX(m_label2), height - 51);
  m_label3->move(centreX(m_label3), height - 75);
}

void SplashForm::setTitles(const QString& caption, const QString& subcaption) {
  if (caption.size() >= 3) {
    m_memo2->setPlainText(caption.trimmed());
    m_memo2->show();
    setWindowTitle(caption);
  } else {
    m_memo2->hide();
  }
  if (subcaption.size() >= 3) {
    m_memo3->setPlainText(subcaption.trimmed());
    m_memo3->show();
  } else {
    m_memo3->hide();
  }
}

void SplashForm::showProgress(const QString& fileName, int k, int count) {
  if (!fileName.isEmpty()) {
    setStatus(QStringLiteral("LOADING  %1  (%2/%3)").arg(fileName).arg(k).arg(count));
  }
  QPixmap bar(kProgressWidth, kProgressHeight);
  bar.fill(QColor(40, 40, 90));
  if (count > 0 && k > 0) {
    QPainter p(&bar);
    const int filled = static_cast<int>(std::nearbyint(static_cast<double>(k) * kProgressWidth / count));
    p.fillRect(0, 0, filled, kProgressHeight, QColor(0, 0, 255));
  }
  m_image2->setPixmap(bar);
  m_image2->repaint();
}

void SplashForm::setStatus(const QString& text) {
  m_memo1->setPlainText(text);
  m_memo1->repaint();
}

void SplashForm::setAlpha(int alpha) {
  m_alpha = std::clamp(alpha, 0, 255);
  setWindowOpacity(m_alpha / 255.0);
}

void SplashForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && m_closeOnDeactivate && isVisible()) {
    close();
  }
}

}  // namespace velaro

#pragma once

#include <QImage>
#include <QWidget>

namespace velaro {

// The map area: shows the scene picture the renderer drew, one copy per
// frame, without erasing first (no flicker).
class MapWidget : public QWidget {
  Q_OBJECT

 public:
  explicit MapWidget(QWidget* parent = nullptr);

  void setImage(const QImage& image);
  const QImage& image() const { return m_image; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage m_image;
};

}  // namespace velaro

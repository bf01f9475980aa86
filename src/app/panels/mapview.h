#pragma once

#include "core/scene/pointerrules.h"

#include <QImage>
#include <QLine>
#include <QPlainTextEdit>
#include <QPoint>
#include <QWidget>

#include <optional>

namespace velaro {

// The map area: shows the picture the renderer drew (scene, whole-race view
// or graph page), one copy per frame, without erasing first (no flicker).
// Mouse and key events on the map leave it as signals in map pixels; what
// they mean is decided by whoever listens.
class MapView : public QWidget {
  Q_OBJECT

 public:
  explicit MapView(QWidget* parent = nullptr);

  void setImage(const QImage& image);
  const QImage& image() const { return m_image; }
  // Pictures set since the map was made: each is one redraw.
  int picturesShown() const { return m_picturesShown; }

  // The range and bearing read-out beside the pointer and its red line from
  // the base point, drawn over the picture; none hides both.
  void showMeasure(const std::optional<MeasureReadout>& measure);
  std::optional<QLine> measureLine() const { return m_measureLine; }

 signals:
  // The second press of a quick pair is a press as well: two quick clicks
  // zoom twice.
  void mousePressed(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void mouseReleased(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  // Sent with or without a button held (the map tracks the pointer).
  void mouseMoved(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  void mouseLeft();
  void keyPressed(int key, Qt::KeyboardModifiers modifiers);
  void keyReleased(int key, Qt::KeyboardModifiers modifiers);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  QImage m_image;
  int m_picturesShown = 0;
  std::optional<QLine> m_measureLine;
  QPlainTextEdit* m_measureReadout = nullptr;
};

}  // namespace velaro

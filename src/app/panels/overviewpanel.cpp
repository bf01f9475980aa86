#include "app/panels/overviewpanel.h"

#include "app/controls.h"
#include "app/desktop/shellhints.h"
#include "render/overviewmap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace velaro {

OverviewPanel::OverviewPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("overviewPanel"));
  // Opaque: a long boat list may lie under it.
  setAutoFillBackground(true);
  m_overviewMap = named(new QLabel, "overviewMap", this, QRect(3, 3, kOverviewSize, kOverviewSize));
  m_logo = named(new QLabel, "logo", this, QRect(3 + kOverviewSize + 7, 3, 80, 36));
  m_logo->setText(QStringLiteral("<b><i>Velaro</i></b>"));
  m_clockReadout = makeReadout("clockReadout", this);
  m_clockReadout->setGeometry(3, kOverviewSize + 6, kOverviewSize, 20);
  m_helpButton = named(new QPushButton(QStringLiteral("?")), "helpButton", this,
                       QRect(3 + kOverviewSize + 7, 44, 80, 25));
  connect(m_helpButton, &QPushButton::clicked, this,
          [this] { emit helpClicked(QStringLiteral("index.html")); });
  m_logo->setCursor(Qt::PointingHandCursor);
  for (QWidget* watched : {static_cast<QWidget*>(m_logo), static_cast<QWidget*>(m_helpButton)}) {
    watched->installEventFilter(this);
    watched->setMouseTracking(true);
  }
  setMouseTracking(true);
  m_overviewMap->installEventFilter(this);
}

bool OverviewPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_overviewMap) {
    if (event->type() == QEvent::MouseButtonPress) {
      emit mapClicked(static_cast<QMouseEvent*>(event)->position().toPoint());
    }
    return QWidget::eventFilter(watched, event);
  }
  switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
      emit hintRequested(watched == m_logo ? ShellHints::about() : ShellHints::help());
      break;
    case QEvent::Leave:
      emit hintEnded();
      break;
    case QEvent::MouseButtonRelease:
      if (watched == m_logo && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit helpClicked(QStringLiteral("about.html"));
      }
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void OverviewPanel::mouseMoveEvent(QMouseEvent* event) {
  // Moves over the pictures and read-outs arrive here too.
  if (!childAt(event->position().toPoint())) {
    emit pointerOnEmptyPart();
  }
  QWidget::mouseMoveEvent(event);
}

void OverviewPanel::setOverview(const QImage& map, const Projection& projection, std::vector<Rgb> colours) {
  m_overview = map;
  m_projection = projection;
  m_colours = std::move(colours);
  m_overviewMap->setPixmap(QPixmap::fromImage(map));
}

void OverviewPanel::showBoatDots(const std::vector<std::optional<GeoPoint>>& positions,
                                 const std::vector<int>& focused) {
  if (m_overview.isNull() || !m_projection) {
    return;
  }
  m_dotPositions.resize(positions.size());
  QImage overview = m_overview;
  QPainter p(&overview);
  for (int b = static_cast<int>(positions.size()) - 1; b >= 0; --b) {
    if (positions[b]) {
      m_dotPositions[b] = positions[b];
    }
    const bool isFocused = b >= static_cast<int>(focused.size()) || focused[b] != 0;
    if (m_dotPositions[b] && isFocused && b < static_cast<int>(m_colours.size())) {
      // Dot positions are panel coordinates; the map image sits at (3, 3).
      DrawBoatDot(p, BoatDotTopLeft(*m_projection, *m_dotPositions[b]) - QPoint(3, 3), m_colours[b]);
    }
  }
  p.end();
  m_overviewMap->setPixmap(QPixmap::fromImage(overview));
}

void OverviewPanel::showSceneDots(const SceneState& state, const std::vector<int>& focused) {
  std::vector<std::optional<GeoPoint>> positions(state.boats.size());
  for (size_t b = 0; b < state.boats.size(); ++b) {
    if (state.boats[b].BoatActive) {
      positions[b] = state.boats[b].position();
    }
  }
  showBoatDots(positions, focused);
}

void OverviewPanel::setClockText(const QString& text) {
  m_clockReadout->setPlainText(text);
}

}  // namespace velaro

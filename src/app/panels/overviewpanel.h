#pragma once

#include "app/panels/hintbox.h"
#include "core/analysis/boatcolours.h"
#include "core/analysis/mapgeometry.h"
#include "core/scene/scenestate.h"

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <optional>
#include <vector>

namespace velaro {

// The top of the right-hand column: the overview map of the whole race with
// a dot per boat, the date-time read-out below it, the logo (a click
// tells about the program) and the help button.
class OverviewPanel : public QWidget {
  Q_OBJECT

 public:
  explicit OverviewPanel(QWidget* parent = nullptr);

  // A new overview picture (after a load or a change of orientation), the
  // projection of its dots and the boats' colours. The dots reappear with
  // the next showBoatDots.
  void setOverview(const QImage& map, const Projection& projection, std::vector<Rgb> colours);
  // Forgets where the dots were (a new race).
  void clearBoatDots() { m_dotPositions.clear(); }
  // Draws the dots of the focused boats on the overview. A boat without a
  // position keeps its dot where it was; a boat missing from focused counts
  // as focused.
  void showBoatDots(const std::vector<std::optional<GeoPoint>>& positions, const std::vector<int>& focused);
  // The dots of the boats active in a scene.
  void showSceneDots(const SceneState& state, const std::vector<int>& focused);
  void setClockText(const QString& text);
  QString clockText() const { return m_clockReadout->toPlainText(); }

 signals:
  // The help button asks for the help's entry page, the logo for the page
  // about the program.
  void helpClicked(const QString& page);
  // A click on the overview map, in the map's own pixels.
  void mapClicked(QPoint at);
  // A hint for the help button or the logo under the pointer.
  void hintRequested(const Hint& hint);
  void hintEnded();
  // The pointer moves over the panel where no control is.
  void pointerOnEmptyPart();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QLabel* m_overviewMap = nullptr;
  QLabel* m_logo = nullptr;
  QPlainTextEdit* m_clockReadout = nullptr;
  QPushButton* m_helpButton = nullptr;

  QImage m_overview;
  std::optional<Projection> m_projection;
  std::vector<Rgb> m_colours;
  std::vector<std::optional<GeoPoint>> m_dotPositions;  // last drawn dot per boat
};

}  // namespace velaro

#pragma once

#include "core/loadedrace.h"
#include "core/scene/mapviewstate.h"
#include "core/scene/scenestate.h"
#include "render/scene/labelplacer.h"

#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QSize>

#include <vector>

namespace velaro {

// What every layer of the live scene draws from: the race, the view options
// and the state computed for the frame.
struct SceneContext {
  const LoadedRace& loaded;
  const SceneOptions& options;
  const SceneState& state;

  const Race& race() const { return loaded.race; }
  QColor sea() const { return QColor::fromRgb(state.SeaColour.argb()); }
};

// The canvas font at a point size, in the system's sans face.
QFont canvasFont(int pointSize = 9);

// Text with its top-left corner at a point, on an opaque background.
void textOut(QPainter& p, QPoint topLeft, const QString& text, const QColor& colour,
             const QColor& background);

// The layers in the order the live scene stacks them; each sets its own pens,
// brushes and fonts. Painters are expected with antialiasing off, so that the
// fixed colours land on whole pixels.
void DrawLights(QPainter& painter, const SceneContext& scene);
void DrawGrid(QPainter& painter, const SceneContext& scene);
void DrawCoastline(QPainter& painter, const SceneContext& scene);
void DrawScaleBar(QPainter& painter, const SceneContext& scene);
void DrawMarks(QPainter& painter, const SceneContext& scene);
void DrawCourseLines(QPainter& painter, const SceneContext& scene);
void DrawReferenceLines(QPainter& painter, const SceneContext& scene);
void DrawCourseRoute(QPainter& painter, const SceneContext& scene);
void DrawBoatPair(QPainter& painter, const SceneContext& scene);
// Where each boat's label goes this frame (boat order), clear of the other
// labels and of the names, read-outs and overlays drawn over the boats.
std::vector<LabelPlacement> PlaceBoatLabels(const SceneContext& scene, const QFontMetrics& metrics);
// Every label beside its boat.
void DrawWakesAndLabels(QPainter& painter, const SceneContext& scene);
// Each label where labels puts it; without placements, beside its boat.
void DrawWakesAndPlacedLabels(QPainter& painter, const SceneContext& scene,
                              const std::vector<LabelPlacement>* labels);
void DrawHighlights(QPainter& painter, const SceneContext& scene);
void DrawHulls(QPainter& painter, const SceneContext& scene);

// The whole-race view's boat names (boat order) for the boats drawn at
// centres (NaN x: not drawn), ranked at SceneTime, clear of each other, of the course's names, of the
// time box and of keepClear (the range and bearing read-out).
std::vector<LabelPlacement> PlaceWholeRaceNames(const SceneContext& course, const QFontMetrics& metrics,
                                                const std::vector<WholeRaceBoat>& boats,
                                                const std::vector<QPointF>& centres, double SceneTime,
                                                const QRect& timeBox, const std::vector<QRect>& keepClear);

// The wind axis and the two layline fans through a point on the map.
void DrawLaylines(QPainter& painter, const SceneContext& scene, QPoint at);

// Time to or since the start: large at the top around the gun, small in the
// bottom right corner otherwise; red before the start, blue after.
void DrawTimeCounter(QPainter& painter, double SceneTime, QSize mapArea);

// The analogue clock and the time of day in the bottom right corner, drawn
// only when the time of day moved since it was last drawn (ClockDrawnAt).
// surface is the size of the picture drawn on.
void DrawClock(QPainter& painter, double TimeOfDay, double& ClockDrawnAt, double SeaBrightness, QSize surface,
               QSize mapArea);

}  // namespace velaro

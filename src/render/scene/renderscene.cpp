#include "render/scene/renderscene.h"

#include "render/scene/scenelayers.h"

#include <QPainter>

namespace velaro {

// The layers are stacked in a fixed order: chart under course under boats,
// the overlays last. Antialiasing stays off so that marks, grid and counter
// keep their exact colours.
SceneState RenderScene(QImage& SceneBitmap, const LoadedRace& loaded, const SceneOptions& options, double t,
                       SceneCursor& cursor, SceneFill fill, LabelPlacing placing) {
  SceneState state = computeScene(loaded, options, t, cursor);
  if (fill == SceneFill::Sea) {
    SceneBitmap.fill(QColor::fromRgb(state.SeaColour.argb()));
  }
  QPainter painter(&SceneBitmap);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setBrush(QColor::fromRgb(state.SeaColour.argb()));
  const SceneContext scene{loaded, options, state};
  DrawLights(painter, scene);
  DrawGrid(painter, scene);
  DrawCoastline(painter, scene);
  DrawScaleBar(painter, scene);
  DrawMarks(painter, scene);
  DrawCourseLines(painter, scene);
  DrawReferenceLines(painter, scene);
  DrawCourseRoute(painter, scene);
  DrawBoatPair(painter, scene);
  std::vector<LabelPlacement> labels;
  if (placing == LabelPlacing::ClearOfEachOther) {
    painter.setFont(canvasFont());
    labels = PlaceBoatLabels(scene, painter.fontMetrics());
  }
  DrawWakesAndPlacedLabels(painter, scene, placing == LabelPlacing::ClearOfEachOther ? &labels : nullptr);
  DrawHighlights(painter, scene);
  DrawHulls(painter, scene);
  DrawTimeCounter(painter, t, options.mapArea);
  DrawClock(painter, options.TimeOfDay, cursor.ClockDrawnAt, options.SeaBrightness, SceneBitmap.size(),
            options.mapArea);
  return state;
}

std::vector<BoatMotion> boatMotions(const SceneState& state) {
  std::vector<BoatMotion> out;
  out.reserve(state.boats.size());
  for (const BoatScene& b : state.boats) {
    out.push_back({b.BoatActive && b.BoatFocused, b.BoatSpeed, b.BoatWindAngle});
  }
  return out;
}

bool SceneRenderer::prepareBitmap() {
  const QSize size = m_options.mapArea;
  const bool fresh = m_bitmap.size() != size;
  if (fresh) {
    m_bitmap = QImage(size, QImage::Format_RGB32);
  }
  if (m_loaded == nullptr) {
    m_bitmap.fill(QColor::fromRgb(seaShadeFor(m_options.SeaBrightness).SeaColour.argb()));
  }
  return fresh;
}

const QImage& SceneRenderer::draw(double t, SceneFill fill) {
  if (prepareBitmap()) {
    fill = SceneFill::Sea;
  }
  if (m_loaded == nullptr) {
    return m_bitmap;
  }
  m_state = RenderScene(m_bitmap, *m_loaded, m_options, t, m_cursor, fill);
  m_wholeRace = false;
  return m_bitmap;
}

const QImage& SceneRenderer::renderWholeRace(const MapViewState& view, double t,
                                             const std::vector<QRect>& keepClear) {
  prepareBitmap();
  if (m_loaded == nullptr) {
    return m_bitmap;
  }
  m_wholeRaceFrame =
      RenderWholeRace(m_bitmap, *m_loaded, m_options, view, t, m_state.wind.TrueDir, m_cursor, keepClear);
  m_wholeRace = true;
  return m_bitmap;
}

const QImage& SceneRenderer::render(double t) {
  return draw(t, SceneFill::Sea);
}

const QImage& SceneRenderer::renderOver(double t) {
  return draw(t, SceneFill::None);
}

double SceneRenderer::stepPlus(double SceneTime, double TimeAxisStart, double TimeAxisEnd) {
  return SingleStep(SceneTime, +1, TimeAxisStart, TimeAxisEnd);
}

double SceneRenderer::stepMinus(double SceneTime, double TimeAxisStart, double TimeAxisEnd) {
  return SingleStep(SceneTime, -1, TimeAxisStart, TimeAxisEnd);
}

}  // namespace velaro

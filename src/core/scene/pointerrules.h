#pragma once

#include "core/analysis/mapgeometry.h"
#include "core/scene/mapviewstate.h"

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace velaro {

// The pointer over the map does the work of buttons: its column chooses how
// much the live scene labels, the bottom rows turn on the speed comparison of
// the wakes, the top rows hide the sails, and with Shift held in the
// whole-race view it measures range and bearing from a base point.

// Rows at the top without sails and at the bottom with red wakes.
inline constexpr int kPointerBandPixels = 100;

// One of the window's yellow hints: its text (lines joined by CR LF), its
// size, and where it stands when it says so (else where the last one stood).
struct MapHint {
  QString text;
  QSize size;
  std::optional<QPoint> at;
};

// How to use the map, shown while the pointer is over the whole-race view.
MapHint mapTipsHint(bool japanese, int MapWidth);
// Over the wind graph in the live scene.
MapHint windGraphHint(bool japanese);
// In the bottom band of the live scene, at the map's top right corner.
MapHint redWakeHint(bool japanese, int MapWidth);

// Label detail from the pointer's column: 3 in the left quarter of the map
// down to 0 in the right one; the "Boat Name" box keeps at least 1.
int labelLevelAt(int X, int MapWidth, bool boatNamesChecked);

// Label detail with the pointer over the compass: names on the rim, none in
// the middle.
int compassLabelLevel(QPoint at, int compassWidth);

// A latitude or longitude (minutes) as the caption shows it: N35:12.345,
// E136:51.5. Zero reads S and W.
QString positionText(double minutes, bool latitude);

// The range and bearing read-out: "R= 1852m / BRG= 173deg(M)".
QString measureText(const RangeBearing& rb);

// Everything a pointer move over the map decides.
struct PointerMove {
  QPoint at;
  QSize mapArea;
  bool trackPage = true;
  bool boatNamesChecked = false;  // "Boat Name"
  bool HintsOn = true;
  bool japanese = false;
  QString RaceCaption;
  QString RaceNote;
  double CosCentreLat = 1;
  double MagVariation = 0;
};

// The yellow range and bearing box beside the pointer and, once a base point
// is set, the red line from it to the pointer.
struct MeasureReadout {
  QString text;
  QRect rect;
  std::optional<QLine> line;
};

struct PointerOutcome {
  int LabelLevel = 0;
  bool RedWakeMode = false;
  bool ShowSails = false;
  bool ShowWindVanes = false;
  bool stopWatchVisible = false;
  // The whole-race view is shown again from its picture, which wipes any
  // earlier measuring line.
  bool repaintScene = false;
  GeoPoint position;  // under the pointer, in the view on screen
  QString caption;    // the window's title
  std::optional<MapHint> hint;
  std::optional<MeasureReadout> measure;
};

// The rules of one pointer move over the map, in the order the window
// applies them. view is the projection of the picture on screen (live or
// whole-race); state gives the mode, Shift and the base point.
PointerOutcome pointerMove(const PointerMove& move, const MapViewState& state, const Projection& view);

}  // namespace velaro

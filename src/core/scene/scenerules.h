#pragma once

#include "core/analysis/boatcolours.h"
#include "core/analysis/mapgeometry.h"
#include "core/boatoutline.h"

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QString>

#include <array>

namespace velaro {

// The numbers the layers of the live scene draw with, kept apart from the
// painting so that they can be checked one by one.

// Offset of length r in screen direction e (degrees, 0 up, clockwise).
QPointF directionOffset(double r, double e);

// The 600-pixel arm of the wind axis and the laylines in direction b, after
// b is brought into -180..360.
QPoint ScreenVector(double b);

// Fixes the wake steps back per point: about 10000 / ScaleLat seconds of log
// spread over four points, never less than one fix.
int wakeStep(double ScaleLat, int LogInterval);
// The wake points: fixes C, C - U, C - 2U, C - 3U (0-based, none below 0).
std::array<int, 4> wakeFixes(int C, int U);
// A wake is red in the speed comparison when its boat logs faster than the
// mean of the focused boats on its point of sail.
bool isRedWake(double fixSpeed, double BoatWindAngle, double AvgSpeedUp, double AvgSpeedDown);

// Speed rounded to 0.01 in its shortest form: 6.25, 6.2, 6.
QString knotsText(double knots);
// The label of a boat: nothing below level 1, the name, or at level 2 and up
// the name with its speed; boats out of focus only by name from level 2.
QString boatLabel(const QString& name, double speed, int LabelLevel, bool focused);
// " (+0.5kts)" appended to each of two compared boats; red when ahead.
struct PairSuffix {
  QString text;
  bool faster = false;
};
PairSuffix pairSuffix(double speed, double otherSpeed);

// Range (metres) between two boats and how far one is ahead of the other
// along the wind axis, and the text drawn between them: "350m( 120m)".
struct BoatPair {
  double RangeMetres = 0;
  double BearingMag = 0;
  int alongWindMetres = 0;
  QString text;
};
BoatPair boatPair(GeoPoint a, GeoPoint b, double CosCentreLat, double MagVariation, int TrueDir);

// Apparent wind angle (degrees, 0..180) for a true wind of 10 knots at
// BoatWindAngle off the bow and the boat's speed; 90 where the wind along
// the boat cancels out.
double apparentWindAngle(double BoatSpeed, double BoatWindAngle);
// Angle of the boom off the bow (degrees, -180..180): half the apparent wind
// angle off the stern direction, on the leeward side.
double sailAngle(double BoatSpeed, double BoatWindAngle);

// Screen course of a hull: course, less WindAxis when wind up, in -180..180.
double screenCourse(double BoatCourse, Orientation orientation);
// Outline points 0..8 of a hull of BoatSize pixels at screen course h about
// the boat's unrounded position.
std::array<QPoint, 9> hullPoints(const BoatOutline& outline, int BoatSize, QPointF centre, double h);
// The sail: mast, then three points out to half a boat length along the boom.
std::array<QPoint, 4> sailPoints(QPoint mast, int BoatSize, double BoatCourse, double BoatSpeed,
                                 double BoatWindAngle, Orientation orientation);
// The wind vane wedge of every boat: three offsets between one and two boat
// lengths to windward, turned with the map.
std::array<QPointF, 3> vaneOffsets(int TrueDir, int BoatSize, Orientation orientation);
// Hull pen: the boat's colour on a bright sea, silver on a dark one.
Rgb hullPenColour(Rgb boatColour, double SeaBrightness);

// Kilometre grid spacing: a quarter of the window's height, held to 0.05,
// 0.1..0.5, 1, 2, 5 or whole tens of kilometres.
double gridSpacingKm(int FormHeight, double PixelsPerKm);
// The scale bar's label: "2Km", "500M".
QString scaleBarLabel(double gKm);

// Ring of a flashing light: shown at night while lit and within the view
// widened by some minutes; its radius grows with the flasher's phase.
bool lightRingShown(GeoPoint light, GeoPoint viewCentre, double ScaleLat, double ScaleLon, QSize mapArea,
                    double ZoomDivisor);
int lightRingRadius(double LightRange, double ScaleLat, double LightPhase);

// Elapsed time counter: the whole seconds to or from the start without sign.
QString counterText(double SceneTime);
struct CounterPlacement {
  bool big = false;
  int fontSize = 15;
  QPoint topLeft;
};
// Big at the top from 30 seconds before to 20 after the start, small in the
// bottom right corner otherwise.
CounterPlacement counterPlacement(double SceneTime, int textLength, QSize mapArea);

// The analogue clock's time of day text: 9:05:07.
QString clockText(double TimeOfDay);
struct ClockHand {
  QPoint tip;
  QPoint tail;
};
struct ClockHands {
  ClockHand hour;
  ClockHand minute;
  ClockHand second;
};
ClockHands clockHands(double TimeOfDay, QPoint centre);
// Grey face on a bright sea (white at full brightness), pale yellow at dusk.
Rgb clockFaceColour(double SeaBrightness);

}  // namespace velaro

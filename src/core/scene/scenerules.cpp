#include "core/scene/scenerules.h"

#include "core/datetime.h"
#include "core/scene/scenestate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velaro {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180;
constexpr double kArmPixels = 600;

// The clock's hands turn by this much per revolution; the face shows it.
constexpr double kClockTurn = 6.28;

QString twoDigits(int v) {
  return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// Whole numbers and hundredths without trailing zeros.
QString shortest(double v) {
  if (v == 0) {
    v = 0;  // no "-0"
  }
  return QString::number(v, 'g', 12);
}

}  // namespace

QPointF directionOffset(double r, double e) {
  return {r * std::sin(e * kDegToRad), -r * std::cos(e * kDegToRad)};
}

QPoint ScreenVector(double b) {
  if (b < -180) {
    b += 360;
  }
  if (b > 360) {
    b -= 360;
  }
  const QPointF v = directionOffset(kArmPixels, b);
  return {roundToInt(v.x()), roundToInt(v.y())};
}

// Zoomed out, the wake covers more fixes so that it stays about the same
// length on screen.
int wakeStep(double ScaleLat, int LogInterval) {
  const double interval = LogInterval > 0 ? LogInterval : 1;
  const double fixes = ScaleLat > 0 ? std::trunc(10000 / ScaleLat / interval) : 1;
  return std::max(1, roundToInt(std::min(fixes, 1e9)));
}

std::array<int, 4> wakeFixes(int C, int U) {
  std::array<int, 4> out{};
  for (int k = 0; k < 4; ++k) {
    out[k] = std::max(0, C - k * U);
  }
  return out;
}

bool isRedWake(double fixSpeed, double BoatWindAngle, double AvgSpeedUp, double AvgSpeedDown) {
  return std::fabs(BoatWindAngle) >= 90 ? fixSpeed > AvgSpeedDown : fixSpeed > AvgSpeedUp;
}

QString knotsText(double knots) {
  return shortest(roundHalfEven(knots * 100) / 100);
}

QString boatLabel(const QString& name, double speed, int LabelLevel, bool focused) {
  if (!focused) {
    return LabelLevel < 2 ? QString() : name;
  }
  if (LabelLevel < 1) {
    return {};
  }
  if (LabelLevel == 1) {
    return name;
  }
  return name + QStringLiteral("  ") + knotsText(speed) + QStringLiteral("Kts");
}

PairSuffix pairSuffix(double speed, double otherSpeed) {
  const double d = roundHalfEven((speed - otherSpeed) * 100) / 100;
  PairSuffix out;
  out.faster = d > 0;
  out.text = QStringLiteral(" (") + (out.faster ? QStringLiteral("+") : QString()) + shortest(d) +
             QStringLiteral("kts)");
  return out;
}

BoatPair boatPair(GeoPoint a, GeoPoint b, double CosCentreLat, double MagVariation, int TrueDir) {
  const RangeBearing rb = RangeAndBearing(a, b, CosCentreLat, MagVariation);
  BoatPair out;
  out.RangeMetres = rb.RangeMetres;
  out.BearingMag = rb.BearingMag;
  out.alongWindMetres =
      std::abs(roundToInt(out.RangeMetres * std::cos((out.BearingMag + MagVariation - TrueDir) * kDegToRad)));
  out.text = QString::number(roundToInt(out.RangeMetres)) + QStringLiteral("m( ") +
             QString::number(out.alongWindMetres) + QStringLiteral("m)");
  return out;
}

// The boat's own motion adds a head wind, which draws the felt wind forward.
double apparentWindAngle(double BoatSpeed, double BoatWindAngle) {
  const double a = std::fabs(BoatWindAngle) * kDegToRad;
  const double across = 10 * std::sin(a);
  const double along = BoatSpeed + 10 * std::cos(a);
  if (along == 0) {
    return 90;
  }
  double A = std::atan(across / along) / kDegToRad;
  if (A < 0) {
    A += 180;
  }
  return A;
}

double sailAngle(double BoatSpeed, double BoatWindAngle) {
  const double s = BoatWindAngle > 0 ? 1 : -1;
  double g = s * apparentWindAngle(BoatSpeed, BoatWindAngle) / 2 + 180;
  if (g > 180) {
    g -= 360;
  }
  return g;
}

double screenCourse(double BoatCourse, Orientation orientation) {
  const double h = orientation.isNorthUp() ? BoatCourse : BoatCourse - orientation.WindAxis;
  return foldAngle(h);
}

std::array<QPoint, 9> hullPoints(const BoatOutline& outline, int BoatSize, QPointF centre, double h) {
  const double c = std::cos(h * kDegToRad);
  const double s = std::sin(h * kDegToRad);
  std::array<QPoint, 9> out;
  for (int k = 0; k < 9; ++k) {
    const double px = outline.HullX[k] * BoatSize / 100.0;
    const double py = outline.HullY[k] * BoatSize / 100.0;
    out[k] = {roundToInt(centre.x() + px * c - py * s), roundToInt(centre.y() + px * s + py * c)};
  }
  return out;
}

std::array<QPoint, 4> sailPoints(QPoint mast, int BoatSize, double BoatCourse, double BoatSpeed,
                                 double BoatWindAngle, Orientation orientation) {
  const double s = BoatWindAngle > 0 ? 1 : -1;
  double d = BoatCourse + sailAngle(BoatSpeed, BoatWindAngle);
  if (!orientation.isNorthUp()) {
    d -= orientation.WindAxis;
  }
  const auto at = [&](double r, double e) {
    const QPointF p = QPointF(mast) + directionOffset(r, e);
    return QPoint(roundToInt(p.x()), roundToInt(p.y()));
  };
  return {mast, at(0.1 * BoatSize, d + 40 * s), at(0.25 * BoatSize, d + 16 * s), at(0.5 * BoatSize, d)};
}

std::array<QPointF, 3> vaneOffsets(int TrueDir, int BoatSize, Orientation orientation) {
  const std::array<QPointF, 3> raw = {directionOffset(BoatSize, TrueDir),
                                      directionOffset(2 * BoatSize, TrueDir - 5),
                                      directionOffset(2 * BoatSize, TrueDir + 5)};
  std::array<QPointF, 3> out;
  for (int k = 0; k < 3; ++k) {
    out[k] = Rotate(orientation.angle(), raw[k].x(), raw[k].y(), orientation.isNorthUp());
  }
  return out;
}

Rgb hullPenColour(Rgb boatColour, double SeaBrightness) {
  return SeaBrightness > 75 ? boatColour : Rgb{192, 192, 192};
}

// A quarter of the window height in tenths of a kilometre, then brought to a
// round spacing.
double gridSpacingKm(int FormHeight, double PixelsPerKm) {
  if (!(PixelsPerKm > 0)) {
    return 0.05;
  }
  const double tenths = std::trunc(std::min(FormHeight / PixelsPerKm * 10, 1e12));
  const double s = roundHalfEven(tenths / 4) / 10;
  double g = s <= 0.5 ? s : 0.5;
  if (s > 1) {
    g = 1;
  }
  if (s > 2) {
    g = 2;
  }
  if (s > 5) {
    g = 5;
  }
  if (s > 10) {
    g = std::trunc(s / 10) * 10;
  }
  if (g < 0.1) {
    g = 0.05;
  }
  return g;
}

QString scaleBarLabel(double gKm) {
  if (gKm >= 1) {
    return QString::number(gKm, 'g', 10) + QStringLiteral("Km");
  }
  return QString::number(gKm * 1000, 'g', 10) + QStringLiteral("M");
}

bool lightRingShown(GeoPoint light, GeoPoint viewCentre, double ScaleLat, double ScaleLon, QSize mapArea,
                    double ZoomDivisor) {
  const double halfLat = mapArea.height() / 2.0 / ScaleLat + 5 * ZoomDivisor;
  const double halfLon = mapArea.width() / 2.0 / ScaleLon + 6 * ZoomDivisor;
  return light.lat > viewCentre.lat - halfLat && light.lat < viewCentre.lat + halfLat &&
         light.lon > viewCentre.lon - halfLon && light.lon < viewCentre.lon + halfLon;
}

int lightRingRadius(double LightRange, double ScaleLat, double LightPhase) {
  return roundToInt(std::min(LightRange / 2 * ScaleLat * LightPhase, 1e6));
}

QString counterText(double SceneTime) {
  int n = std::abs(roundToInt(SceneTime));
  if (n < 60) {
    return QString::number(n);
  }
  QString text;
  if (n > 3000) {
    text = QString::number(n / 3600) + QLatin1Char(':');
    n %= 3600;
  }
  return text + twoDigits(n / 60) + QLatin1Char(':') + twoDigits(n % 60);
}

CounterPlacement counterPlacement(double SceneTime, int textLength, QSize mapArea) {
  CounterPlacement p;
  if (SceneTime > 20 || SceneTime < -30) {
    p.fontSize = 15;
    p.topLeft = {mapArea.width() - 9 * textLength - 15, mapArea.height() - 25};
  } else {
    p.big = true;
    p.fontSize = 50;
    p.topLeft = {roundToInt(mapArea.width() / 2.0 - 50) + 5, 15};
  }
  return p;
}

QString clockText(double TimeOfDay) {
  const int s = roundToInt(TimeOfDay);
  return QString::number(s / 3600) + QLatin1Char(':') + twoDigits(s % 3600 / 60) + QLatin1Char(':') +
         twoDigits(s % 60);
}

ClockHands clockHands(double T, QPoint c) {
  const auto hand = [&](double t, double r) {
    return ClockHand{{roundToInt(c.x() + r * std::sin(t)), roundToInt(c.y() - r * std::cos(t))},
                     {roundToInt(c.x() - 3 * std::sin(t)), roundToInt(c.y() + 3 * std::cos(t))}};
  };
  ClockHands h;
  h.hour = hand(kClockTurn * T / 12 / 3600, 18);
  h.minute = hand((T - std::trunc(T / 3600) * 3600) * kClockTurn / 3600, 26);
  h.second = hand((T - std::trunc(T / 24 / 60) * 24 * 60) * kClockTurn / 60, 27);
  return h;
}

Rgb clockFaceColour(double SeaBrightness) {
  if (SeaBrightness > 50) {
    const auto v = quint8(std::clamp(roundToInt(2 * SeaBrightness + 55), 0, 255));
    return {v, v, v};
  }
  return {192, 192, 55};
}

}  // namespace velaro

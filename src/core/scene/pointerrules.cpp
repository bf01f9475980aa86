#include "core/scene/pointerrules.h"

#include "core/datetime.h"

#include <algorithm>
#include <cmath>

namespace velaro {

namespace {

const QString kBreak = QStringLiteral("\r\n");

// Hints stand this far in from the map's top right corner.
constexpr int kHintMargin = 5;

// A number as its shortest decimal text with up to 15 significant digits,
// never in exponent form.
QString shortestDecimal(double v) {
  QString s = QString::number(v, 'g', 15);
  if (s.contains(QLatin1Char('e'))) {
    s = QString::number(v, 'f', 20);
    while (s.endsWith(QLatin1Char('0'))) {
      s.chop(1);
    }
    if (s.endsWith(QLatin1Char('.'))) {
      s.chop(1);
    }
  }
  return s;
}

}  // namespace

MapHint mapTipsHint(bool japanese, int MapWidth) {
  MapHint hint;
  if (japanese) {
    hint.text = QStringLiteral("左ｸﾘｯｸでｸﾘｯｸした点を中心に地図が拡大") + kBreak +
                QStringLiteral("右ｸﾘｯｸで縮小します") + kBreak + kBreak +
                QStringLiteral("Shiftを押している間は距離方位計測ﾓｰﾄﾞになります") + kBreak +
                QStringLiteral("ｸﾘｯｸすると基点が設定され､マウスを移動すると") + kBreak +
                QStringLiteral("移動した地点までの距離、方位を表示します");
    hint.size = QSize(270, 85);
  } else {
    hint.text = QStringLiteral("Left Button => Enlarge Map.") + kBreak +
                QStringLiteral("Right Button => Shrink Map") + kBreak +
                QStringLiteral("(Click point is a center of map)") + kBreak + kBreak +
                QStringLiteral("Shift Key to be Range & Bearing Measuring Mode") + kBreak +
                QStringLiteral("MouseDown to Set Base Point and Move to") + kBreak +
                QStringLiteral("Indicate Range and Bearing to New Point");
    hint.size = QSize(290, 100);
  }
  // In the top right corner, where the whole-race view draws nothing of its
  // own and the box covers the least of the race.
  hint.at = QPoint(MapWidth - hint.size.width() - kHintMargin, kHintMargin);
  return hint;
}

MapHint windGraphHint(bool japanese) {
  if (japanese) {
    return {QStringLiteral("地図画面をクリックすると風向グラフ表示をON/OFFできます"), QSize(350, 20), {}};
  }
  return {QStringLiteral("TWD graph can be ON/OFF when click map."), QSize(300, 20), {}};
}

MapHint redWakeHint(bool japanese, int MapWidth) {
  const QPoint at(MapWidth - 275, kHintMargin);
  if (japanese) {
    return {QStringLiteral("平均速度より速い艇の航跡が赤字で表示されます"), QSize(270, 20), at};
  }
  return {QStringLiteral("Red wake boats are faster than avg boats"), QSize(270, 20), at};
}

int labelLevelAt(int X, int MapWidth, bool boatNamesChecked) {
  int level = 0;
  if (X < MapWidth / 4.0) {
    level = 3;
  } else if (X < MapWidth / 2.0) {
    level = 2;
  } else if (X < 3 * MapWidth / 4.0) {
    level = 1;
  }
  return level == 0 && boatNamesChecked ? 1 : level;
}

int compassLabelLevel(QPoint at, int compassWidth) {
  const double mid = compassWidth / 2.0;
  return std::hypot(at.x() - mid, at.y() - mid) >= 0.4 * compassWidth ? 1 : 0;
}

// Degrees are whole; the minutes are cut, not rounded, to six characters.
QString positionText(double minutes, bool latitude) {
  const QChar letter = latitude ? (minutes > 0 ? QLatin1Char('N') : QLatin1Char('S'))
                                : (minutes > 0 ? QLatin1Char('E') : QLatin1Char('W'));
  const double v = std::fabs(minutes);
  const double degrees = std::trunc(v / 60);
  const double rest = std::max(0.0, v - 60 * degrees);
  return letter + QString::number(degrees, 'f', 0) + QLatin1Char(':') + shortestDecimal(rest).left(6);
}

QString measureText(const RangeBearing& rb) {
  return QStringLiteral("R= ") + QString::number(roundToInt(rb.RangeMetres)) + QStringLiteral("m / BRG= ") +
         QString::number(roundToInt(rb.BearingMag)) + QStringLiteral("deg(M)");
}

PointerOutcome pointerMove(const PointerMove& move, const MapViewState& state, const Projection& view) {
  PointerOutcome out;
  const int X = move.at.x();
  const int Y = move.at.y();
  const bool live = !state.isWholeRace();
  const bool wholeRaceShown = state.isWholeRace() && move.trackPage;

  out.stopWatchVisible = move.trackPage;
  out.repaintScene = wholeRaceShown;
  if (wholeRaceShown && move.HintsOn) {
    out.hint = mapTipsHint(move.japanese, move.mapArea.width());
  }

  out.LabelLevel = labelLevelAt(X, move.mapArea.width(), move.boatNamesChecked);
  out.RedWakeMode = live && Y > move.mapArea.height() - kPointerBandPixels;
  out.ShowSails = live && Y > kPointerBandPixels;

  out.position = view.toGeo(QPointF(move.at));
  if (move.trackPage) {
    out.caption = move.RaceCaption + QString(7, QLatin1Char(' ')) + positionText(out.position.lat, true) +
                  QString(4, QLatin1Char(' ')) + positionText(out.position.lon, false) +
                  QString(6, QLatin1Char(' ')) + move.RaceNote;
  } else {
    out.caption = move.RaceCaption + QString(5, QLatin1Char(' ')) + move.RaceNote;
  }

  if (wholeRaceShown && state.ShiftDown) {
    MeasureReadout m;
    int width = 180;
    if (state.basePointSet()) {
      m.text =
          measureText(RangeAndBearing(state.BasePoint, out.position, move.CosCentreLat, move.MagVariation));
      m.line = QLine(state.BasePointXY, move.at);
      width = 200;
    } else {
      m.text =
          move.japanese ? QStringLiteral("基点の位置をクリック") : QStringLiteral("Click to set base point");
    }
    m.rect = QRect(X + 10, Y - 20, width, 17);
    out.measure = m;
  }

  if (out.RedWakeMode && move.trackPage) {
    out.hint = redWakeHint(move.japanese, move.mapArea.width());
  }
  return out;
}

}  // namespace velaro

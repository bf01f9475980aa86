#pragma once

#include "core/analysis/boatcolours.h"
#include "core/loadedrace.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

#include <initializer_list>
#include <vector>

namespace velaro {

// A boat as the gap chart and the polar chart draw it.
struct ChartBoat {
  int number = 0;  // 1-based, as velaro-cli info numbers the boats
  QString name;
  Rgb colour;
};

// Boats n of a loaded race (1-based numbers; others are left out), in the
// colours every view gives them.
std::vector<ChartBoat> ChartBoatsOf(const LoadedRace& loaded, const std::vector<int>& numbers);

// Boats past the fifteenth repeat the first colours, and some of the first
// fifteen share one: among the boats drawn, the second of a colour is dashed,
// the third dotted and so on, so that curves of one colour stay apart.
std::vector<Qt::PenStyle> ChartPenStyles(const std::vector<ChartBoat>& boats);

// The charts' text grows with the picture, from 10 pixels on a small one.
QFont ChartFont(QSize picture, bool bold = false);

// A white picture with an antialiasing painter on it and the measures a
// chart lays itself out by. The painter is declared after the picture, so it
// ends before the picture goes; finish() ends it early to hand the picture
// over without the copy a picture still being painted would need.
struct ChartCanvas {
  // defaultSize when wanted is empty.
  ChartCanvas(QSize wanted, QSize defaultSize);
  ChartCanvas(const ChartCanvas&) = delete;
  ChartCanvas& operator=(const ChartCanvas&) = delete;

  QImage finish();

  QSize size;
  QImage image;
  QPainter painter;
  QFont font;  // the plain ChartFont of the picture
  QFontMetricsF metrics;
  double lineHeight = 0;
  double pad = 0;  // between the picture's edges and what is drawn
};

// The first step not below least; the last when every step is.
double StepAtLeast(std::initializer_list<double> steps, double least);

// A curve in the boat's colour and line style, its dashes measured along the
// whole polyline. Painted as separate straight strokes with square caps,
// which the painter fills far faster than a joined or dashed path: a chart
// of 81 boats over three hours has some 90,000 segments.
void DrawChartPolyline(QPainter& p, const std::vector<QPointF>& points, const QColor& colour, double width,
                       Qt::PenStyle style);

// A short stroke of the boat's line, as the legend shows it.
void DrawPenSample(QPainter& p, const QPointF& from, double length, const QColor& colour, double width,
                   Qt::PenStyle style);

// Text with its vertical middle at y: left-aligned from x, or ending at x
// when alignRight.
void DrawTextMiddle(QPainter& p, double x, double y, const QString& text, bool alignRight = false);

}  // namespace velaro

#pragma once

#include <QString>

namespace velaro {

// Number and time texts shared by the performance table and the KML file.
// All of them use "." as the decimal point whatever the locale.

// The shortest decimal text with at most 15 significant digits; exponent form
// ("1.5E-6", "2E15") for magnitudes below 0.00001 or from 10^15.
QString generalText(double value);

// The general text cut four characters after its point (truncation: 2.99999
// gives 2.9999, 1.5 gives 1.5000); a text without a point stays as it is.
QString fourDecimalCut(double value);

// The first five characters of the general text: 12.345678 gives 12.34,
// 1234.56 gives "1234.".
QString fiveCharCut(double value);

// The general text without its fraction: 123.9 gives 123.
QString bearingText(double value);

// Rounded to the nearest integer, halves to even.
QString wholeNumberText(double value);

// "+" in front of text when value is above 0.
QString signedText(double value, const QString& text);

// A CSV field: names and item texts come from the race files as typed, and
// one holding a comma, a quote or a line break is quoted, so that it stays
// one cell instead of shifting the rest of its row.
QString csvField(const QString& text);

// "yyyy/MM/dd HH:mm:ss" of start plus whole seconds; the time and its blank
// are left out when the result is exactly midnight.
QString dateTimeText(double start, int seconds = 0);

}  // namespace velaro

#include "core/reports/reporttext.h"

#include "core/datetime.h"

#include <cmath>

namespace velaro {

namespace {

constexpr int kSignificantDigits = 15;
constexpr double kSmallestFixed = 0.00001;
constexpr double kLargestFixed = 1e15;

// Decimal text with at most 15 significant digits and no trailing zeros.
// The cuts work on the fixed form even for tiny values, so that a difference
// of 1.5E-7 is cut to 0.0000 instead of to a broken exponent.
QString decimalText(double value, bool exponentForm) {
  if (!std::isfinite(value)) {
    return QString::number(value);
  }
  if (value == 0) {
    return QStringLiteral("0");
  }
  const double magnitude = std::fabs(value);
  // QString::number with 'e' always writes d.ddd...e±XX in the C locale.
  const QString scientific = QString::number(magnitude, 'e', kSignificantDigits - 1);
  const qsizetype ePos = scientific.indexOf(u'e');
  QString digits = scientific.left(ePos);
  digits.remove(u'.');
  const int exponent = scientific.mid(ePos + 1).toInt();
  while (digits.size() > 1 && digits.endsWith(u'0')) {
    digits.chop(1);
  }

  QString text;
  const bool useExponent = exponentForm && (magnitude < kSmallestFixed || magnitude >= kLargestFixed);
  if (useExponent) {
    text = digits.left(1);
    if (digits.size() > 1) {
      text += u'.' + digits.mid(1);
    }
    text += u'E' + QString::number(exponent);
  } else if (exponent >= 0) {
    const qsizetype intDigits = exponent + 1;
    if (digits.size() <= intDigits) {
      text = digits + QString(intDigits - digits.size(), u'0');
    } else {
      text = digits.left(intDigits) + u'.' + digits.mid(intDigits);
    }
  } else {
    text = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
  }
  return value < 0 ? u'-' + text : text;
}

}  // namespace

QString generalText(double value) {
  return decimalText(value, true);
}

QString fourDecimalCut(double value) {
  const QString text = decimalText(value, false);
  const qsizetype point = text.indexOf(u'.');
  if (point < 0) {
    return text;
  }
  return (text + QStringLiteral("00000")).left(point + 5);
}

QString fiveCharCut(double value) {
  return decimalText(value, false).left(5);
}

QString bearingText(double value) {
  const QString text = decimalText(value, false);
  const qsizetype point = text.indexOf(u'.');
  return point < 0 ? text : text.left(point);
}

QString wholeNumberText(double value) {
  return QString::number(roundToInt(value));
}

QString signedText(double value, const QString& text) {
  return value > 0 ? u'+' + text : text;
}

QString dateTimeText(double start, int seconds) {
  const QDateTime at = fromDateTime(start).addSecs(seconds);
  const QString date = at.toString(QStringLiteral("yyyy/MM/dd"));
  if (at.time() == QTime(0, 0)) {
    return date;
  }
  return date + u' ' + at.toString(QStringLiteral("HH:mm:ss"));
}

QString csvField(const QString& text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) {
    return text;
  }
  QString quoted = text;
  quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

}  // namespace velaro

#include "core/datetime.h"

#include <QStringList>

#include <cstdint>
#include <limits>

namespace velaro {

namespace {

// A function, not a global, so that other files' static initialisers may use it.
QDate epoch() {
  return QDate(1899, 12, 30);
}

bool parseDate(const QString& text, QDate* out) {
  const QChar sep = text.contains(u'/') ? u'/' : u'-';
  const QStringList parts = text.split(sep);
  if (parts.size() != 3) {
    return false;
  }
  bool okY = false, okM = false, okD = false;
  int y = parts[0].toInt(&okY);
  const int m = parts[1].toInt(&okM);
  const int d = parts[2].toInt(&okD);
  if (!okY || !okM || !okD) {
    return false;
  }
  // Two-digit years follow the usual window of date parsers: 00..49 -> 2000s.
  if (parts[0].size() <= 2) {
    y += y < 50 ? 2000 : 1900;
  }
  const QDate date(y, m, d);
  if (!date.isValid()) {
    return false;
  }
  *out = date;
  return true;
}

// Hours:minutes[:seconds[.fraction]]; returns the fraction of a day.
bool parseTime(const QString& text, double* dayFraction) {
  const QStringList parts = text.split(u':');
  if (parts.size() < 2 || parts.size() > 3) {
    return false;
  }
  bool okH = false, okM = false, okS = true;
  const int h = parts[0].toInt(&okH);
  const int m = parts[1].toInt(&okM);
  double s = 0;
  if (parts.size() == 3) {
    s = parts[2].toDouble(&okS);
  }
  if (!okH || !okM || !okS || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s >= 60) {
    return false;
  }
  *dayFraction = (h * 3600.0 + m * 60.0 + s) / kSecondsPerDay;
  return true;
}

bool isTimeText(const QString& t) {
  return t.contains(u':');
}

}  // namespace

int truncToInt(double value) {
  const double r = std::trunc(value);
  if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max())) {
    return value < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  }
  return static_cast<int>(r);
}

double toDateTime(const QDate& date, const QTime& time) {
  return static_cast<double>(epoch().daysTo(date)) + time.msecsSinceStartOfDay() / (kSecondsPerDay * 1000.0);
}

double toDateTime(const QDateTime& dateTime) {
  return toDateTime(dateTime.date(), dateTime.time());
}

QDateTime fromDateTime(double dateTime) {
  const double days = std::floor(dateTime);
  const double msecs = std::round((dateTime - days) * kSecondsPerDay * 1000.0);
  QDateTime result(epoch().addDays(static_cast<qint64>(days)), QTime(0, 0), Qt::UTC);
  return result.addMSecs(static_cast<qint64>(msecs));
}

QDate datePart(double dateTime) {
  return fromDateTime(dateTime).date();
}

double dateOnly(double dateTime) {
  return std::floor(dateTime);
}

std::optional<double> TextToDateTime(const QString& text) {
  const QStringList words = text.simplified().split(u' ', Qt::SkipEmptyParts);
  if (words.isEmpty() || words.size() > 2) {
    return std::nullopt;
  }
  QDate date = epoch();
  double fraction = 0;
  bool haveDate = false, haveTime = false;
  for (const QString& word : words) {
    if (isTimeText(word)) {
      if (haveTime || !parseTime(word, &fraction)) {
        return std::nullopt;
      }
      haveTime = true;
    } else {
      if (haveDate || !parseDate(word, &date)) {
        return std::nullopt;
      }
      haveDate = true;
    }
  }
  return toDateTime(date) + fraction;
}

int SecondsBetween(double a, double b) {
  const double magnitude = std::floor(std::fabs(b - a) * kSecondsPerDay + 0.5);
  if (!(magnitude <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    return kSecondsOverflow;
  }
  const int seconds = static_cast<int>(magnitude);
  return b < a ? -seconds : seconds;
}

QString formatDate(double dateTime) {
  return fromDateTime(dateTime).toString(QStringLiteral("yyyy/MM/dd"));
}

QString formatTime(double dateTime) {
  return fromDateTime(dateTime).toString(QStringLiteral("HH:mm:ss"));
}

QString formatDateTime(double dateTime) {
  return formatDate(dateTime) + u' ' + formatTime(dateTime);
}

}  // namespace velaro

#include "core/readers/gpxreader.h"

#include "core/datetime.h"

#include <QDate>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velaro {

namespace {

// GPX scanner
//
// The file is scanned in memory for "<trkpt"; the text from there to the
// point's closing tag (or the next point, or the end of the document) is one
// point. Its latitude and longitude come from the attributes of the start
// tag, its time from the first <time> element. Element names are compared
// without regard to case; anything else in the point (elevation, extension
// elements with their namespaces) is not looked at, so it cannot disturb the
// reading. The scan touches each byte a small fixed number of times.

constexpr char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether the text at p starts with needle (given in lower case), any case.
bool startsWithCi(const char* p, const char* end, std::string_view needle) {
  if (end - p < static_cast<std::ptrdiff_t>(needle.size())) {
    return false;
  }
  for (size_t i = 0; i < needle.size(); ++i) {
    if (lowerAscii(p[i]) != needle[i]) {
      return false;
    }
  }
  return true;
}

// "</gpx>" but not "</gpxtpx:hr>" and the like.
bool isGpxEndTag(const char* open, const char* end) {
  if (!startsWithCi(open, end, "</gpx")) {
    return false;
  }
  const char* after = open + 5;
  return after < end && (*after == '>' || isBlank(*after));
}

// The characters searched for are mostly a few dozen bytes ahead: the first
// 64 bytes are looked at inline, 16 at a time, which is cheaper there than a
// call.
const char* findChar(const char* p, const char* end, char c) {
  if (p >= end) {
    return nullptr;
  }
#ifdef __SSE2__
  const __m128i wanted = _mm_set1_epi8(c);
  for (int block = 0; block < 4 && end - p >= 16; ++block, p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted));
    if (hits != 0) {
      return p + __builtin_ctz(static_cast<unsigned>(hits));
    }
  }
#endif
  return static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(end - p)));
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// The decimals loggers write ("-35.2892132", "2.40"), read without the
// general conversion: up to 15 digits make a whole number a double holds
// exactly, as it does every power of ten up to 10^22, and one division of
// exact doubles is correctly rounded, so the result is the one from_chars
// gives. Anything else (exponents, more digits) is left to from_chars.
std::optional<double> plainDecimal(std::string_view text) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  constexpr size_t kMaxDigits = 15;
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p < end && *p == '-';
  p += negative ? 1 : 0;
  auto isDigit = [](char c) { return static_cast<unsigned char>(c - '0') <= 9; };
  const char* const whole = p;
  std::uint64_t mantissa = 0;
  // More than 15 digits may wrap the mantissa; the count below refuses them.
  for (; p < end && isDigit(*p); ++p) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  const size_t wholeDigits = static_cast<size_t>(p - whole);
  size_t fractionDigits = 0;
  if (p < end && *p == '.' && wholeDigits > 0) {
    const char* const fraction = ++p;
    for (; p < end && isDigit(*p); ++p) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    fractionDigits = static_cast<size_t>(p - fraction);
    if (fractionDigits == 0) {
      return std::nullopt;
    }
  }
  if (p != end || wholeDigits == 0 || wholeDigits + fractionDigits > kMaxDigits) {
    return std::nullopt;
  }
  const double value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
  return negative ? -value : value;
}

// A plain decimal number, optionally signed, nothing else.
std::optional<double> parseNumber(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
      return std::nullopt;
    }
  }
  if (text.empty()) {
    return std::nullopt;
  }
  if (const auto value = plainDecimal(text)) {
    return value;
  }
  double value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

struct Attribute {
  bool present = false;     // the name was found as an attribute
  bool wellFormed = false;  // followed by = and a quoted value
  std::string_view value;   // the value, or the text after the name when not well formed
};

// The attribute name (lower case) of a start tag, any case.
Attribute findAttribute(std::string_view tag, std::string_view name) {
  const char* const begin = tag.data();
  const char* const end = begin + tag.size();
  for (const char* p = begin; p + name.size() <= end; ++p) {
    if (p == begin || !isBlank(p[-1]) || !startsWithCi(p, end, name)) {
      continue;
    }
    const char* q = p + name.size();
    while (q < end && isBlank(*q)) {
      ++q;
    }
    if (q == end || *q != '=') {
      continue;  // another attribute that starts with the same letters
    }
    Attribute attribute;
    attribute.present = true;
    ++q;
    while (q < end && isBlank(*q)) {
      ++q;
    }
    const char* closing = q < end && (*q == '"' || *q == '\'') ? findChar(q + 1, end, *q) : nullptr;
    if (closing == nullptr) {
      attribute.value = std::string_view(q, static_cast<size_t>(std::min<std::ptrdiff_t>(end - q, 40)));
      return attribute;
    }
    attribute.wellFormed = true;
    attribute.value = std::string_view(q + 1, static_cast<size_t>(closing - q - 1));
    return attribute;
  }
  return {};
}

bool parseDigits(std::string_view text, size_t at, size_t count, int* value) {
  int v = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
      return false;
    }
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

// "YYYY-MM-DD" and "hh:mm:ss[.fff]", the form nearly every logger writes,
// without going through text conversion. Gives the same value as the
// general conversion.
std::optional<double> fastDateTime(std::string_view date, std::string_view time,
                                   std::optional<double> raceDate) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' || !parseDigits(date, 0, 4, &y) ||
      !parseDigits(date, 5, 2, &mo) || !parseDigits(date, 8, 2, &d)) {
    return std::nullopt;
  }
  if (time.size() < 8 || time[2] != ':' || time[5] != ':' || !parseDigits(time, 0, 2, &h) ||
      !parseDigits(time, 3, 2, &mi) || !parseDigits(time, 6, 2, &s)) {
    return std::nullopt;
  }
  double fraction = 0;
  if (time.size() > 8) {
    if (time[8] != '.' || time.size() == 9) {
      return std::nullopt;
    }
    const auto value = parseNumber(time.substr(6));
    if (!value) {
      return std::nullopt;
    }
    fraction = *value - s;
  }
  if (!QDate::isValid(y, mo, d) || h > 23 || mi > 59 || s > 59) {
    return std::nullopt;
  }
  static const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();
  double days = static_cast<double>(QDate(y, mo, d).toJulianDay() - kEpochJulianDay);
  if (raceDate && std::fabs(days - std::floor(*raceDate)) >= 365) {
    days = static_cast<double>(QDate(2000, 1, 1).toJulianDay() - kEpochJulianDay);
  }
  return days + (h * 3600.0 + mi * 60.0 + (s + fraction)) / kSecondsPerDay;
}

// "+hh:mm", "-hhmm" or "+hh" in minutes east of UTC.
std::optional<int> parseZoneOffset(std::string_view text) {
  if (text.size() < 3) {
    return std::nullopt;
  }
  const int sign = text[0] == '-' ? -1 : 1;
  int h = 0, m = 0;
  if (!parseDigits(text, 1, 2, &h)) {
    return std::nullopt;
  }
  std::string_view rest = text.substr(3);
  if (!rest.empty() && rest.front() == ':') {
    rest.remove_prefix(1);
  }
  if (!rest.empty() && (rest.size() != 2 || !parseDigits(rest, 0, 2, &m))) {
    return std::nullopt;
  }
  if (h > 23 || m > 59) {
    return std::nullopt;
  }
  return sign * (h * 60 + m);
}

// Where a or b first occurs. string_view's find_first_of calls memchr on
// its set for every character, which costs more than the rest of a time.
size_t findEither(std::string_view text, char a, char b) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == a || text[i] == b) {
      return i;
    }
  }
  return std::string_view::npos;
}

int lineAt(const char* begin, const char* at) {
  return 1 + static_cast<int>(std::count(begin, at, '\n'));
}

QString shown(std::string_view text) {
  constexpr size_t kMaxShown = 80;
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(text.size(), kMaxShown)));
}

}  // namespace

std::optional<double> parseGpxTime(QByteArrayView bytes, std::optional<double> raceDate) {
  const std::string_view text = trimmed(std::string_view(bytes.data(), static_cast<size_t>(bytes.size())));
  const size_t t = findEither(text, 't', 'T');
  if (t == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view date = trimmed(text.substr(0, t));
  std::string_view time = text.substr(t + 1);
  int offsetMinutes = 0;
  const size_t z = findEither(time, 'z', 'Z');
  if (z != std::string_view::npos) {
    time = time.substr(0, z);
  } else {
    // A numeric zone follows the seconds; a time without a zone is UTC as
    // GPX prescribes.
    const size_t sign = findEither(time, '+', '-');
    if (sign != std::string_view::npos) {
      const auto offset = parseZoneOffset(trimmed(time.substr(sign)));
      if (!offset) {
        return std::nullopt;
      }
      offsetMinutes = *offset;
      time = time.substr(0, sign);
    }
  }
  time = trimmed(time);
  if (time.empty()) {
    return std::nullopt;
  }
  auto value = fastDateTime(date, time, raceDate);
  if (!value) {
    value = fixDateTime(QString::fromUtf8(time.data(), static_cast<qsizetype>(time.size())),
                        QString::fromUtf8(date.data(), static_cast<qsizetype>(date.size())), raceDate);
  }
  if (!value) {
    return std::nullopt;
  }
  return *value - offsetMinutes / (24.0 * 60.0);
}

TrackReadResult readGpx(QByteArrayView bytes, const TrackReadOptions& options) {
  TrackReadResult result;
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  const char* nextYield = begin + kYieldEveryBytes;

  auto fail = [&](const char* at, std::string_view text, const char* message) {
    ReadError error;
    error.file = options.fileName;
    error.line = lineAt(begin, at);
    error.text = shown(text);
    error.message = QString::fromLatin1(message);
    result.error = error;
  };

  const char* p = begin;
  while (p < end) {
    if (p >= nextYield) {
      if (options.yield) {
        options.yield();
      }
      nextYield = p + kYieldEveryBytes;
    }
    const char* open = findChar(p, end, '<');
    if (open == nullptr) {
      break;
    }
    const char* name = open + 1;
    if (isGpxEndTag(open, end)) {
      break;
    }
    if (!startsWithCi(name, end, "trkpt")) {
      p = name;
      continue;
    }

    // The point runs to its closing tag; a missing closing tag ends it at
    // the next point or the end of the document. A point that runs into the
    // end of the file was cut off (a logger that lost power, a copy that
    // stopped) and is no fix. The same pass finds the first <time> after the
    // start tag and the tag that ends its text.
    const char* body = name + 5;
    const char* stop = end;
    const char* resume = end;
    bool ended = false;
    const char* firstClose = findChar(body, end, '>');
    const char* timeOpen = nullptr;
    const char* timeClose = nullptr;
    for (const char* q = findChar(body, end, '<'); q != nullptr; q = findChar(q + 1, end, '<')) {
      if (timeOpen != nullptr && timeClose == nullptr) {
        timeClose = q;
      }
      if (startsWithCi(q + 1, end, "/trkpt>")) {
        stop = q;
        resume = q + 8;
        ended = true;
        break;
      }
      if (isGpxEndTag(q, end)) {
        stop = q;
        resume = q;
        ended = true;
        break;
      }
      if (startsWithCi(q + 1, end, "trkpt")) {
        stop = q;
        resume = q;
        ended = true;
        break;
      }
      if (timeOpen == nullptr && firstClose != nullptr && q > firstClose &&
          startsWithCi(q + 1, end, "time>")) {
        timeOpen = q + 6;
      }
    }
    p = resume;
    if (!ended) {
      break;
    }

    const char* tagEnd = firstClose != nullptr && firstClose < stop ? firstClose : nullptr;
    const std::string_view startTag(body, static_cast<size_t>((tagEnd ? tagEnd : stop) - body));
    const Attribute lat = findAttribute(startTag, "lat");
    const Attribute lon = findAttribute(startTag, "lon");
    if (tagEnd == nullptr) {
      timeOpen = nullptr;
    }
    if (!lat.present || !lon.present || timeOpen == nullptr) {
      continue;  // not a fix
    }
    const auto latDeg = lat.wellFormed ? parseNumber(lat.value) : std::nullopt;
    if (!latDeg) {
      fail(open, lat.value, "latitude is not a number");
      return result;
    }
    const auto lonDeg = lon.wellFormed ? parseNumber(lon.value) : std::nullopt;
    if (!lonDeg) {
      fail(open, lon.value, "longitude is not a number");
      return result;
    }
    const std::string_view timeText(timeOpen, static_cast<size_t>((timeClose ? timeClose : stop) - timeOpen));
    const auto time = parseGpxTime(QByteArrayView(timeText.data(), static_cast<qsizetype>(timeText.size())),
                                   options.raceDate);
    if (!time) {
      fail(timeOpen, trimmed(timeText), "time is not a date and time");
      return result;
    }
    if (!isPlausiblePosition(*latDeg, *lonDeg)) {
      continue;
    }
    result.fixes.push_back({*time, *latDeg * 60, *lonDeg * 60});
  }
  return result;
}

}  // namespace velaro

#include "core/readers/dtrreader.h"

#include "core/datetime.h"
#include "core/textutil.h"

#include <QDate>
#include <QStringDecoder>

#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velaro {

namespace {

// DTR/TRK reader
//
// Logs are read straight from their bytes, line by line. A line of plain
// ASCII (blanks as its only white space) is split and converted here, without
// building text; the numbers and dates loggers write convert here too. Any
// other line, and any field this scan does not recognise, goes through the
// general text conversions, so every line reads exactly as the general
// conversions read it.

constexpr int kTrackLineColumns = 6;
constexpr int kLinesPerYield = 20000;
// Field splitting keeps at most 5000 characters after a blank; lines up to
// this length are split the same either way.
constexpr qsizetype kMaxPlainLineBytes = 4096;
// Up to 15 digits make a whole number a double holds exactly.
constexpr int kMaxExactDigits = 15;
constexpr int kMaxIntDigits = 9;

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool isDigit(char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

bool isAscii(QByteArrayView bytes) {
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
#ifdef __SSE2__
  for (; end - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (_mm_movemask_epi8(block) != 0) {
      return false;
    }
  }
#endif
  for (; p < end; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) {
      return false;
    }
  }
  return true;
}

// A whole number of 1 to 9 digits, nothing else.
std::optional<int> plainInt(std::string_view text) {
  if (text.empty() || text.size() > kMaxIntDigits) {
    return std::nullopt;
  }
  int value = 0;
  for (const char c : text) {
    if (!isDigit(c)) {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

// Digits with an optional "." and more digits ("12", "12.345"), at most 15
// digits: the mantissa is exact and so is the power of ten, so one division
// gives the correctly rounded value, the one the text conversion gives.
// Signs, exponents, a bare "." and longer numbers are left to the text
// conversion.
std::optional<double> plainDecimal(std::string_view text) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* p = text.data();
  const char* const end = p + text.size();
  std::uint64_t mantissa = 0;
  const char* const whole = p;
  for (; p < end && isDigit(*p) && p - whole <= kMaxExactDigits; ++p) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  const std::ptrdiff_t wholeDigits = p - whole;
  std::ptrdiff_t fractionDigits = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    for (; p < end && isDigit(*p) && wholeDigits + (p - fraction) <= kMaxExactDigits; ++p) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    fractionDigits = p - fraction;
    if (fractionDigits == 0) {
      return std::nullopt;
    }
  }
  if (p != end || wholeDigits == 0 || wholeDigits + fractionDigits > kMaxExactDigits) {
    return std::nullopt;
  }
  return static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
}

// A part of a coordinate; an empty part is 0.
std::optional<double> plainPart(std::string_view text) {
  return text.empty() ? std::optional<double>(0.0) : plainDecimal(text);
}

// ParseCoordinate for the plain forms; nothing means "not decided here".
std::optional<double> plainCoordinate(std::string_view text, CoordinateNotation notation) {
  if (text.size() < 2) {
    return std::nullopt;
  }
  const char hemisphere = text[0];
  const std::string_view number = text.substr(1);
  std::optional<double> minutes;
  if (notation == CoordinateNotation::DecimalDegrees) {
    const auto degrees = plainDecimal(number);
    if (!degrees) {
      return std::nullopt;
    }
    minutes = *degrees * 60;
  } else {
    const size_t p = number.find('.');
    // The text conversion decides on a number without "." and on one that
    // starts with it.
    if (p == std::string_view::npos || p == 0) {
      return std::nullopt;
    }
    if (notation == CoordinateNotation::DegreesMinutes) {
      const size_t split = p >= 2 ? p - 2 : 0;
      const auto degrees = plainPart(number.substr(0, split));
      const auto mins = plainDecimal(number.substr(split));
      if (!degrees || !mins) {
        return std::nullopt;
      }
      minutes = *degrees * 60 + *mins;
    } else {
      const size_t secondsAt = p >= 2 ? p - 2 : 0;
      const size_t minutesAt = p >= 4 ? p - 4 : 0;
      const auto degrees = plainPart(number.substr(0, minutesAt));
      const auto mins = plainPart(number.substr(minutesAt, secondsAt - minutesAt));
      const auto secs = plainDecimal(number.substr(secondsAt));
      if (!degrees || !mins || !secs) {
        return std::nullopt;
      }
      minutes = *degrees * 60 + *mins + *secs / 60;
    }
  }
  const bool negative = hemisphere == 'S' || hemisphere == 's' || hemisphere == 'W' || hemisphere == 'w';
  return negative ? -*minutes : *minutes;
}

int monthByAbbreviation(std::string_view text) {
  static constexpr std::string_view kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  if (text.size() != 3) {
    return 0;
  }
  char upper[3];
  for (int i = 0; i < 3; ++i) {
    const char c = text[i];
    upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
  }
  for (int m = 0; m < 12; ++m) {
    if (std::string_view(upper, 3) == kMonths[m]) {
      return m + 1;
    }
  }
  return 0;
}

// fixDateTime for "hh:mm[:ss[.fff]]" and the dates "y/m/d", "y-m-d" and
// "d-MON-y" of whole numbers; nothing means "not decided here".
std::optional<double> plainDateTime(std::string_view time, std::string_view date,
                                    std::optional<double> raceDate) {
  // The time: two or three parts.
  const size_t colon1 = time.find(':');
  if (colon1 == std::string_view::npos) {
    return std::nullopt;
  }
  const size_t colon2 = time.find(':', colon1 + 1);
  const auto h = plainInt(time.substr(0, colon1));
  const auto mi =
      plainInt(time.substr(colon1 + 1, colon2 == std::string_view::npos ? time.npos : colon2 - colon1 - 1));
  std::optional<double> s = 0.0;
  if (colon2 != std::string_view::npos) {
    const std::string_view seconds = time.substr(colon2 + 1);
    if (seconds.find(':') != std::string_view::npos) {
      return std::nullopt;
    }
    s = plainDecimal(seconds);
  }
  if (!h || !mi || !s || *h > 23 || *mi > 59 || *s >= 60) {
    return std::nullopt;
  }

  // The date: three whole numbers between "/" or between "-", the middle one
  // possibly a month name.
  const bool dashed = date.find('-') != std::string_view::npos;
  const char separator = dashed ? '-' : '/';
  if (dashed && date.find('/') != std::string_view::npos) {
    return std::nullopt;
  }
  const size_t sep1 = date.find(separator);
  const size_t sep2 = sep1 == std::string_view::npos ? sep1 : date.find(separator, sep1 + 1);
  if (sep2 == std::string_view::npos || date.find(separator, sep2 + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view yearText = date.substr(0, sep1);
  const std::string_view monthText = date.substr(sep1 + 1, sep2 - sep1 - 1);
  std::string_view dayText = date.substr(sep2 + 1);
  int month = 0;
  if (dashed) {
    month = monthByAbbreviation(monthText);
    if (month > 0) {
      std::swap(yearText, dayText);
    }
  }
  auto y = plainInt(yearText);
  const auto mo = month > 0 ? std::optional<int>(month) : plainInt(monthText);
  const auto d = plainInt(dayText);
  if (!y || !mo || !d) {
    return std::nullopt;
  }
  // Two-digit years: 00..49 are the 2000s.
  if (yearText.size() <= 2) {
    *y += *y < 50 ? 2000 : 1900;
  }
  if (!QDate::isValid(*y, *mo, *d)) {
    return std::nullopt;
  }
  double days = toDateTime(QDate(*y, *mo, *d));
  if (dashed && raceDate && std::fabs(roundHalfEven(days - dateOnly(*raceDate))) >= 365) {
    days = toDateTime(QDate(2000, 1, 1));
  }
  return days + (*h * 3600.0 + *mi * 60.0 + *s) / kSecondsPerDay;
}

QString latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

class DtrScan {
 public:
  DtrScan(const TrackReadOptions& options, TrackReadResult& result) : m_options(options), m_result(result) {}

  // Reads UTF-8 text line by line; false when a line ended the read.
  bool readUtf8(QByteArrayView text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* start = begin;
    for (const char* p = begin; p < end; ++p) {
      if (*p == '\n' || *p == '\r') {
        if (!readLineBytes(std::string_view(start, static_cast<size_t>(p - start)))) {
          return false;
        }
        if (*p == '\r' && p + 1 < end && p[1] == '\n') {
          ++p;
        }
        start = p + 1;
      }
    }
    return start >= end || readLineBytes(std::string_view(start, static_cast<size_t>(end - start)));
  }

  bool readText(const QString& text) {
    const QStringList lines = splitLines(text);
    for (const QString& line : lines) {
      if (!readTextLine(line)) {
        return false;
      }
    }
    return true;
  }

 private:
  void startLine() {
    if (m_lineNumber > 0 && m_lineNumber % kLinesPerYield == 0 && m_options.yield) {
      m_options.yield();
    }
    ++m_lineNumber;
  }

  bool readLineBytes(std::string_view line) {
    if (static_cast<qsizetype>(line.size()) > kMaxPlainLineBytes) {
      return readTextLine(decodeLine(line));
    }
    // Splits at blanks as SplitFields does when blanks are the only white
    // space: a leading blank makes the first field "0", runs of blanks count
    // as one, trailing blanks end no field.
    std::string_view fields[kTrackLineColumns];
    int count = 0;
    bool markerLetter = false;
    const char* const end = line.data() + line.size();
    const char* fieldStart = nullptr;
    for (const char* p = line.data(); p < end; ++p) {
      const unsigned char c = static_cast<unsigned char>(*p);
      if (c == ' ') {
        if (fieldStart != nullptr) {
          if (count < kTrackLineColumns) {
            fields[count] = std::string_view(fieldStart, static_cast<size_t>(p - fieldStart));
          }
          ++count;
          fieldStart = nullptr;
        }
        continue;
      }
      if (c >= 0x80 || (c >= '\t' && c <= '\r')) {
        return readTextLine(decodeLine(line));
      }
      markerLetter |= c == 'D';
      if (fieldStart == nullptr) {
        fieldStart = p;
      }
    }
    if (fieldStart != nullptr) {
      if (count < kTrackLineColumns) {
        fields[count] = std::string_view(fieldStart, static_cast<size_t>(end - fieldStart));
      }
      ++count;
    }
    startLine();
    if (markerLetter) {
      setNotation(line.find("DMS") != std::string_view::npos, line.find("DEG") != std::string_view::npos);
    }
    if (line.empty() || line.front() == ' ' || count != kTrackLineColumns ||
        fields[0].find('T') == std::string_view::npos) {
      return true;
    }
    auto time = plainDateTime(fields[4], fields[3], m_options.raceDate);
    if (!time) {
      time = fixDateTime(latin1(fields[4]), latin1(fields[3]), m_options.raceDate);
      if (!time) {
        return true;
      }
    }
    auto lat = plainCoordinate(fields[1], m_notation);
    if (!lat) {
      lat = ParseCoordinate(latin1(fields[1]), m_notation);
      if (!lat) {
        return fail(latin1(fields[1]));
      }
    }
    auto lon = plainCoordinate(fields[2], m_notation);
    if (!lon) {
      lon = ParseCoordinate(latin1(fields[2]), m_notation);
      if (!lon) {
        return fail(latin1(fields[2]));
      }
    }
    store(*time, *lat, *lon);
    return true;
  }

  bool readTextLine(const QString& line) {
    startLine();
    setNotation(line.contains(QLatin1String("DMS")), line.contains(QLatin1String("DEG")));
    const FieldList f = SplitFields(line, u' ');
    if (f.count() != kTrackLineColumns || !f.at(0).contains(u'T')) {
      return true;
    }
    const auto time = fixDateTime(f.at(4), f.at(3), m_options.raceDate);
    if (!time) {
      return true;
    }
    const auto lat = ParseCoordinate(f.at(1), m_notation);
    if (!lat) {
      return fail(f.at(1));
    }
    const auto lon = ParseCoordinate(f.at(2), m_notation);
    if (!lon) {
      return fail(f.at(2));
    }
    store(*time, *lat, *lon);
    return true;
  }

  // A line of valid UTF-8 as the whole-file decoding gives it: a byte order
  // mark inside the file is a character.
  QString decodeLine(std::string_view line) {
    return m_lineDecoder.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
  }

  // A line naming both notations leaves decimal degrees.
  void setNotation(bool dms, bool deg) {
    if (dms) {
      m_notation = CoordinateNotation::DegreesMinutesSeconds;
    }
    if (deg) {
      m_notation = CoordinateNotation::DecimalDegrees;
    }
  }

  void store(double time, double lat, double lon) {
    if (isPlausiblePosition(lat / 60, lon / 60)) {
      m_result.fixes.push_back({time, lat, lon});
    }
  }

  bool fail(const QString& text) {
    ReadError error;
    error.file = m_options.fileName;
    error.line = m_lineNumber;
    error.text = text;
    error.message = QStringLiteral("coordinate is not a number");
    m_result.error = error;
    return false;
  }

  const TrackReadOptions& m_options;
  TrackReadResult& m_result;
  CoordinateNotation m_notation = CoordinateNotation::DegreesMinutes;
  int m_lineNumber = 0;
  QStringDecoder m_lineDecoder{QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
};

}  // namespace

TrackReadResult readDtr(QByteArrayView bytes, const TrackReadOptions& options) {
  TrackReadResult result;
  DtrScan scan(options, result);
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    scan.readText(decodeText(bytes));
    return result;
  }
  QByteArrayView text = bytes;
  if (text.startsWith(kUtf8Bom)) {
    text = text.sliced(3);
  }
  if (isAscii(text) || isValidUtf8(text)) {
    // The decoder drops one more mark at the start.
    if (text.startsWith(kUtf8Bom)) {
      text = text.sliced(3);
    }
    scan.readUtf8(text);
    return result;
  }
  // Shift_JIS: decoded whole, since its two-byte characters may end in any
  // ASCII letter.
  scan.readUtf8(decodeText(bytes).toUtf8());
  return result;
}

}  // namespace velaro

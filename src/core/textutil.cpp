#include "core/textutil.h"

#include <QStringDecoder>

#include <cmath>

namespace velaro {

namespace {

constexpr int kMaxRestLength = 5000;

QString orZero(const QString& field) {
  return field.isEmpty() ? QStringLiteral("0") : field;
}

}  // namespace

FieldList SplitFields(const QString& line, QChar separator) {
  FieldList result;
  QString rest = line;
  qsizetype p = rest.indexOf(separator);
  while (p >= 0) {
    if (result.fields.size() < kMaxFields) {
      result.fields.append(p == 0 ? QStringLiteral("0") : orZero(rest.left(p).trimmed()));
    }
    rest = rest.mid(p + 1, kMaxRestLength).trimmed();
    p = rest.indexOf(separator);
  }
  if (result.fields.size() < kMaxFields) {
    result.fields.append(orZero(rest.trimmed()));
  }
  return result;
}

bool isValidUtf8(QByteArrayView bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(bytes);
  return !decoder.hasError();
}

QString decodeText(QByteArrayView bytes) {
  const bool utf16le = bytes.startsWith("\xFF\xFE");
  if (utf16le || bytes.startsWith("\xFE\xFF")) {
    QStringDecoder utf16(utf16le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                         QStringDecoder::Flag::Stateless);
    return utf16.decode(bytes.sliced(2));
  }
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    bytes = bytes.sliced(3);
  }
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) {
    return text;
  }
  QStringDecoder sjis("Shift_JIS");
  if (sjis.isValid()) {
    return sjis.decode(bytes);
  }
  return QString::fromLatin1(bytes.data(), bytes.size());
}

bool isBlankLine(const QString& line) {
  for (const QChar c : line) {
    if (!c.isSpace() && c != QChar(0x1A)) {
      return false;
    }
  }
  return true;
}

QStringList splitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c == u'\n' || c == u'\r') {
      lines.append(text.mid(start, i - start));
      if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
        ++i;
      }
      start = i + 1;
    }
  }
  if (start < n) {
    lines.append(text.mid(start));
  }
  return lines;
}

std::optional<int> parseInt(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> parseReal(const QString& text) {
  const QString t = text.trimmed();
  // QString::toDouble accepts "inf" and "nan"; a data file never means those.
  if (t.isEmpty() || t.contains(u'n', Qt::CaseInsensitive) || t.contains(u'i', Qt::CaseInsensitive)) {
    return std::nullopt;
  }
  bool ok = false;
  const double value = t.toDouble(&ok);
  if (!ok || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace velaro

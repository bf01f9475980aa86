#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace velaro {

// At most this many fields are kept of one input line, the keyword included.
inline constexpr int kMaxFields = 20;

// The fields of one input line; field 0 is the record keyword.
struct FieldList {
  QStringList fields;

  int count() const { return static_cast<int>(fields.size()); }
  // A field the line does not have reads as empty text.
  QString at(int i) const { return i >= 0 && i < fields.size() ? fields[i] : QString(); }
};

// Splits a line the way every text reader of the race folders does: blanks
// around a field are trimmed, an empty field reads as "0", and with the blank
// as separator a run of blanks counts as one.
FieldList SplitFields(const QString& line, QChar separator);

// Text files are UTF-8 when the bytes are valid UTF-8, otherwise Shift_JIS
// (files written on Japanese Windows). A UTF-8 byte order mark is dropped;
// a UTF-16 one (Notepad's "Unicode") selects UTF-16 of that byte order.
QString decodeText(QByteArrayView bytes);
bool isValidUtf8(QByteArrayView bytes);

// A line of blanks only, or the Ctrl-Z end mark old editors leave: readers
// skip it rather than fail on it.
bool isBlankLine(const QString& line);

// Splits text into lines ending in CR LF, LF or a lone CR.
QStringList splitLines(const QString& text);

// Plain decimal conversions as the race folders' files write numbers: optional
// sign, digits, "." as the decimal point, surrounding blanks allowed.
std::optional<int> parseInt(const QString& text);
std::optional<double> parseReal(const QString& text);

}  // namespace velaro

#pragma once

#include <QString>

namespace velaro {

// Where a read failed and on what text. Readers return it; the window or the
// command line decides how to show it.
struct ReadError {
  QString file;        // file name as the user knows it
  int line = 0;        // 1-based line number, 0 when not a text position
  qint64 offset = -1;  // byte offset for binary files, -1 when not used
  QString text;        // the offending text
  QString message;     // what is wrong, e.g. "not a number"

  QString toString() const {
    QString where = file;
    if (line > 0) {
      where += QStringLiteral(", line %1").arg(line);
    } else if (offset >= 0) {
      where += QStringLiteral(", byte %1").arg(offset);
    }
    QString result = where + QStringLiteral(": ") + message;
    if (!text.isEmpty()) {
      result += QStringLiteral(": \"%1\"").arg(text);
    }
    return result;
  }
};

}  // namespace velaro

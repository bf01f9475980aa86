#pragma once

#include <QImage>
#include <QSize>

namespace velaro {

// The two language flags: Japan's offers Japanese, the striped one English.
QImage drawJapanFlag(QSize size);
QImage drawEnglishFlag(QSize size);

}  // namespace velaro

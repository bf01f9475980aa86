#pragma once

#include <QImage>
#include <QSize>

namespace velaro {

enum class TransportPicture { Forward, Stop, Backward };

// The transport buttons: an arrow up (play forward), a square (stop), an
// arrow down (play backward); the pressed twin is drawn sunk and lit.
QImage drawTransportPicture(TransportPicture kind, bool pressed, QSize size = QSize(24, 16));

// The blue-peter flag ("P"): a white square on blue, flown from four minutes
// to one minute before the start.
QImage drawBluePeter(QSize size = QSize(60, 40));

}  // namespace velaro

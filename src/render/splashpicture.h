#pragma once

#include <QImage>
#include <QSize>

namespace velaro {

// The built-in splash picture: a stylised start line at dawn with a fleet of
// sails, drawn rather than stored so that it scales to any size.
QImage drawSplashPicture(QSize size);

}  // namespace velaro

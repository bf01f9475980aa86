#pragma once

namespace velaro {

// Readies a worker thread for long work started from the window: the upper
// halves of the vector registers are cleared (see core/vectorstate.h), and
// the thread, with every thread it starts, gives way to the window's thread
// so that the window answers at once while the work fills every core. The
// pool thread keeps the lower priority afterwards; everything it runs is
// such work, and an unprivileged thread cannot raise it again.
void enterBackgroundWork();

}  // namespace velaro

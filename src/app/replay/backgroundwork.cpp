#include "app/replay/backgroundwork.h"

#include "core/vectorstate.h"

#include <sys/resource.h>
#include <unistd.h>

namespace velaro {

void enterBackgroundWork() {
  clearUpperVectorState();
  constexpr int kNiceness = 5;
  // A failure leaves the work at the window's priority.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNiceness);
}

}  // namespace velaro

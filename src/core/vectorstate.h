#pragma once

namespace velaro {

// Something in the GUI application's start (and in some of Qt's drawing)
// leaves the upper halves of the AVX registers in use. Until they are
// cleared, every switch between our SSE code and the maths library's AVX
// code stalls, which makes a large race's load take half as long again.
// Threads inherit the state of the thread that started them, so long work
// clears it where it begins.
inline void clearUpperVectorState() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx")) {
    __asm__ volatile("vzeroupper");
  }
#endif
}

}  // namespace velaro

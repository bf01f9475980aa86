#pragma once

#include <cstdint>

namespace velaro {

// Small deterministic noise for the generated benchmark races, so that runs
// are comparable.
class BenchNoise {
 public:
  explicit BenchNoise(std::uint32_t seed) : m_state(seed * 2654435761u + 1) {}
  // Uniform in -amplitude..amplitude.
  double next(double amplitude) {
    m_state = m_state * 1664525u + 1013904223u;
    return (static_cast<double>(m_state >> 8) / (1u << 24) * 2 - 1) * amplitude;
  }

 private:
  std::uint32_t m_state;
};

}  // namespace velaro

#pragma once

#include <cmath>
#include <cstdint>
#include <random>

namespace velaro::racegen {

// Random numbers that give the same sequence on every platform and library
// version: the engine's output is fixed by the standard, the distributions of
// <random> are not, so the few needed are written here.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : m_engine(seed) {}

  // Uniform in [0, 1) from the top 53 bits.
  double uniform() { return static_cast<double>(m_engine() >> 11) * 0x1.0p-53; }
  double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  // Uniform whole number in lo..hi (both included).
  int integer(int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(hi - lo + 1);
    return lo + static_cast<int>(m_engine() % span);
  }
  bool chance(double p) { return uniform() < p; }
  // Normal by Box-Muller; the second value is dropped so the stream never
  // depends on how many normals were drawn before.
  double normal(double mean, double sd) {
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    return mean + sd * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
  }
  // An independent stream for one part of the race (a boat, its logger), so
  // that adding a boat leaves the others' streams unchanged.
  Rng fork(std::uint64_t salt) { return Rng(m_engine() ^ (salt * 0x9E3779B97F4A7C15ULL)); }

 private:
  std::mt19937_64 m_engine;
};

}  // namespace velaro::racegen

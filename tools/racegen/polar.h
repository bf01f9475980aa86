#pragma once

#include <array>
#include <vector>

namespace velaro::racegen {

// Boat speed by true wind angle and true wind speed, for a 7.3 m one-design
// keelboat of the kind club fleets race. Between the table's points speed is
// interpolated linearly in both directions; below the first angle the boat
// stalls towards zero head to wind.
class Polar {
 public:
  Polar();

  double speed(double twaDeg, double twsKnots) const;
  // The true wind angles of the best speed made good upwind and downwind.
  double beatAngle(double twsKnots) const;
  double runAngle(double twsKnots) const;
  double beatVmg(double twsKnots) const;
  double runVmg(double twsKnots) const;

  static constexpr double kBoatLengthMetres = 7.3;

 private:
  struct Optimum {
    double beatAngle, beatVmg, runAngle, runVmg;
  };
  Optimum optimumAt(double twsKnots) const;
  double tableSpeed(double twaDeg, double twsKnots) const;

  std::vector<Optimum> m_optima;  // every 0.5 kn from 0 to 30 kn
};

}  // namespace velaro::racegen

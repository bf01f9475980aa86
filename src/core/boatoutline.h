#pragma once

#include <array>

namespace velaro {

// The outline every boat is drawn with: nine vertices in percent of the drawn
// boat size, x to starboard and y towards the stern. Vertices 0..7 are the
// hull polygon from the bow round, vertex 8 the mast the sail hangs from.
struct BoatOutline {
  std::array<int, 9> HullX{};
  std::array<int, 9> HullY{};
};

// Keelboats (longer than 3 m) get the slim hull, dinghies the wide one.
BoatOutline boatOutlineFor(double boatLengthMetres);

}  // namespace velaro

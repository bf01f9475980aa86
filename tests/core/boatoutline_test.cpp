#include "core/boatoutline.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(BoatOutline, LengthChoosesSlimKeelboatOrWideDinghy) {
  // 3 m exactly is still a dinghy.
  const BoatOutline dinghy = boatOutlineFor(3.0);
  EXPECT_EQ(dinghy.HullX[2], 27);
  EXPECT_EQ(dinghy.HullY[8], -20);
  const BoatOutline keelboat = boatOutlineFor(3.5);
  EXPECT_EQ(keelboat.HullX[2], 15);
  EXPECT_EQ(keelboat.HullY[8], -15);
  // Both hulls close at the bow and are symmetric about the centreline.
  for (const BoatOutline& o : {dinghy, keelboat}) {
    EXPECT_EQ(o.HullX[0], o.HullX[7]);
    EXPECT_EQ(o.HullY[0], o.HullY[7]);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(o.HullX[i], -o.HullX[7 - i]);
      EXPECT_EQ(o.HullY[i], o.HullY[7 - i]);
    }
  }
}

}  // namespace
}  // namespace velaro

#include "core/analysis/boatcolours.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(BoatColours, TableAndWrap) {
  struct Case {
    int boat;
    Rgb screen;
    const char* kml;
  };
  const Case cases[] = {
      {1, {255, 0, 0}, "FFFF0000"},    {2, {0, 0, 255}, "FF00FF00"},    {7, {0, 0, 0}, "FFFFFFFF"},
      {10, {96, 96, 0}, "FF8080FF"},   {15, {128, 0, 128}, "FF00FF80"}, {16, {255, 0, 0}, "FFFF0000"},
      {17, {0, 0, 255}, "FF00FF00"},   {30, {128, 0, 128}, "FF00FF80"}, {31, {255, 0, 0}, "FFFF0000"},
      {81, {0, 128, 128}, "FFFFFF00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BoatColour(c.boat), c.screen) << c.boat;
    EXPECT_EQ(BoatKmlColour(c.boat), QString::fromLatin1(c.kml)) << c.boat;
  }
}

TEST(BoatColours, SameScreenColourDifferentKmlColour) {
  for (auto [a, b] : {std::pair{3, 13}, std::pair{4, 14}, std::pair{5, 15}}) {
    EXPECT_EQ(BoatColour(a), BoatColour(b));
    EXPECT_NE(BoatKmlColour(a), BoatKmlColour(b));
  }
}

TEST(BoatColours, AssignColoursCoversEveryBoat) {
  const BoatColours few = AssignColours(7);
  ASSERT_EQ(few.BoatColour.size(), 7u);
  ASSERT_EQ(few.BoatKmlColour.size(), 7u);
  EXPECT_EQ(few.BoatColour[6], (Rgb{0, 0, 0}));

  const BoatColours many = AssignColours(31);
  ASSERT_EQ(many.BoatColour.size(), 31u);
  EXPECT_EQ(many.BoatColour[15], many.BoatColour[0]);
  EXPECT_EQ(many.BoatKmlColour[15], many.BoatKmlColour[0]);
  EXPECT_EQ(many.BoatColour[29], many.BoatColour[14]);
  EXPECT_EQ(many.BoatKmlColour[30], QStringLiteral("FFFF0000"));
  EXPECT_EQ(many.WindAxisColour, (Rgb{98, 162, 225}));
  EXPECT_EQ(many.LaylineColourA, (Rgb{225, 128, 128}));
  EXPECT_EQ(many.LaylineColourB, (Rgb{0, 225, 0}));

  EXPECT_TRUE(AssignColours(0).BoatColour.empty());
}

TEST(BoatColours, ArgbForTheRenderLayer) {
  EXPECT_EQ((Rgb{0x12, 0x34, 0x56}).argb(), 0xff123456u);
}

}  // namespace
}  // namespace velaro

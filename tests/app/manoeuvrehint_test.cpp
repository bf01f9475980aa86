#include "app/replay/manoeuvrehint.h"
#include "app/captions.h"
#include "languageonscreen.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velaro {
namespace {

TEST(ManoeuvreHint, CountsInBothLanguagesAndNoLossWithoutMeasure) {
  EXPECT_EQ(manoeuvreHintText({5, 1, 12.4}), QStringLiteral("5 tacks, 1 gybe, 12 m lost on average"));
  EXPECT_EQ(manoeuvreHintText({1, 0, -3.6}), QStringLiteral("1 tack, 0 gybes, -4 m lost on average"));
  EXPECT_EQ(manoeuvreHintText({2, 3, std::nan("")}), QStringLiteral("2 tacks, 3 gybes"));
  EXPECT_EQ(manoeuvreHintText({}), QStringLiteral("No tacks or gybes"));
  const LanguageOnScreen japanese(Language::Japanese);
  EXPECT_EQ(manoeuvreHintText({5, 1, 12.4}), QStringLiteral("タック 5回・ジャイブ 1回・平均ロス 12 m"));
  EXPECT_EQ(manoeuvreHintText({}), QStringLiteral("タック・ジャイブなし"));
}

}  // namespace
}  // namespace velaro

#include "app/manoeuvrehint.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(ManoeuvreHint, CountsInBothLanguagesAndNoLossWithoutMeasure) {
  EXPECT_EQ(manoeuvreHintText({5, 1, 12.4}, Language::English),
            QStringLiteral("5 tacks, 1 gybe, 12 m lost on average"));
  EXPECT_EQ(manoeuvreHintText({1, 0, -3.6}, Language::EnglishFixed),
            QStringLiteral("1 tack, 0 gybes, -4 m lost on average"));
  EXPECT_EQ(manoeuvreHintText({2, 3, std::nan("")}, Language::English), QStringLiteral("2 tacks, 3 gybes"));
  EXPECT_EQ(manoeuvreHintText({}, Language::English), QStringLiteral("No tacks or gybes"));
  EXPECT_EQ(manoeuvreHintText({5, 1, 12.4}, Language::Japanese),
            QStringLiteral("タック 5回・ジャイブ 1回・平均ロス 12 m"));
  EXPECT_EQ(manoeuvreHintText({}, Language::Japanese), QStringLiteral("タック・ジャイブなし"));
}

}  // namespace
}  // namespace velaro

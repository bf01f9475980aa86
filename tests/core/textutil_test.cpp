#include "core/textutil.h"
#include "core/race.h"

#include <gtest/gtest.h>

namespace velaro {
namespace {

TEST(SplitFields, CommaLineTrimsFieldsAndReadsEmptyAsZero) {
  const FieldList f = SplitFields(QStringLiteral("BN, a.gpx ,, 30 "), u',');
  ASSERT_EQ(f.count(), 4);
  EXPECT_EQ(f.at(0), QStringLiteral("BN"));
  EXPECT_EQ(f.at(1), QStringLiteral("a.gpx"));
  EXPECT_EQ(f.at(2), QStringLiteral("0"));
  EXPECT_EQ(f.at(3), QStringLiteral("30"));
  EXPECT_EQ(f.at(4), QString());
}

TEST(SplitFields, EmptyEndsAndLinesWithoutSeparator) {
  EXPECT_EQ(SplitFields(QStringLiteral(",x"), u',').fields, QStringList({"0", "x"}));
  EXPECT_EQ(SplitFields(QStringLiteral("x,"), u',').fields, QStringList({"x", "0"}));
  EXPECT_EQ(SplitFields(QStringLiteral("T1"), u',').fields, QStringList({"T1"}));
  EXPECT_EQ(SplitFields(QString(), u',').fields, QStringList({"0"}));
}

TEST(SplitFields, RunsOfBlanksCountAsOneSeparator) {
  const FieldList f = SplitFields(QStringLiteral("12.5  180  3.2"), u' ');
  EXPECT_EQ(f.fields, QStringList({"12.5", "180", "3.2"}));
  const FieldList g = SplitFields(QStringLiteral("T  N3512.345    E13930.123  2009-07-19"), u' ');
  EXPECT_EQ(g.count(), 4);
}

TEST(SplitFields, KeepsAtMostTwentyFields) {
  QStringList parts;
  for (int i = 0; i < 30; ++i) {
    parts << QString::number(i);
  }
  const FieldList f = SplitFields(parts.join(u','), u',');
  ASSERT_EQ(f.count(), kMaxFields);
  EXPECT_EQ(f.at(19), QStringLiteral("19"));
}

TEST(DecodeText, Utf8AndShiftJis) {
  const QString name = QStringLiteral("艇名テスト");
  EXPECT_EQ(decodeText(name.toUtf8()), name);
  EXPECT_EQ(decodeText(QByteArray("\xEF\xBB\xBF") + name.toUtf8()), name);
  // The same text as written by Japanese Windows.
  const QByteArray sjis("\x92\xf8\x96\xbc\x83\x65\x83\x58\x83\x67");
  EXPECT_FALSE(isValidUtf8(sjis));
  EXPECT_EQ(decodeText(sjis), name);
}

TEST(SplitLines, CrLfLfAndLoneCr) {
  EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\nc\rd")), QStringList({"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\nb\r\n")), QStringList({"a", "", "b"}));
}

TEST(NumberParsing, PlainDecimalOnly) {
  EXPECT_EQ(parseInt(QStringLiteral(" -12 ")), -12);
  EXPECT_FALSE(parseInt(QStringLiteral("1.5")));
  EXPECT_FALSE(parseInt(QStringLiteral("x")));
  EXPECT_DOUBLE_EQ(*parseReal(QStringLiteral("2107.5")), 2107.5);
  EXPECT_DOUBLE_EQ(*parseReal(QStringLiteral("-0.25")), -0.25);
  for (const char* bad : {"", "abc", "1,5", "nan", "inf", "1e999"}) {
    EXPECT_FALSE(parseReal(QString::fromLatin1(bad))) << bad;
  }
}

TEST(BoatRows, HalfTheBoatsRoundedUp) {
  const int expected[] = {0, 1, 1, 2, 2, 3};
  for (int boats = 0; boats <= 5; ++boats) {
    EXPECT_EQ(boatRowsFor(boats), expected[boats]) << boats;
  }
  EXPECT_EQ(boatRowsFor(81), 41);
  EXPECT_EQ(boatListHeightFor(boatRowsFor(81)), 599);
}

}  // namespace
}  // namespace velaro

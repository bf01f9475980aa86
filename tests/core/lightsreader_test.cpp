#include "core/readers/lightsreader.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

LightsReadResult parse(const QByteArray& text) {
  return parseLights(text, QStringLiteral("5339.lh"));
}

TEST(LightsReader, ReadsEveryFieldAndConvertsDegreesAndMinutes) {
  const LightsReadResult r = parse(
      "LFl,3412.55,13652.10,6,1,G,8.5\r\n"
      " Oc , 3400.0 , 13600 , 10 , 3 , WR , 12\r\n");
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  ASSERT_EQ(r.lights.size(), 2u);
  const Light& a = r.lights[0];
  EXPECT_EQ(a.kind, QStringLiteral("LFl"));
  EXPECT_DOUBLE_EQ(a.pos.lat, 34 * 60 + 12.55);
  EXPECT_DOUBLE_EQ(a.pos.lon, 136 * 60 + 52.10);
  EXPECT_EQ(a.period, 6);
  EXPECT_EQ(a.onTime, 1);
  EXPECT_EQ(a.colours, QStringLiteral("G"));
  EXPECT_DOUBLE_EQ(a.range, 8.5);
  const Light& b = r.lights[1];
  EXPECT_EQ(b.kind, QStringLiteral("Oc"));
  EXPECT_DOUBLE_EQ(b.pos.lat, 2040);
  EXPECT_DOUBLE_EQ(b.pos.lon, 8160);
  EXPECT_EQ(b.colours, QStringLiteral("WR"));
}

TEST(LightsReader, JapaneseKindInShiftJis) {
  QStringEncoder sjis("Shift_JIS");
  ASSERT_TRUE(sjis.isValid());
  const QString kind = QString::fromUtf8("灯台");
  const QByteArray bytes = QByteArray(sjis.encode(kind)) + ",3412.5,13652.1,4,1,R,5\n";
  const LightsReadResult r = parse(bytes);
  ASSERT_FALSE(r.error);
  ASSERT_EQ(r.lights.size(), 1u);
  EXPECT_EQ(r.lights[0].kind, kind);
}

TEST(LightsReader, BlankLinesAreSkippedAndEmptyFieldsReadAsZero) {
  const LightsReadResult r = parse("\r\nFl,3412.5,13652.1,,,,\r\n  \r\n");
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  ASSERT_EQ(r.lights.size(), 1u);
  EXPECT_EQ(r.lights[0].period, 0);
  EXPECT_EQ(r.lights[0].colours, QStringLiteral("0"));
}

TEST(LightsReader, ConversionErrorNamesFileLineAndText) {
  struct Case {
    const char* line;
    const char* text;
  };
  const Case cases[] = {
      {"Fl,34,13652.1,4,1,R,5", "34"},                         // no minutes
      {"Fl,3x12.5,13652.1,4,1,R,5", "3x12.5"},                 // degrees not a number
      {"Fl,3412.5,136,4,1,R,5", "136"},                        // no minutes
      {"Fl,3412.5,13652.1,4.5,1,R,5", "4.5"},                  // period is whole ticks
      {"Fl,3412.5,13652.1,4,x,R,5", "x"},                      // on-time
      {"Fl,3412.5,13652.1,4,1,R,far", "far"},                  // range
      {"Fl,3412.5,13652.1,4,1,R", "Fl,3412.5,13652.1,4,1,R"},  // range missing
  };
  for (const Case& c : cases) {
    const LightsReadResult r = parse(QByteArray("Fl,3412.5,13652.1,4,1,R,5\n") + c.line + "\n");
    ASSERT_TRUE(r.error) << c.line;
    EXPECT_EQ(r.error->file, QStringLiteral("5339.lh"));
    EXPECT_EQ(r.error->line, 2) << c.line;
    EXPECT_EQ(r.error->text, QString::fromLatin1(c.text)) << c.line;
    EXPECT_EQ(r.lights.size(), 1u);
  }
}

TEST(LightsReader, SurvivesGarbageAndTruncation) {
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i) {
    garbage.append(static_cast<char>((i * 104729) % 256));
  }
  parse(garbage);
  const QByteArray good = "Fl,3412.5,13652.1,4,1,R,5\nOc,3400.0,13600,10,3,WR,12\n";
  for (qsizetype n = 0; n <= good.size(); ++n) {
    EXPECT_LE(parse(good.left(n)).lights.size(), 2u);
  }
}

TEST(LightsReader, FolderFileMissingOrPresent) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("coastline")));
  QFile file(dir.filePath(QStringLiteral("coastline/5339.lh")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write("Fl,3412.5,13652.1,4,1,R,5\r\n"), 27);
  file.close();
  const RaceFolders folders(dir.path());
  const LightsReadResult present = ReadLightsFile(folders, QStringLiteral("5339.lh"));
  EXPECT_TRUE(present.fileFound);
  EXPECT_EQ(present.lights.size(), 1u);
  for (const QString& name : {QStringLiteral("5340.lh"), QStringLiteral("../5339.lh"), QString()}) {
    const LightsReadResult r = ReadLightsFile(folders, name);
    EXPECT_FALSE(r.fileFound);
    EXPECT_FALSE(r.error);
    EXPECT_TRUE(r.lights.empty());
  }
}

}  // namespace
}  // namespace velaro

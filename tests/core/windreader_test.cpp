#include "core/readers/windreader.h"
#include "core/datetime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace velaro {
namespace {

// A function, not a global: the date conversions must not run during static
// initialisation.
double raceStart() {
  return toDateTime(QDate(2009, 7, 19), QTime(10, 0));
}

WindReadResult parse(const QByteArray& text) {
  return parseWindFile(text, QStringLiteral("wind.csv"), raceStart());
}

TEST(WindReader, ReadsSamplesRelativeToTheLocalStartInFileOrder) {
  const WindReadResult r = parse(
      "time,speed,dir\r\n"
      "2009/07/19 10:00:30,5.5,200.2,ignored,fields\r\n"
      "2009/07/19 09:00:00,4,190\r\n"
      "10:05:00 2009/07/19, 6.25 , 210.7\r\n"
      "2009/07/20 10:00:00,3,180\r\n");
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  EXPECT_TRUE(r.fileFound);
  ASSERT_EQ(r.samples.size(), 4u);
  EXPECT_EQ(r.samples[0].time, 30);
  EXPECT_EQ(r.samples[0].speed, 5.5);
  EXPECT_EQ(r.samples[0].dir, 200);
  // Before the start: negative; kept in file order, not sorted.
  EXPECT_EQ(r.samples[1].time, -3600);
  EXPECT_EQ(r.samples[2].time, 300);
  EXPECT_EQ(r.samples[2].speed, 6.25);
  EXPECT_EQ(r.samples[2].dir, 211);
  // A day after the start is still kept: no race window applies.
  EXPECT_EQ(r.samples[3].time, 86400);
}

TEST(WindReader, DirectionsRoundHalvesToEven) {
  struct Case {
    const char* text;
    int dir;
  };
  const Case cases[] = {{"359.5", 360},  {"0.5", 0},  {"1.5", 2},    {"2.5", 2},          {"360", 360},
                        {"359.49", 359}, {"-0.5", 0}, {"45.51", 46}, {"1e10", 2147483647}};
  for (const Case& c : cases) {
    const WindReadResult r = parse(QByteArray("h\n2009/07/19 10:00:00,1,") + c.text + "\n");
    ASSERT_FALSE(r.error) << c.text;
    ASSERT_EQ(r.samples.size(), 1u) << c.text;
    EXPECT_EQ(r.samples[0].dir, c.dir) << c.text;
  }
}

TEST(WindReader, HeaderOnlyOrEmptyFileHasNoSamplesButIsFound) {
  for (const char* text : {"time,speed,dir\r\n", "time,speed,dir", ""}) {
    const WindReadResult r = parse(text);
    EXPECT_FALSE(r.error) << text;
    EXPECT_TRUE(r.fileFound) << text;
    EXPECT_TRUE(r.samples.empty()) << text;
  }
}

TEST(WindReader, FirstLineIsSkippedEvenWhenItHoldsASample) {
  const WindReadResult r = parse("2009/07/19 10:00:00,1,10\n2009/07/19 10:00:10,2,20\n");
  ASSERT_EQ(r.samples.size(), 1u);
  EXPECT_EQ(r.samples[0].dir, 20);
}

TEST(WindReader, BlankLinesCarryNoSample) {
  const WindReadResult r =
      parse("h\r\n2009/07/19 10:00:00,1,10\r\n\r\n   \r\n2009/07/19 10:00:10,2,20\r\n\r\n\x1a");
  ASSERT_FALSE(r.error) << r.error->toString().toStdString();
  EXPECT_EQ(r.samples.size(), 2u);
}

TEST(WindReader, ConversionErrorNamesFileLineAndTextAndKeepsEarlierSamples) {
  struct Case {
    const char* line;
    const char* text;
  };
  const Case cases[] = {
      {"2009/07/32 10:00:00,1,10", "2009/07/32 10:00:00"},
      {"2009/07/19 10:00:00,fast,10", "fast"},
      {"2009/07/19 10:00:00,1,north", "north"},
      {"2009/07/19 10:00:00,1,nan", "nan"},
      // A line too short for a direction is an error, not a stale value.
      {"2009/07/19 10:00:00,1", "2009/07/19 10:00:00,1"},
  };
  for (const Case& c : cases) {
    const WindReadResult r =
        parse(QByteArray("h\n2009/07/19 10:00:00,1,10\n") + c.line + "\n2009/07/19 10:00:20,1,10\n");
    ASSERT_TRUE(r.error) << c.line;
    EXPECT_EQ(r.error->file, QStringLiteral("wind.csv"));
    EXPECT_EQ(r.error->line, 3) << c.line;
    EXPECT_EQ(r.error->text, QString::fromLatin1(c.text)) << c.line;
    EXPECT_TRUE(r.error->toString().contains(QStringLiteral("wind.csv, line 3")));
    // Only the complete samples before the failing line.
    EXPECT_EQ(r.samples.size(), 1u) << c.line;
  }
}

TEST(WindReader, SurvivesGarbageAndTruncation) {
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i) {
    garbage.append(static_cast<char>((i * 7919) % 256));
  }
  parse(garbage);
  const QByteArray good = "h\n2009/07/19 10:00:00,1,10\n2009/07/19 10:00:10,2,20\n";
  for (qsizetype n = 0; n <= good.size(); ++n) {
    const WindReadResult r = parse(good.left(n));
    EXPECT_LE(r.samples.size(), 2u);
  }
  // One enormous line.
  const WindReadResult r = parse("h\n" + QByteArray(1 << 20, ','));
  EXPECT_TRUE(r.error);
}

TEST(WindReader, FolderFileMissingRefusedOrPresent) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("winddat")));
  QFile file(dir.filePath(QStringLiteral("winddat/w1.csv")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const QByteArray bytes = "h\r\n2009/07/19 09:59:00,3,359.5\r\n";
  ASSERT_EQ(file.write(bytes), bytes.size());
  file.close();
  QFile outside(dir.filePath(QStringLiteral("secret.csv")));
  ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
  ASSERT_EQ(outside.write(bytes), bytes.size());
  outside.close();

  const RaceFolders folders(dir.path());
  const WindReadResult present = ReadWindFile(folders, QStringLiteral("w1.csv"), raceStart());
  ASSERT_FALSE(present.error);
  EXPECT_TRUE(present.fileFound);
  ASSERT_EQ(present.samples.size(), 1u);
  EXPECT_EQ(present.samples[0].time, -60);
  EXPECT_EQ(present.samples[0].dir, 360);

  for (const QString& name : {QStringLiteral("none.csv"), QString(), QStringLiteral("../secret.csv"),
                              dir.filePath(QStringLiteral("secret.csv"))}) {
    const WindReadResult r = ReadWindFile(folders, name, raceStart());
    EXPECT_FALSE(r.fileFound) << name.toStdString();
    EXPECT_FALSE(r.error) << name.toStdString();
    EXPECT_TRUE(r.samples.empty()) << name.toStdString();
  }
}

}  // namespace
}  // namespace velaro

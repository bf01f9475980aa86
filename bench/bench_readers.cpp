// Track readers on large logs built in memory: a 100 MB GPX must read in
// well under a second.
#include "core/readers/dtrreader.h"
#include "core/readers/gdbreader.h"
#include "core/readers/gpxreader.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <cstdio>

namespace {

constexpr qsizetype kTargetBytes = 100 * 1000 * 1000;

// Garmin Connect style points, one a second, with elevation and extensions.
const QByteArray& bigGpx() {
  static const QByteArray bytes = [] {
    QByteArray out;
    out.reserve(kTargetBytes + 1000);
    out +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx creator=\"Garmin Connect\" version=\"1.1\" "
        "xmlns:ns3=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\">\n<trk><trkseg>\n";
    char point[512];
    for (int i = 0; out.size() < kTargetBytes; ++i) {
      const int s = i % 60, m = (i / 60) % 60, h = (i / 3600) % 24, d = 1 + (i / 86400) % 28;
      const int n = std::snprintf(point, sizeof point,
                                  "      <trkpt lat=\"53.54635217227041721343994140625\" "
                                  "lon=\"9.80308771133422%05d\">\n"
                                  "        <ele>2.400000095367431640625</ele>\n"
                                  "        <time>2023-07-%02dT%02d:%02d:%02d.000Z</time>\n"
                                  "        <extensions>\n"
                                  "          <ns3:TrackPointExtension>\n"
                                  "            <ns3:hr>112</ns3:hr>\n"
                                  "          </ns3:TrackPointExtension>\n"
                                  "        </extensions>\n"
                                  "      </trkpt>\n",
                                  i % 100000, d, h, m, s);
      out.append(point, n);
    }
    out += "</trkseg></trk></gpx>\n";
    return out;
  }();
  return bytes;
}

// A PCX5 track log (.trk) as Garmin's tools write it, one fix a second.
const QByteArray& bigTrk() {
  static const QByteArray bytes = [] {
    QByteArray out;
    out.reserve(kTargetBytes + 1000);
    out +=
        "H  SOFTWARE NAME & VERSION\r\nI  PCX5 2.09\r\n\r\nH  COORDINATE SYSTEM\r\nU  LAT LON DM\r\n\r\n"
        "H  TN ACTIVE LOG 006\r\nH  LATITUDE    LONGITUDE    DATE      TIME     ALT  ;track\r\n";
    char line[128];
    for (int i = 0; out.size() < kTargetBytes; ++i) {
      const int s = i % 60, m = (i / 60) % 60, h = (i / 3600) % 24, d = 1 + (i / 86400) % 28;
      const int n =
          std::snprintf(line, sizeof line, "T  N3441.%05d E13519.%05d %02d-AUG-25 %02d:%02d:%02d %d\r\n",
                        i % 100000, (i * 7) % 100000, d, h, m, s, i % 10);
      out.append(line, n);
    }
    return out;
  }();
  return bytes;
}

// Long-form MapSource track records separated by a few other bytes.
const QByteArray& bigGdb() {
  static const QByteArray bytes = [] {
    QByteArray out(40, 'x');
    out.reserve(kTargetBytes + 1000);
    unsigned char record[30] = {0,    0,    0x11, 0x37, 0x7d, 0x24, 0xe6, 0xc5, 0xd3, 0x08,
                                1,    0,    0,    0,    0,    0,    0xc0, 0x60, 0x40, 1,
                                0x49, 0xf0, 0x74, 0x42, 0,    0,    'a',  'b',  'c',  'd'};
    while (out.size() < kTargetBytes) {
      out.append(reinterpret_cast<const char*>(record), sizeof record);
    }
    out.append(40, 'x');
    return out;
  }();
  return bytes;
}

void BM_ReadGpx100MB(benchmark::State& state) {
  const QByteArray& bytes = bigGpx();
  size_t fixes = 0;
  for (auto _ : state) {
    const auto result = velaro::readGpx(bytes, {});
    fixes = result.fixes.size();
    benchmark::DoNotOptimize(result.fixes.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.counters["fixes"] = static_cast<double>(fixes);
}
BENCHMARK(BM_ReadGpx100MB)->Unit(benchmark::kMillisecond);

void BM_ReadGdb100MB(benchmark::State& state) {
  const QByteArray& bytes = bigGdb();
  size_t fixes = 0;
  for (auto _ : state) {
    const auto result = velaro::readGdb(bytes, {});
    fixes = result.fixes.size();
    benchmark::DoNotOptimize(result.fixes.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.counters["fixes"] = static_cast<double>(fixes);
}
BENCHMARK(BM_ReadGdb100MB)->Unit(benchmark::kMillisecond);

void BM_ReadTrk100MB(benchmark::State& state) {
  const QByteArray& bytes = bigTrk();
  size_t fixes = 0;
  for (auto _ : state) {
    const auto result = velaro::readDtr(bytes, {});
    fixes = result.fixes.size();
    benchmark::DoNotOptimize(result.fixes.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.counters["fixes"] = static_cast<double>(fixes);
}
BENCHMARK(BM_ReadTrk100MB)->Unit(benchmark::kMillisecond);

}  // namespace

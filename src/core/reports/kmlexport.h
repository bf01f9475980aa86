#pragma once

#include "core/analysis/speedcolours.h"
#include "core/race.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace velaro {

struct SceneState;

// The file name both exports write into the documents folder.
inline constexpr const char* kKmlFileName = "VLRMap5.kml";

struct KmlOptions {
  bool japanese = false;       // description labels in Japanese
  bool hideUnfocused = false;  // HideUnfocused: leave boats out of focus out
  // Folder of the arrow and buoy pictures, with a trailing separator: the
  // "ya" folder beside the races.
  QString iconFolder;
  // BoatFocused per boat (boat n at n - 1); when the size differs from the
  // boat count, each boat's own BoatFocused is used.
  std::vector<int> focused;
  // With a range the tracks and tails are coloured by speed against it: per
  // boat a folder with a placemark per colour, a line per run of it.
  std::optional<SpeedRange> speedColours;
};

// One boat of the live scene at the present replay time.
struct SceneBoat {
  bool active = false;  // BoatActive: the boat is shown at this time
  int segment = 0;      // BoatSegment: 1-based j of the fix pair (j, j + 1)
  GeoPoint pos;         // BoatLat, BoatLon
  double course = 0;    // BoatCourse, degrees true
  double speed = 0;     // BoatSpeed, knots
};

// The scene state of every boat at time t as the live map finds it (the
// first fix pair holding t, hidden inside a log gap, the course turning in
// the first second after a fix), for callers without a live scene.
std::vector<SceneBoat> sceneBoatsAt(const Race& race, double t);
// The same taken from the live scene the window drew last.
std::vector<SceneBoat> sceneBoatsFrom(const SceneState& state);

// Every track as a line, every boat's position at regular steps in one
// folder per step, and the marks and course lines. UTF-8, CR LF line ends.
QByteArray ExportAllRace(const Race& race, const KmlOptions& options);

// Each shown boat's last 21 fixes as a line and its position at sceneTime
// (seconds after the start signal).
QByteArray ExportPresentScene(const Race& race, double sceneTime, const std::vector<SceneBoat>& scene,
                              const KmlOptions& options);

// Pieces of the export, exposed for tests.

// Seconds between the snapshots of the whole-race export and how many
// snapshots it writes (at 0, interval, 2 x interval, ...).
double snapshotInterval(double timeAxisEnd);
int snapshotCount(double timeAxisEnd);
// The course to the nearest 10 degrees, 0..350: the arrow picture to use.
int iconAngle(double course);
// Two decimals, halves up: 6.456 gives 6.46.
QString kmlSpeedText(double knots);
// Whole degrees, fraction dropped.
QString kmlCourseText(double course);
// The caption from after its first blank up to its first ".": the race file
// name in a caption such as "Velaro  race0503.txt".
QString kmlFolderName(const QString& caption);
// Text for an XML element: markup characters escaped, characters XML cannot
// carry dropped.
QString xmlText(const QString& text);
// Text for a character-data section: every "]]>" split across two sections.
QString cdataText(const QString& text);

// What the window shows around the "Google Earth" button.

// The Yes/No question before an export is asked only when a boat is out of
// focus; otherwise HideUnfocused keeps its previous answer.
inline bool kmlAskHideUnfocused(int unfocusedCount) {
  return unfocusedCount > 0;
}
// Where the hint box goes: its right edge 5 pixels left of the button, its
// top level with the button's. buttonTopLeft is in the window's coordinates.
QRect kmlHintRect(QPoint buttonTopLeft, bool japanese);

}  // namespace velaro

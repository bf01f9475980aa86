#pragma once

#include "render/scene/replayframes.h"

#include <QStringList>
#include <QTextStream>

namespace velaro::cli {

enum class ViewArg {
  NotMine,  // not a view option: the command reads it itself
  Taken,    // read into the view; i is on its last word
  Bad,      // a view option with a bad value; the reason is written
};

// The options that shape a drawn map, shared by the picture and video
// commands: --size WxH, --north-up, --label-level N, --zoom N, --whole-race,
// --centre LAT,LON, --speed-colours.
ViewArg takeViewArg(const QStringList& args, int& i, ExportView& view, QTextStream& err);

// Checks what only makes sense together: the live scene's zoom is a whole
// divisor from 1 to 10 and it has no centre of its own. False after writing
// why.
bool viewIsConsistent(const ExportView& view, QTextStream& err);

// Usage text of the view options.
inline constexpr const char* kViewUsage =
    "[--size WxH] [--north-up] [--label-level N] [--zoom N] [--whole-race [--centre LAT,LON] "
    "[--speed-colours]]";
inline constexpr const char* kViewHelp =
    "  live scene: --label-level 0..3 (default 2), --zoom 1..10 zooms out (default 1)\n"
    "  --whole-race: every focused boat's whole track; --zoom Z magnifies (default 1, the whole race),\n"
    "  --centre in decimal degrees, north and east positive, e.g. 35.29,139.47 (default the race's "
    "middle),\n"
    "  --speed-colours: the tracks coloured by speed, the fleet's 5 to 95 % of speeds while racing\n";

}  // namespace velaro::cli

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
// commands: --size WxH, --north-up, --label-level N, --zoom N.
ViewArg takeViewArg(const QStringList& args, int& i, ExportView& view, QTextStream& err);

// Usage text of the view options.
inline constexpr const char* kViewUsage = "[--size WxH] [--north-up] [--label-level N] [--zoom N]";
inline constexpr const char* kViewHelp =
    "  --label-level 0..3 (default 2), --zoom 1..10 zooms out (default 1)\n";

}  // namespace velaro::cli

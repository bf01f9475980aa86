#pragma once

#include "core/analysis/manoeuvres.h"

#include <QString>

namespace velaro {

// The line the boat list's hint adds for a boat's manoeuvres: its tacks,
// gybes and mean metres lost ("5 tacks, 3 gybes, 12 m lost on average").
QString manoeuvreHintText(const ManoeuvreTally& tally);

}  // namespace velaro

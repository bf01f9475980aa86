#pragma once

#include "core/analysis/manoeuvres.h"
#include "core/analysis/starts.h"
#include "core/race.h"

#include <QByteArray>

#include <vector>

namespace velaro {

// The tacks and gybes as a CSV file: UTF-8, a header row, one row per
// manoeuvre, CR LF line ends. Times are seconds from the gun and the local
// clock time; empty fields where a figure could not be measured.
QByteArray WriteManoeuvresCsv(const Race& race, const std::vector<Manoeuvre>& manoeuvres);

// Every boat's start as a CSV file, one row per boat, in the same form.
QByteArray WriteStartsCsv(const Race& race, const std::vector<BoatStart>& starts);

}  // namespace velaro

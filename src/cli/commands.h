#pragma once

#include <QStringList>
#include <QTextStream>

namespace velaro::cli {

// Each subcommand takes its own arguments (without the subcommand name) and
// returns the process exit code: 0 done, 1 failed on input, 2 bad usage.
int runInfo(const QStringList& args, QTextStream& out, QTextStream& err);
int runFixes(const QStringList& args, QTextStream& out, QTextStream& err);
int runVideo(const QStringList& args, QTextStream& out, QTextStream& err);
int runRender(const QStringList& args, QTextStream& out, QTextStream& err);
int runTable(const QStringList& args, QTextStream& out, QTextStream& err);
int runGraph(const QStringList& args, QTextStream& out, QTextStream& err);
int runKml(const QStringList& args, QTextStream& out, QTextStream& err);
int runManoeuvres(const QStringList& args, QTextStream& out, QTextStream& err);
int runStarts(const QStringList& args, QTextStream& out, QTextStream& err);
int runNewRace(const QStringList& args, QTextStream& out, QTextStream& err);
int runGaps(const QStringList& args, QTextStream& out, QTextStream& err);
int runPolar(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace velaro::cli

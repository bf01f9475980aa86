#pragma once

// Runs the built velaro-cli as a user would, for the command tests.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace velaro::testing {

inline const QString kCliPath = QStringLiteral(VELARO_BINARY_DIR "/src/cli/velaro-cli");

struct CliRun {
  int exitCode = -1;  // -1 also when it crashed or did not finish
  QByteArray out;
  QString err;
};

inline CliRun runCli(const QStringList& args, int timeoutMs = 300000) {
  QProcess p;
  p.start(kCliPath, args);
  CliRun r;
  if (!p.waitForFinished(timeoutMs)) {
    ADD_FAILURE() << "velaro-cli did not finish";
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

}  // namespace velaro::testing

#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace velaro {

// Only one copy of the program runs per user. The first copy holds a lock file
// and listens on a local socket; a second start finds the lock taken, asks the
// first copy to come to the front (handing over the files it was given) and
// ends.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(const QString& key = QStringLiteral("TEST_MUTEX"), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this process is the first copy (the lock is ours from now on).
  bool tryBecomePrimary();
  // Tells the running copy to come to the front; true when it answered.
  bool notifyPrimary(int timeoutMs = 1000) { return sendFiles({}, timeoutMs); }
  // The same, and the running copy opens the files (absolute paths).
  bool sendFiles(const QStringList& files, int timeoutMs = 1000);

 signals:
  void activationRequested();
  // A second start handed these files over (never empty).
  void filesReceived(const QStringList& files);

 private:
  QString m_key;
  std::unique_ptr<QLockFile> m_lock;
  QLocalServer m_server;
};

}  // namespace velaro

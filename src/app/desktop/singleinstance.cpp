#include "app/desktop/singleinstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace velaro {

namespace {

QString userScopedName(const QString& key) {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) {
    user = QStringLiteral("user");
  }
  return QStringLiteral("velaro-%1-%2").arg(key, user);
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key) {
  connect(&m_server, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      // The request is the list of files, which may arrive in pieces.
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        QDataStream in(socket);
        in.startTransaction();
        QStringList files;
        in >> files;
        if (!in.commitTransaction()) {
          return;
        }
        socket->write("ok");
        socket->flush();
        socket->disconnectFromServer();
        emit activationRequested();
        if (!files.isEmpty()) {
          emit filesReceived(files);
        }
      });
    }
  });
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryBecomePrimary() {
  const QString name = userScopedName(m_key);
  m_lock = std::make_unique<QLockFile>(QDir::temp().filePath(name + QStringLiteral(".lock")));
  // A lock left by a crashed copy is stale at once: the owner's pid is checked.
  m_lock->setStaleLockTime(0);
  if (!m_lock->tryLock(100)) {
    m_lock.reset();
    return false;
  }
  QLocalServer::removeServer(name);
  m_server.setSocketOptions(QLocalServer::UserAccessOption);
  m_server.listen(name);
  return true;
}

bool SingleInstance::sendFiles(const QStringList& files, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(userScopedName(m_key));
  if (!socket.waitForConnected(timeoutMs)) {
    return false;
  }
  QDataStream out(&socket);
  out << files;
  // What flush leaves unwritten goes out while the answer is awaited.
  socket.flush();
  socket.waitForReadyRead(timeoutMs);
  return socket.readAll() == "ok";
}

}  // namespace velaro

#include "app/SingleInstance.h"

#include "platform/Registry.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr qint64 kMaxRequest = 64 * 1024;
}

QString InstanceServerName() {
  const QByteArray key = QByteArray::number(static_cast<qulonglong>(::getuid())) + '\n' +
                         QByteArray::fromStdString(vexa::platform::RegistryStore::DefaultFolder());
  return QStringLiteral("vexa-orlith-") +
         QString::fromLatin1(
             QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

bool HandOverFile(const QString& serverName, const QString& path, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverName);
  if (!socket.waitForConnected(timeoutMs)) return false;
  // Percent-encoded, so that any file name, line feeds and edge blanks included, arrives whole.
  socket.write("OPEN " + path.toUtf8().toPercentEncoding("/") + "\n");
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  }
  return socket.readLine().trimmed() == "OK";
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &InstanceServer::OnConnection);
}

InstanceServer::~InstanceServer() {
  server_->close();
}

bool InstanceServer::Listen(const QString& name) {
  if (server_->listen(name)) return true;
  if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
  // Somebody answers on that name: a running program. Otherwise a stale socket.
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(500)) return false;
  QLocalServer::removeServer(name);
  return server_->listen(name);
}

void InstanceServer::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->bytesAvailable() > kMaxRequest && !socket->canReadLine()) {
        socket->abort();
        return;
      }
      if (!socket->canReadLine()) return;
      const QByteArray line = socket->readLine(kMaxRequest).trimmed();
      if (!line.startsWith("OPEN ") || line.size() <= 5) {
        socket->write("ERR\n");
        socket->disconnectFromServer();
        return;
      }
      if (accept_ && !accept_()) {
        socket->write("BUSY\n");
        socket->disconnectFromServer();
        return;
      }
      const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5)));
      socket->write("OK\n");
      socket->flush();
      socket->disconnectFromServer();
      emit openRequested(path);
    });
  }
}

#include "SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
const QByteArray kRaise("raise\n");
}

CSingleInstance::CSingleInstance(const QString& name, QObject* parent) : QObject(parent), name_(name) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::DefaultName() {
  return QStringLiteral("MyVestrelClass-%1").arg(static_cast<qulonglong>(::getuid()));
}

bool CSingleInstance::AskRunningInstance(int timeoutMs) const {
  QLocalSocket socket;
  socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
  socket.connectToServer(name_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kRaise);
  socket.flush();
  const bool written = socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0;
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
  return written;
}

bool CSingleInstance::Listen() {
  if (server_) return true;
  auto* server = new QLocalServer(this);
  server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
  if (!server->listen(name_)) {
    delete server;
    return false;
  }
  server_ = server;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      connect(s, &QLocalSocket::readyRead, this, [this, s] {
        if (s->readAll().contains("raise")) Q_EMIT raiseRequested();
      });
      if (s->bytesAvailable() > 0 && s->readAll().contains("raise")) Q_EMIT raiseRequested();
    }
  });
  return true;
}

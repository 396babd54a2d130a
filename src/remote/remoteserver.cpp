#include "remoteserver.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <string_view>

#include "remoteprotocol.h"
#include "store.h"

namespace quibrano {

class RemoteServer::Impl {
 public:
  Impl(RemoteServer& owner, RemoteView& view) : owner_(owner), view_(view), protocol_(view) {
    QObject::connect(&server_, &QTcpServer::newConnection, &owner_, [this] { AcceptAll(); });
  }

  // The window may already be gone: sockets are shut without telling it.
  ~Impl() {
    server_.close();
    for (auto& [id, socket] : sockets_) {
      QObject::disconnect(socket, nullptr, &owner_, nullptr);
      socket->abort();
      delete socket;
    }
  }

  void CheckBox7Click(bool on) {
    if (released_) return;
    if (on) {
      const auto port = ListenPortFrom(store.RemotePort);
      if (port && Open(*port)) return;
      Close();
      view_.SwitchRemoteOff();
      return;
    }
    if (protocol_.SwitchedOff()) Close();
  }

  void Close() {
    server_.close();
    while (!sockets_.empty()) Drop(sockets_.begin()->first);
  }

  void Release() {
    Close();
    released_ = true;
  }

  bool IsListening() const { return server_.isListening(); }
  uint16_t ListeningPort() const { return server_.isListening() ? server_.serverPort() : 0; }
  int ConnectionCount() const { return static_cast<int>(sockets_.size()); }

  int64_t BufferedBytes() const {
    int64_t total = 0;
    for (const auto& [id, socket] : sockets_) total += socket->bytesAvailable() + socket->bytesToWrite();
    return total;
  }

 private:
  // Reopening on the port the server already listens on changes nothing; a
  // different port while it listens is refused, as the facility would.
  bool Open(uint16_t port) {
    if (server_.isListening()) return server_.serverPort() == port;
    return server_.listen(QHostAddress::Any, port);
  }

  void AcceptAll() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      // Set before the event loop runs again, so the socket never buffers
      // more than one receive.
      socket->setReadBufferSize(static_cast<qint64>(kMaxMessageBytes));
      const ConnectionId id = nextId_++;
      const auto greeting = protocol_.Connect(id);
      if (!greeting) {
        socket->abort();
        socket->deleteLater();
        continue;
      }
      sockets_.emplace(id, socket);
      QObject::connect(socket, &QTcpSocket::readyRead, &owner_, [this, id] { Read(id); });
      QObject::connect(socket, &QTcpSocket::disconnected, &owner_, [this, id] { Drop(id); });
      Send(id, *greeting);
    }
  }

  void Read(ConnectionId id) {
    const auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    const QByteArray bytes = it->second->read(static_cast<qint64>(kMaxMessageBytes));
    if (bytes.isEmpty()) return;
    const ReceiveResult result =
        protocol_.Receive(id, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (!result.reply.empty()) Send(id, result.reply);
    if (result.drop) Drop(id);
    emit owner_.MessageHandled();
  }

  void Send(ConnectionId id, const std::string& text) {
    const auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    QTcpSocket* socket = it->second;
    socket->write(text.data(), static_cast<qint64>(text.size()));
    socket->flush();
    if (socket->bytesToWrite() > kMaxUnsentBytes) Drop(id);
  }

  // Every way a connection ends comes here once: the client left, the server
  // closed, or the connection broke a bound.
  void Drop(ConnectionId id) {
    const auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    QTcpSocket* socket = it->second;
    sockets_.erase(it);
    QObject::disconnect(socket, nullptr, &owner_, nullptr);
    socket->flush();
    socket->abort();
    socket->deleteLater();
    protocol_.Disconnect(id);
  }

  RemoteServer& owner_;
  RemoteView& view_;
  RemoteProtocol protocol_;
  QTcpServer server_;
  std::map<ConnectionId, QTcpSocket*> sockets_;
  ConnectionId nextId_ = 1;
  bool released_ = false;
};

RemoteServer::RemoteServer(RemoteView& view, QObject* parent)
    : QObject(parent), impl_(std::make_unique<Impl>(*this, view)) {}

RemoteServer::~RemoteServer() = default;

void RemoteServer::CheckBox7Click(bool on) { impl_->CheckBox7Click(on); }
void RemoteServer::Close() { impl_->Close(); }
void RemoteServer::Release() { impl_->Release(); }
bool RemoteServer::IsListening() const { return impl_->IsListening(); }
uint16_t RemoteServer::ListeningPort() const { return impl_->ListeningPort(); }
int RemoteServer::ConnectionCount() const { return impl_->ConnectionCount(); }
int64_t RemoteServer::BufferedBytes() const { return impl_->BufferedBytes(); }

}  // namespace quibrano

#include "remoteclient.h"

#include <QString>

namespace quibrano {
namespace {

// Long enough for the rest of a reply split by the network, short enough
// not to slow a session down.
constexpr int kSettleMs = 40;

bool IsWhole(const std::string& reply) {
  if (reply == "connect" || reply == "legal" || reply == "nolegal") return true;
  return reply.size() == 3 && reply.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool RemoteClient::Open(const std::string& host, uint16_t port) {
  socket_.connectToHost(QString::fromStdString(host), port);
  if (!socket_.waitForConnected(timeoutMs_)) {
    error_ = "cannot connect to " + host + " port " + std::to_string(port) + ": " +
             socket_.errorString().toStdString();
    return false;
  }
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  const std::string greeting = ReadReply(timeoutMs_);
  if (greeting != "connect") {
    if (error_.empty()) error_ = "unexpected greeting \"" + greeting + "\"";
    return false;
  }
  return true;
}

std::string RemoteClient::Ask(std::string_view text) {
  Send(text);
  return ReadReply(timeoutMs_);
}

std::string RemoteClient::Tell(std::string_view text, int quietMs) {
  Send(text);
  std::string reply = ReadReply(quietMs);
  if (reply.empty() && socket_.state() == QAbstractSocket::ConnectedState) error_.clear();
  return reply;
}

void RemoteClient::Send(std::string_view text) {
  error_.clear();
  socket_.write(text.data(), static_cast<qint64>(text.size()));
  socket_.waitForBytesWritten(timeoutMs_);
}

std::string RemoteClient::ReadReply(int firstByteMs) {
  std::string reply;
  int wait = firstByteMs;
  while (!IsWhole(reply)) {
    if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(wait)) break;
    const QByteArray bytes = socket_.readAll();
    reply.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    wait = kSettleMs;
  }
  if (reply.empty()) {
    error_ = socket_.state() == QAbstractSocket::ConnectedState ? "no reply within " + std::to_string(firstByteMs) + " ms"
                                                                : "the server closed the connection";
  }
  return reply;
}

}  // namespace quibrano

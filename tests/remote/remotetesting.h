// Loopback helpers for the server tests: a fake main window, a test client
// that collects what the server sends, and a fixture with a running server.
#pragma once

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "remoteserver.h"
#include "store.h"

namespace quibrano::testing {

// Runs the event loop until cond holds or ms have passed.
inline bool WaitUntil(const std::function<bool()>& cond, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!cond()) {
    if (timer.elapsed() > ms) return false;
    QTest::qWait(2);
  }
  return true;
}

// A port nobody listens on at the moment.
inline uint16_t FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::Any, 0)) return 0;
  return probe.serverPort();
}

// The main window as the server sees it: the indicator, and the Remote
// switch whose click handling runs again when the server turns it off.
class FakeRemoteView : public RemoteView {
 public:
  void SetIndicator(bool green) override { green_ = green; }
  bool IndicatorGreen() const override { return green_; }
  void SwitchRemoteOff() override {
    ++switchedOff;
    if (!remoteSwitch) return;
    remoteSwitch = false;
    if (server != nullptr) server->CheckBox7Click(false);
  }

  bool green_ = false;
  bool remoteSwitch = false;
  int switchedOff = 0;
  RemoteServer* server = nullptr;
};

class Client {
 public:
  explicit Client(uint16_t port, const QHostAddress& host = QHostAddress(QHostAddress::LocalHost)) {
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
      const QByteArray bytes = socket_.readAll();
      received_.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    });
    // Without this, a message sent after one that got no reply waits for
    // the delayed acknowledgement.
    QObject::connect(&socket_, &QTcpSocket::connected,
                     [this] { socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    socket_.connectToHost(host, port);
  }

  // Waits for the greeting and takes it out of what was received.
  bool Greeted() { return Expect("connect"); }

  void Send(std::string_view text) {
    socket_.write(text.data(), static_cast<qint64>(text.size()));
    socket_.flush();
  }

  // Waits until as many bytes as text has have arrived; true when they are
  // exactly text. What was compared is taken out.
  bool Expect(const std::string& text, int ms = 5000) {
    WaitUntil([&] { return received_.size() >= text.size(); }, ms);
    const std::string got = received_.substr(0, text.size());
    received_.erase(0, got.size());
    last_ = got;
    return got == text;
  }

  bool WaitDisconnected(int ms = 5000) {
    return WaitUntil([&] { return socket_.state() == QAbstractSocket::UnconnectedState; }, ms);
  }
  void Leave() { socket_.disconnectFromHost(); }

  QTcpSocket& socket() { return socket_; }
  const std::string& received() const { return received_; }
  const std::string& last() const { return last_; }

 private:
  QTcpSocket socket_;
  std::string received_;
  std::string last_;
};

// A running server on a free port with a fake window; the store as at start-up.
class ServerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    view.server = &server;
    QObject::connect(&server, &RemoteServer::MessageHandled, [this] { ++handled; });
    port = FreePort();
    ASSERT_NE(port, 0);
    store.RemotePort = std::to_string(port);
    SwitchOn();
    ASSERT_TRUE(server.IsListening());
  }

  void SwitchOn() {
    view.remoteSwitch = true;
    server.CheckBox7Click(true);
  }
  void SwitchOff() {
    view.remoteSwitch = false;
    server.CheckBox7Click(false);
  }

  std::unique_ptr<Client> Connect() {
    auto client = std::make_unique<Client>(port);
    EXPECT_TRUE(client->Greeted()) << "greeting: \"" << client->last() << '"';
    return client;
  }

  // Sends one message and waits until the server has handled it, so the
  // next message cannot arrive in the same receive.
  bool Say(Client& client, std::string_view text) {
    const int before = handled;
    client.Send(text);
    return WaitUntil([&] { return handled > before; });
  }

  // Sends text, then "repeat": the reply to text (or nothing) must come
  // first, then the relay word. TCP keeps the order, so a reply that should
  // not be there shows up in front of the word.
  bool Exchange(Client& client, std::string_view text, const std::string& reply, int word) {
    if (!Say(client, text) || !Say(client, "repeat")) return false;
    return client.Expect(reply + std::to_string(word));
  }

  FakeRemoteView view;
  RemoteServer server{view};
  uint16_t port = 0;
  int handled = 0;
};

}  // namespace quibrano::testing

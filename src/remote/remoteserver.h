// The remote control server: protocol over a QTcpServer on the GUI thread.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

#include "views.h"

namespace quibrano {

class RemoteServer : public QObject {
  Q_OBJECT
 public:
  explicit RemoteServer(RemoteView& view, QObject* parent = nullptr);
  ~RemoteServer() override;

  // The Remote switch changed (CheckBox7Click); on is its new state.
  void CheckBox7Click(bool on);
  // Stops listening and drops every client: the pending close of the
  // second tick, and the failure path of an open.
  void Close();
  // Close() at window close; the component is not used afterwards.
  void Release();

  bool IsListening() const;
  uint16_t ListeningPort() const;

  // Open client connections, and the bytes they hold unread or unsent: what
  // the server costs at the moment.
  int ConnectionCount() const;
  int64_t BufferedBytes() const;

 signals:
  // One receive has been handled (its reply, if any, is written).
  void MessageHandled();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quibrano

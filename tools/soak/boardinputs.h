// Flips the board simulator's contacts K1 and K2 through its command stream:
// mostly every few hundred milliseconds, which the debounce has to ride out,
// now and then held for seconds so the answers can be judged.
#pragma once

#include <QObject>
#include <QTimer>
#include <string>

namespace quibrano::soak {

class Soak;

class BoardInputs : public QObject {
  Q_OBJECT
 public:
  explicit BoardInputs(Soak& soak);
  ~BoardInputs() override;

  // Opens the command stream (a FIFO the simulator reads) and puts both
  // contacts open. False with a reason.
  bool Start(std::string* error);
  void Stop();

 private:
  bool Send(const std::string& line);
  void Flip();

  Soak& soak_;
  QTimer timer_;
  int fd_ = -1;
  bool closed_[2] = {false, false};
};

}  // namespace quibrano::soak

// Shared main of every test executable: a fixed locale and time zone, so no
// test depends on the machine it runs on, and an application object for the
// tests that need timers, sockets or windows (offscreen unless told otherwise).
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  setenv("LC_ALL", "C.UTF-8", 1);
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::setlocale(LC_ALL, "C.UTF-8");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

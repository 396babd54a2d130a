// A second process that tries to open a port: exit 0 when it could.
#include <cstdio>

#include "serialport.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const bool opened = quibrano::OpenPort(argv[1]);
  quibrano::ClosePort();
  std::puts(opened ? "opened" : "refused");
  return opened ? 0 : 1;
}

#pragma once

#include <termios.h>

#include <cstring>
#include <string>

namespace zef30::essai {

// A line's settings as bytes, to tell whether anything of them changed.
inline std::string Reglages(int fd) {
  termios t;
  std::memset(&t, 0, sizeof t);
  if (::tcgetattr(fd, &t) != 0) return "illisibles";
  return std::string(reinterpret_cast<const char*>(&t), sizeof t);
}

// Another program's settings on the line: 115200 bauds, cooked, echo on. False when refused.
inline bool ReglerCommeUnAutre(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  t.c_lflag |= ICANON | ECHO | ISIG;
  t.c_iflag |= ICRNL;
  t.c_oflag |= OPOST;
  ::cfsetspeed(&t, B115200);
  return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace zef30::essai

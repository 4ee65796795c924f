// The Telnet filter of a line served over RFC 2217: the terminal's bytes out of what the server
// sends, however it is cut, and the answers owed to the server's offers.
#include "link/Telnet2217.h"

#include <gtest/gtest.h>

#include <vector>

namespace zef30 {
namespace {

TEST(Telnet2217, KeepsTheTerminalsBytesAndAnswersTheServer) {
  using namespace std::string_literals;
  struct Cas {
    std::vector<std::string> recus;  // as the connection cut them
    std::string donnees;
    std::string reponses;
  };
  const Cas cas[] = {
      {{"\x02"s
        "AB\x03"s},
       "\x02"s
       "AB\x03"s,
       ""s},
      {{"A\xFF\xFF"s
        "B"s},
       "A\xFF"s
       "B"s,
       ""s},
      {{"A\xFF"s,
        "\xFF"s
        "B"s},
       "A\xFF"s
       "B"s,
       ""s},
      // What we offered and the server takes is not answered again.
      {{"\xFF\xFD\x00\xFF\xFB\x00\xFF\xFD\x03\xFF\xFB\x03\xFF\xFD\x2C"s}, ""s, ""s},
      {{"\xFF\xFB\x2C"s}, ""s, "\xFF\xFD\x2C"s},
      // Other options are refused, once.
      {{"\xFF\xFB\x01"s, "\xFF\xFD\x18"s}, ""s, "\xFF\xFE\x01\xFF\xFC\x18"s},
      {{"\xFF\xFE\x18\xFF\xFC\x01"s}, ""s, ""s},
      {{"\xFF\xFE\x00\xFF\xFD\x00"s}, ""s, "\xFF\xFC\x00\xFF\xFB\x00"s},
      {{"\xFF\xFC\x03\xFF"s, "\xFB"s, "\x03"s}, ""s, "\xFF\xFE\x03\xFF\xFD\x03"s},
      // Notifications, and the server's echo of our settings, whatever their cut and content.
      {{"x\xFF\xFA\x2C\x6B"s, "\x00\xFF"s, "\xF0y"s}, "xy"s, ""s},
      {{"\xFF\xFA\x2C\x65\x00\x00\xFF\xFF\x80\xFF\xF0z"s}, "z"s, ""s},
      {{"a\xFF\xF1"s
        "b\xFF\xF9"s},
       "ab"s,
       ""s},
  };
  for (const Cas& k : cas) {
    FiltreTelnet filtre;
    std::string donnees, reponses;
    for (const std::string& recu : k.recus) filtre.Recevoir(recu, donnees, reponses);
    EXPECT_EQ(donnees, k.donnees) << k.recus[0];
    EXPECT_EQ(reponses, k.reponses) << k.recus[0];
  }
}

}  // namespace
}  // namespace zef30

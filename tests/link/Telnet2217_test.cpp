// The Telnet filter of a line served over RFC 2217: the terminal's bytes out of what the server
// sends, however it is cut, and the answers owed to the server's offers.
#include "link/Telnet2217.h"

#include <gtest/gtest.h>

#include <vector>

namespace zef30 {
namespace {

using namespace std::string_literals;

TEST(Telnet2217, KeepsTheTerminalsBytesAndAnswersTheServer) {
  const struct {
    std::vector<std::string> recus;  // as the connection cut them
    std::string donnees, reponses;
  } cas[] = {
      {{"\x02Z\xFF"s, "\xFFZ\x03"s}, "\x02Z\xFFZ\x03"s, ""},
      // What we offered and the server takes is not answered again; its own offer is.
      {{"\xFF\xFD\x00\xFF\xFB\x00\xFF\xFD\x03\xFF\xFB\x03\xFF\xFD\x2C\xFF\xFB\x2C"s},
       "",
       "\xFF\xFD\x2C"s},
      // Other options are refused, once however often they are asked; a refusal of ours is
      // answered, and a side once answered is never negotiated again (no endless exchange).
      {{"\xFF\xFB\x01\xFF\xFD\x18"s, "\xFF\xFE\x18\xFF\xFC\x01"s}, "", "\xFF\xFE\x01\xFF\xFC\x18"s},
      {{"\xFF\xFD\x18\xFF\xFD\x18\xFF\xFB\x18"s, "\xFF\xFD\x18\xFF\xFB\x18\xFF\xFD"s, "\x18"s},
       "",
       "\xFF\xFC\x18\xFF\xFE\x18"s},
      {{"\xFF\xFE\x00\xFF\xFD\x00\xFF\xFC\x03\xFF"s, "\xFB"s, "\x03"s},
       "",
       "\xFF\xFC\x00\xFF\xFE\x03"s},
      // Notifications and the echo of our settings, whatever their cut and content; other commands.
      {{"x\xFF\xFA\x2C\x6B"s, "\x00\xFF"s,
        "\xF0y\xFF\xFA\x2C\x65\x00\xFF\xFF\x80\xFF\xF0z\xFF\xF1!\xFF\xF9"s},
       "xyz!",
       ""},
      // A subnegotiation never ended is cut at its bound and dropped; the terminal's bytes follow.
      {{"a\xFF\xFA"s + std::string(FiltreTelnet::kSousNegociationMax - 1, '\x2C'), "\xFF"s, "b"s},
       "ab",
       ""},
  };
  for (const auto& k : cas) {
    FiltreTelnet filtre;
    std::string donnees, reponses;
    for (const std::string& recu : k.recus) filtre.Recevoir(recu, donnees, reponses);
    EXPECT_EQ(donnees, k.donnees) << k.recus[0];
    EXPECT_EQ(reponses, k.reponses) << k.recus[0];
  }
}

}  // namespace
}  // namespace zef30

#include <gtest/gtest.h>

#include "app/OptionsLigne.h"

namespace zef30 {
namespace {

// A line "scheme://…" is one of the network's, or refused as such: never a file of that name.
TEST(SchemasPort, TelnetAndUnknownSchemesAreRefusedAsSuch) {
  const std::string conseil =
      "utilisez rfc2217:// (Telnet avec le contrôle du port série) ou tcp://";
  const struct {
    std::string port;
    std::string erreur;  // empty: taken
  } cas[] = {
      {"1=telnet://bench-7:4001", "--port : « telnet://bench-7:4001 » : " + conseil},
      {"TELNET://bench-7:4001", "--port : « TELNET://bench-7:4001 » : " + conseil},
      {"2=ftp://bench-7:4001", "--port : schéma « ftp:// » inconnu : " + conseil},
      {"2=ser2net+x://h:1", "--port : schéma « ser2net+x:// » inconnu : " + conseil},
      {"2=rfc2217://bench-7:4001", ""},
      {"3=tcp://127.0.0.1:2217", ""},
      // Not a scheme: a path that happens to hold "://".
      {"/tmp/a://b", ""},
      {"./telnet://x", ""},
      {"1=://x", ""},
  };
  for (const auto& c : cas) {
    const auto lu = LireOptions({"--port", c.port});
    EXPECT_EQ(lu.erreur, c.erreur) << c.port;
  }
}

}  // namespace
}  // namespace zef30

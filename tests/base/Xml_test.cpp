#include "base/Xml.h"

#include <gtest/gtest.h>

#include <string>

namespace zef30 {
namespace {

// The reports and the sequence chart write every text through the same escaping: what XML
// gives a meaning to as entities, what it forbids named, bytes that are not UTF-8 made valid.
TEST(EchapperXml, GivesEntitiesNamesAndValidUtf8) {
  const struct {
    std::string texte;
    std::string xml;
  } cas[] = {
      {"", ""},
      {"Aa réponse de switch", "Aa réponse de switch"},
      {"a & b < c > d", "a &amp; b &lt; c &gt; d"},
      {"\"l'heure\"", "&quot;l&apos;heure&quot;"},
      {"mise à l’heure", "mise à l’heure"},
      {"un\ndeux\r\ttrois", "un\ndeux\r\ttrois"},
      {std::string("\x02"
                   "AA000\x10\x03",
                   8),
       "&lt;STX&gt;AA000&lt;DLE&gt;&lt;ETX&gt;"},
      {std::string(1, '\0'), "&lt;00&gt;"},
      {"\x7f", "&lt;7F&gt;"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.texte);
    EXPECT_EQ(EchapperXml(c.texte), c.xml);
  }
  // A byte that is no UTF-8 leaves valid UTF-8 behind, whatever it becomes.
  const std::string xml = EchapperXml("\xff");
  EXPECT_FALSE(xml.empty());
  EXPECT_EQ(xml.find('\xff'), std::string::npos);
}

}  // namespace
}  // namespace zef30

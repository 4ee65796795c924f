#include "base/Xml.h"

#include "base/Texte.h"

namespace zef30 {

std::string EchapperXml(std::string_view texte) {
  std::string xml;
  for (const char c : VersUtf8Valide(texte)) {
    const auto octet = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        xml += "&amp;";
        break;
      case '<':
        xml += "&lt;";
        break;
      case '>':
        xml += "&gt;";
        break;
      case '"':
        xml += "&quot;";
        break;
      case '\'':
        xml += "&apos;";
        break;
      default:
        if ((octet < 0x20 && c != '\t' && c != '\n' && c != '\r') || octet == 0x7F) {
          // "<STX>" for the handshake's characters, "<HH>" for the others.
          const std::string nom = TexteLisible(std::string(1, c));
          xml += "&lt;" + nom.substr(1, nom.size() - 2) + "&gt;";
        } else {
          xml += c;
        }
    }
  }
  return xml;
}

}  // namespace zef30

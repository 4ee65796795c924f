#include "link/Telnet2217.h"

namespace zef30 {

namespace {

constexpr char kIac = '\xFF';
constexpr std::uint8_t kSe = 240, kSb = 250, kWill = 251, kWont = 252, kDo = 253, kDont = 254,
                       kIacOctet = 255;
constexpr std::uint8_t kBinaire = 0, kSansGoAhead = 3, kPortCom = 44;

bool Acceptee(std::uint8_t option) {
  return option == kBinaire || option == kSansGoAhead || option == kPortCom;
}

std::string Commande(std::uint8_t verbe, std::uint8_t option) {
  return {kIac, static_cast<char>(verbe), static_cast<char>(option)};
}

// One COM Port Control setting: IAC SB COM-PORT-OPTION code value IAC SE.
std::string Reglage(std::uint8_t code, std::string_view valeur) {
  return std::string{kIac, static_cast<char>(kSb), static_cast<char>(kPortCom),
                     static_cast<char>(code)} +
         FiltreTelnet::Echapper(valeur) + std::string{kIac, static_cast<char>(kSe)};
}

// The terminal's line: 9600 bauds, 8 data bits, no parity (1), 1 stop bit, no flow control (1),
// and both buffers purged (3) so that nothing of another session is taken for an answer.
std::string Reglages() {
  return Reglage(1, std::string_view("\x00\x00\x25\x80", 4)) + Reglage(2, "\x08") +
         Reglage(3, "\x01") + Reglage(4, "\x01") + Reglage(5, "\x01") + Reglage(12, "\x03");
}

}  // namespace

std::array<FiltreTelnet::Option, 256> FiltreTelnet::OptionsDemandees() {
  std::array<Option, 256> options{};
  options[kBinaire] = {true, true};
  options[kSansGoAhead] = {true, true};
  options[kPortCom].chezNous = true;
  return options;
}

std::string FiltreTelnet::Ouverture() {
  // The settings go with the offer, not once it is taken: a purge that came after the first
  // request had gone would throw away the terminal's answer to it.
  return Commande(kWill, kBinaire) + Commande(kDo, kBinaire) + Commande(kWill, kSansGoAhead) +
         Commande(kDo, kSansGoAhead) + Commande(kWill, kPortCom) + Reglages();
}

std::string FiltreTelnet::Echapper(std::string_view octets) {
  std::string echappe;
  echappe.reserve(octets.size());
  for (const char c : octets) {
    echappe += c;
    if (c == kIac) echappe += kIac;
  }
  return echappe;
}

void FiltreTelnet::Negocier(std::uint8_t verbe, std::uint8_t option, std::string& reponses) {
  Option& o = options_[option];
  const bool nous = verbe == kDo || verbe == kDont;  // about what we do, or what the server does
  bool& actif = nous ? o.chezNous : o.chezLui;
  bool& repondu = nous ? o.reponduNous : o.reponduLui;
  // An option already in the state asked for is not acknowledged again, and a side answered once
  // is left as it was told: a server that asks again and again gets nothing more.
  const bool voulu = (verbe == kDo || verbe == kWill) && Acceptee(option);
  const bool refus = (verbe == kDo || verbe == kWill) && !voulu;
  if (repondu || (voulu == actif && !refus)) return;
  repondu = true;
  actif = voulu;
  reponses += Commande(nous ? (voulu ? kWill : kWont) : (voulu ? kDo : kDont), option);
}

void FiltreTelnet::Recevoir(std::string_view recu, std::string& donnees, std::string& reponses) {
  for (const char c : recu) {
    const auto octet = static_cast<std::uint8_t>(c);
    switch (etat_) {
      case Etat::Donnees:
        if (octet == kIacOctet) {
          etat_ = Etat::Commande;
        } else {
          donnees += c;
        }
        break;
      case Etat::Commande:
        etat_ = Etat::Donnees;
        if (octet == kIacOctet) {
          donnees += c;  // a doubled 0xFF is one terminal byte
        } else if (octet >= kWill && octet <= kDont) {
          verbe_ = octet;
          etat_ = Etat::Option;
        } else if (octet == kSb) {
          etat_ = Etat::Sous;
          dansSous_ = 0;
        }  // any other command (NOP, GA, DM...) carries nothing for the terminal
        break;
      case Etat::Option:
        Negocier(verbe_, octet, reponses);
        etat_ = Etat::Donnees;
        break;
      // The server's notifications (line state, modem state) and its echo of our settings: read
      // through and dropped, whatever their length.
      case Etat::Sous:
        if (octet == kIacOctet) etat_ = Etat::SousCommande;
        if (++dansSous_ >= kSousNegociationMax) etat_ = Etat::Donnees;
        break;
      case Etat::SousCommande:
        etat_ = octet == kSe ? Etat::Donnees : Etat::Sous;
        if (++dansSous_ >= kSousNegociationMax) etat_ = Etat::Donnees;
        break;
    }
  }
}

}  // namespace zef30

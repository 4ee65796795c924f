#include "simulator/Deroulement.h"

#include <cctype>
#include <cstdio>
#include <utility>

#include "protocol/Trame.h"

namespace zef30::simulateur {

namespace {
// The message characters one block holds, counted as the message's bytes are.
constexpr auto kMessageParBloc = static_cast<std::size_t>(kMaxUnBloc);
}  // namespace

Deroulement BlocsReponse(std::string_view message) {
  if (message.size() <= kMessageParBloc) return {Envoi{EncadrerMessage(message)}};
  // The first of two blocks ends with ETB, under a check character of its own.
  std::string bloc1 = EncadrerMessage(message.substr(0, kMessageParBloc));
  bloc1[bloc1.size() - 2] = ETB;
  bloc1.back() = CalculerLrc(std::string_view(bloc1).substr(0, bloc1.size() - 1)).front();
  return {Envoi{std::move(bloc1)}, Envoi{EncadrerMessage(message.substr(kMessageParBloc))}};
}

std::string TrameAffichage(std::string_view ligne1, std::string_view ligne2) {
  return EncadrerMessage("D" + AjusterChamp(ligne1, 16) + AjusterChamp(ligne2, 16));
}

std::string MessageReponse(std::string_view codeRequete, std::string_view donnees) {
  std::string code = AjusterChamp(codeRequete, 2);
  code[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(code[1])));
  // The length field has three digits: longer data are cut rather than announced wrongly.
  const std::string_view dans = donnees.substr(0, std::min<std::size_t>(donnees.size(), 999));
  char longueur[4];
  std::snprintf(longueur, sizeof longueur, "%03u", static_cast<unsigned>(dans.size()));
  return code + longueur + std::string(dans);
}

std::string AjusterChamp(std::string_view texte, std::size_t largeur) {
  std::string champ(texte.substr(0, std::min(texte.size(), largeur)));
  champ.resize(largeur, ' ');
  return champ;
}

}  // namespace zef30::simulateur

#include "simulator/Deroulement.h"

#include <cctype>
#include <cstdio>

#include "link/Trame.h"

namespace zef30::simulateur {

namespace {
constexpr std::size_t kTailleBloc = 252;
// STX before the message, three closing characters after: 248 message characters per block.
constexpr std::size_t kMessageParBloc = kTailleBloc - 4;

std::string Bloc(std::string_view morceau, char fin) {
  std::string bloc;
  bloc.reserve(morceau.size() + 4);
  bloc += STX;
  bloc += morceau;
  bloc += DLE;
  bloc += fin;
  bloc += CalculerLrc(bloc);
  return bloc;
}
}  // namespace

Deroulement BlocsReponse(std::string_view message) {
  if (message.size() <= kMessageParBloc) return {Envoi{Bloc(message, ETX)}};
  return {Envoi{Bloc(message.substr(0, kMessageParBloc), ETB)},
          Envoi{Bloc(message.substr(kMessageParBloc), ETX)}};
}

std::string TrameAffichage(std::string_view ligne1, std::string_view ligne2) {
  return Bloc("D" + AjusterChamp(ligne1, 16) + AjusterChamp(ligne2, 16), ETX);
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

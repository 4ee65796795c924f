#include "protocol/Trame.h"

#include "base/Texte.h"

namespace zef30 {

std::string CalculerLrc(std::string_view trame) {
  unsigned char lrc = 0;
  for (std::size_t i = 1; i < trame.size(); ++i) lrc ^= static_cast<unsigned char>(trame[i]);
  return std::string(1, static_cast<char>(lrc));
}

std::string EncadrerMessage(std::string_view message) {
  std::string trame;
  trame.reserve(message.size() + 4);
  trame += STX;
  trame += message;
  trame += DLE;
  trame += ETX;
  trame += CalculerLrc(trame);
  return trame;
}

std::optional<int> LireLongueurTrame(std::string_view trame) {
  return LireEntierStrict(Extraire(trame, 4, 3));
}

std::string JoindreBlocs(std::string_view bloc1, std::string_view bloc2) {
  std::string reponse(bloc1.size() >= 3 ? bloc1.substr(0, bloc1.size() - 3) : std::string_view());
  if (!bloc2.empty()) reponse += bloc2.substr(1);
  return reponse;
}

}  // namespace zef30

#include "link/NommeurTrames.h"

#include "protocol/Trame.h"

namespace zef30 {

NommeurTrames::NommeurTrames(DecodeurTrames& decodeur)
    : decodeur_(decodeur), decodeurTrace_(DecodeurPourTrace(decodeur)) {}

void NommeurTrames::Nommer(EnregistrementTrace& e) {
  e.trames.clear();
  e.decodages.clear();
  e.affichage = false;
  // Handshake characters alone, between frames: an ENQ opens a new turn.
  if (!e.octets.empty() &&
      e.octets.find_first_not_of(std::string{ENQ, ACK, NAK, EOT}) == std::string::npos) {
    decodeur_.Signaler(e.octets);
  }
  suivis_[e.sens == Sens::VersTerminal ? 0 : 1].Ajouter(e.octets, e, decodeurTrace_);
}

DecodeurTrace DecodeurPourTrace(DecodeurTrames& decodeur) {
  return [&decodeur](std::string_view trame, Sens sens) {
    return decodeur.Decoder(trame, sens == Sens::VersTerminal);
  };
}

std::vector<EnregistrementTrace> NommerTrames(std::vector<EnregistrementTrace> enregistrements,
                                              DecodeurTrames& decodeur) {
  NommeurTrames nommeur(decodeur);
  for (EnregistrementTrace& e : enregistrements) nommeur.Nommer(e);
  return enregistrements;
}

}  // namespace zef30

#include "simulator/Protocole.h"

#include <utility>

#include "protocol/Trame.h"

namespace zef30::simulateur {

namespace {
// The longest request frame: a message of 999 data characters with its header and end.
constexpr std::size_t kTrameMax = 999 + 5 + 4;

std::string Un(char caractere) { return std::string(1, caractere); }

// Characters of the handshake never stand inside a request's text: one of them ends a frame
// left unfinished, so that a cut frame cannot swallow the next probe.
bool EstCaractereDeDialogue(char octet) {
  return octet == ENQ || octet == EOT || octet == ACK || octet == NAK;
}
}  // namespace

Protocole::Protocole(TableFamilles familles) : familles_(std::move(familles)) {}

std::vector<Sortie> Protocole::Recevoir(std::string_view octets, const Scenario& scenario) {
  std::vector<Sortie> sorties;
  for (const char octet : octets) RecevoirOctet(octet, scenario, sorties);
  if (!scenario.bruit.empty()) {
    for (Sortie& sortie : sorties) {
      if (!sortie.octets.empty()) sortie.octets = scenario.bruit;
    }
  }
  perturbateur_.Appliquer(sorties, scenario.fautes);
  return sorties;
}

std::vector<Sortie> Protocole::Spontane(Deroulement deroulement, const Scenario&) {
  std::vector<Sortie> sorties;
  if (AuRepos()) {
    Commencer(std::move(deroulement), false, sorties);
  } else {
    spontanes_.push_back(std::move(deroulement));
  }
  return sorties;
}

void Protocole::RecevoirOctet(char octet, const Scenario& scenario, std::vector<Sortie>& sorties) {
  const char precedent = std::exchange(precedent_, octet);
  if (collecte_) {
    if (attenteCheck_) {
      trame_ += octet;
      collecte_ = attenteCheck_ = false;
      TraiterTrame(scenario, sorties);
      return;
    }
    if (octet == STX) {
      trame_.assign(1, STX);
      return;
    }
    if (!EstCaractereDeDialogue(octet)) {
      trame_ += octet;
      if (trame_.size() > kTrameMax) {
        collecte_ = false;
        trame_.clear();
      } else if (trame_.size() >= 3 && trame_[trame_.size() - 2] == DLE && octet == ETX) {
        attenteCheck_ = true;
      }
      return;
    }
    collecte_ = false;
    trame_.clear();
  }

  switch (octet) {
    case STX:
      collecte_ = true;
      trame_.assign(1, STX);
      break;
    case ENQ:
      // A console in maintenance mode answers the terminal's own ENQ with ACK then ENQ: that
      // ENQ says it listens and leaves the terminal's traffic going. Any other ENQ is a probe.
      if (etat_ == Etat::Deroulement && !deroulementRequete_ && precedent == ACK) break;
      // A probe starts a new request, whatever was going on.
      etat_ = Etat::Repos;
      naksDonnes_ = 0;
      deroulement_.clear();
      perturbateur_.NouvelleRequete();
      switch (scenario.sonde) {
        case ReponseSonde::Ack:
          sorties.push_back({Un(ACK)});
          break;
        case ReponseSonde::AckPuisAutre:
          sorties.push_back({Un(ACK) + scenario.autre, 0, true});
          break;
        case ReponseSonde::Silence:
          break;
      }
      break;
    case EOT:
      if (etat_ == Etat::Acceptee) {
        Commencer(PreparerDeroulement(requete_, scenario, familles_), true, sorties);
      } else if (etat_ == Etat::Refusee) {
        // The console gives up on a refused frame: the line goes back to idle.
        naksDonnes_ = 0;
        sorties.push_back({Un(EOT)});
        ++servies_;
        Terminer(sorties);
      }
      break;
    case ACK:
      if (etat_ == Etat::Deroulement) Avancer(true, sorties);
      break;
    default:
      break;  // noise between frames
  }
}

void Protocole::TraiterTrame(const Scenario& scenario, std::vector<Sortie>& sorties) {
  const std::string trame = std::move(trame_);
  trame_.clear();
  const bool intacte =
      CalculerLrc(std::string_view(trame).substr(0, trame.size() - 1)) == Un(trame.back());
  deroulement_.clear();
  if (!intacte || naksDonnes_ < scenario.naks) {
    if (intacte) ++naksDonnes_;
    etat_ = Etat::Refusee;
    sorties.push_back({Un(NAK)});
    return;
  }
  naksDonnes_ = 0;
  // STX, then the message up to DLE ETX and the check character.
  requete_ = trame.substr(1, trame.size() - 4);
  etat_ = Etat::Acceptee;
  sorties.push_back({Un(ACK)});
}

void Protocole::Commencer(Deroulement deroulement, bool requete, std::vector<Sortie>& sorties) {
  deroulement_ = std::move(deroulement);
  prochain_ = 0;
  deroulementRequete_ = requete;
  etat_ = Etat::Deroulement;
  Avancer(false, sorties);
}

void Protocole::Avancer(bool surAck, std::vector<Sortie>& sorties) {
  // The console's ACK lets one waiting step go; the steps that follow at once go with it.
  while (prochain_ < deroulement_.size() && (!deroulement_[prochain_].surAck || surAck)) {
    const Envoi& envoi = deroulement_[prochain_++];
    if (envoi.surAck) surAck = false;
    sorties.push_back({envoi.octets, envoi.apres});
  }
  if (prochain_ < deroulement_.size()) return;
  if (deroulementRequete_) ++servies_;
  Terminer(sorties);
}

void Protocole::Terminer(std::vector<Sortie>& sorties) {
  etat_ = Etat::Repos;
  deroulement_.clear();
  prochain_ = 0;
  deroulementRequete_ = false;
  if (spontanes_.empty()) return;
  Deroulement suivant = std::move(spontanes_.front());
  spontanes_.pop_front();
  Commencer(std::move(suivant), false, sorties);
}

}  // namespace zef30::simulateur

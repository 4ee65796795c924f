#include "listening/Ecoute.h"

#include <algorithm>
#include <chrono>

#include "base/Texte.h"
#include "link/Trame.h"

namespace zef30 {

namespace {
// Once the stop flag is set, each wait still pauses this long when nothing is waiting, so that
// a listener that polls on until its own end never spins.
constexpr double kPauseArret = 0.005;
}  // namespace

std::string AttendreCaractere(Console& console, double limite) {
  PortSerie& port = console.liaison.Port();
  const Horloge& horloge = console.liaison.HorlogeLiaison();
  const auto echeance = Horloge::Plus(horloge.Maintenant(), limite);
  for (;;) {
    if (!port.EstOuvert()) throw ErreurEcoute("la ligne série est fermée ou perdue");
    if (port.NombreEnAttente() >= 1) break;
    const auto maintenant = horloge.Maintenant();
    if (maintenant >= echeance) break;
    const bool arret = console.etat.ArretEcoute;
    const auto fin = arret ? std::min(echeance, Horloge::Plus(maintenant, kPauseArret)) : echeance;
    console.fenetre.AttendreLigneOuEvenement(port, fin);
    if (arret || console.etat.ArretEcoute) break;
  }
  return port.Lire();
}

void AfficherErreurEcoute(Fenetre& fenetre, const std::string& nomProcedure,
                          const std::string& description) {
  fenetre.BoiteMessage("Test ZEF30", nomProcedure + " " + description);
}

bool EstTrameAffichage(std::string_view trame) { return Caractere(trame, 2) == "D"; }

std::string TexteAffichage(std::string_view trame) {
  return Extraire(trame, 3, 16) + "\r\n" + Extraire(trame, 19, 16);
}

bool EstReponse(std::string_view trame, std::string_view code) {
  return Extraire(trame, 2, 2) == code;
}

void Ecouteur::Commencer(Ecoute& ecoute) { ecoute.EnvoyerAck(); }

std::string Ecouteur::Resultat(const Ecoute& ecoute) const { return ecoute.DerniereTrame(); }

std::string Ecoute::Executer(Ecouteur& ecouteur) {
  try {
    GardeTailleLecture garde(console.liaison.Port());
    const auto& panneau = ecouteur.regles.panneauVisible;
    if (panneau) console.fenetre.DefinirVisible(*panneau, true);
    ecouteur.Commencer(*this);
    Derouler(ecouteur);
    if (panneau) console.fenetre.DefinirVisible(*panneau, false);
    return ecouteur.Resultat(*this);
  } catch (const std::exception& erreur) {
    AfficherErreurEcoute(console.fenetre, ecouteur.regles.nom, erreur.what());
    return {};
  }
}

void Ecoute::EnvoyerAck() { console.liaison.Port().Ecrire(std::string(1, ACK)); }

std::string Ecoute::TrameCourante() const {
  const auto stx = trace_.rfind(STX);
  if (stx == std::string::npos) return {};
  return trace_.substr(stx);
}

void Ecoute::Derouler(Ecouteur& ecouteur) {
  const Horloge& horloge = console.liaison.HorlogeLiaison();
  const auto debut = horloge.Maintenant();
  const auto& limite = ecouteur.regles.limite;
  const auto ecoule = [&] {
    return std::chrono::duration<double>(horloge.Maintenant() - debut).count();
  };
  for (;;) {
    ecouteur.AvantAttente(*this);
    // A character wait never runs past the time limit: 120 s after the start is the end, even
    // within a wait of 60 s.
    double attente = ecouteur.regles.attenteCaractere;
    if (limite) attente = std::min(attente, *limite - ecoule());
    const std::string lu = Attendre(attente);
    trace_ += lu;
    if (ecouteur.ArreterAvantTraitement()) return;
    if (Traiter(ecouteur, lu)) return;
    if (ecouteur.ApresPassage(*this)) return;
    if (limite && ecoule() >= *limite) return;
  }
}

std::string Ecoute::ReleverFinDeBloc(Ecouteur& ecouteur) {
  trace_ += Attendre(ecouteur.regles.attenteControle);
  derniereTrame_ = TrameCourante();
  return derniereTrame_;
}

bool Ecoute::Traiter(Ecouteur& ecouteur, const std::string& lu) {
  if (lu.size() != 1) return false;
  switch (lu.front()) {
    case ENQ:
      EnvoyerAck();
      return false;
    case ETX: {
      const std::string trame = ReleverFinDeBloc(ecouteur);
      EnvoyerAck();
      if (EstTrameAffichage(trame)) {
        const Panneau panneau = ecouteur.regles.panneauAffichage;
        console.fenetre.DefinirLegende(panneau, Cp1252VersUtf8(ecouteur.Affichage(trame)));
        console.fenetre.Rafraichir(panneau);
      }
      return ecouteur.SurTrame(*this, trame);
    }
    case ETB: {
      const std::string trame = ReleverFinDeBloc(ecouteur);
      if (ecouteur.SurBloc(*this, trame)) return true;
      EnvoyerAck();
      return false;
    }
    case EOT:
      return ecouteur.SurEot();
    default:
      return false;
  }
}

}  // namespace zef30

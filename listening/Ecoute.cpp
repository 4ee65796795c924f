#include "listening/Ecoute.h"

#include <algorithm>
#include <chrono>

#include "base/ErreursSysteme.h"
#include "base/Texte.h"
#include "protocol/Trame.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {
// Once the stop flag is set, each wait still pauses this long when nothing is waiting, so that
// a listener that polls on until its own end never spins.
constexpr Horloge::Secondes kPauseArret = 5ms;

// The listening trace kept in memory: at 9600 bauds, some 18 minutes of a terminal that never
// pauses. Beyond, the oldest half goes, and a line in front says how many characters.
constexpr std::size_t kTraceGardee = std::size_t{1} << 20;

// The note sits among the terminal's bytes, which are Windows-1252 until they are shown: it is
// written in that encoding too, so that it reads right once the trace is converted.
std::string NoteNonGardes(std::size_t nombre) {
  return "[" + std::to_string(nombre) +
         " premiers caract\xE8"
         "res de l\x92\xE9"
         "coute non gard\xE9"
         "s]\r\n";
}
}  // namespace

Resultat<std::string> AttendreCaractere(Console& console, Horloge::Secondes limite) {
  const Horloge& horloge = console.liaison.HorlogeLiaison();
  const auto echeance = Horloge::Plus(horloge.Maintenant(), limite);
  const auto lu = console.liaison.AttendreLecture(
      echeance, [&console, &horloge](PortSerie& port, Horloge::Instant jusqua) {
        const bool arret = console.etat.ArretEcoute;
        const auto fin =
            arret ? std::min(jusqua, Horloge::Plus(horloge.Maintenant(), kPauseArret)) : jusqua;
        console.fenetre.AttendreLigneOuEvenement(port, fin);
        return !arret && !console.etat.ArretEcoute;
      });
  if (!lu) return Echange("la ligne série est fermée ou perdue");
  return *lu;
}

void AfficherErreurEcoute(Fenetre& fenetre, const std::string& nomProcedure,
                          const std::string& description) {
  fenetre.BoiteMessage("Test ZEF30", nomProcedure + " : " + description);
}

bool EstTrameAffichage(std::string_view trame) { return Caractere(trame, 2) == "D"; }

std::string TexteAffichage(std::string_view trame) {
  return Extraire(trame, 3, 16) + "\r\n" + Extraire(trame, 19, 16);
}

bool EstReponse(std::string_view trame, std::string_view code) {
  return Extraire(trame, 2, 2) == code;
}

Resultat<void> Ecouteur::Commencer(Ecoute& ecoute) {
  ecoute.EnvoyerAck();
  return {};
}

std::string Ecouteur::Rendre(const Ecoute& ecoute) const { return ecoute.DerniereTrame(); }

std::string Ecoute::Executer(Ecouteur& ecouteur) {
  auto fin = [&]() -> Resultat<std::string> {
    // What the standard library throws (memory, the system) ends it the same way.
    try {
      return Mener(ecouteur);
    } catch (const std::exception& erreur) {
      return Systeme(DecrireException(erreur));
    }
  }();
  if (fin) return *std::move(fin);
  console.etat.DerniereEcoute = EtatConsole::FinEcoute{false, true, true};
  AfficherErreurEcoute(console.fenetre, ecouteur.regles.nom, fin.Erreur().texte);
  return {};
}

Resultat<std::string> Ecoute::Mener(Ecouteur& ecouteur) {
  // One character at a time while the listener runs, and everything waiting again afterwards,
  // whatever way it ends: a later request never inherits a size of 1.
  const Liaison::TailleLecture taille(console.liaison, 1);
  const auto& panneau = ecouteur.regles.panneauVisible;
  if (panneau) console.fenetre.DefinirVisible(*panneau, true);
  console.etat.DerniereEcoute.reset();
  if (auto debut = ecouteur.Commencer(*this); !debut) return std::move(debut).Erreur();
  const auto surLimite = Derouler(ecouteur);
  if (!surLimite) return surLimite.Erreur();
  if (panneau) console.fenetre.DefinirVisible(*panneau, false);
  std::string resultat = ecouteur.Rendre(*this);
  console.etat.DerniereEcoute = EtatConsole::FinEcoute{*surLimite, resultat.empty(), false};
  return resultat;
}

void Ecoute::EnvoyerAck() { console.liaison.EnvoyerCaractere(ACK); }

std::string Ecoute::TrameCourante(std::size_t controle) const {
  // No header announces a frame longer than kTrameMax: an STX further back starts none. The
  // check character is any byte, STX too: the frame starts before it.
  const std::size_t fin = trace_.size() - std::min(trace_.size(), controle);
  const std::size_t depuis = fin - std::min(fin, kTrameMax);
  const auto stx = std::string_view(trace_).substr(depuis, fin - depuis).rfind(STX);
  if (stx == std::string_view::npos) return {};
  return trace_.substr(depuis + stx);
}

void Ecoute::Consigner(std::string_view lu) {
  trace_ += lu;
  if (trace_.size() <= kTraceGardee) return;
  // The newest half stays, the current frame with it.
  const std::size_t retires = trace_.size() - note_ - kTraceGardee / 2;
  nonGardes_ += retires;
  std::string note = NoteNonGardes(nonGardes_);
  trace_ = note + trace_.substr(note_ + retires);
  note_ = note.size();
}

Resultat<bool> Ecoute::Derouler(Ecouteur& ecouteur) {
  const Horloge& horloge = console.liaison.HorlogeLiaison();
  const auto debut = horloge.Maintenant();
  const auto& limite = ecouteur.regles.limite;
  const auto ecoule = [&] { return Horloge::Secondes(horloge.Maintenant() - debut); };
  for (;;) {
    // Whatever the line does, the window handles its events once a pass: a terminal that never
    // pauses cannot keep "Sortie Ecoute" from being heard.
    console.fenetre.CederAuxEvenements();
    ecouteur.AvantAttente(*this);
    // A character wait never runs past the time limit: 120 s after the start is the end, even
    // within a wait of 60 s.
    Horloge::Secondes attente = ecouteur.regles.attenteCaractere;
    if (limite) attente = std::min(attente, *limite - ecoule());
    const auto lu = Attendre(attente);
    if (!lu) return lu.Erreur();
    Consigner(*lu);
    if (ecouteur.ArreterAvantTraitement()) return false;
    const auto traite = Traiter(ecouteur, *lu);
    if (!traite) return traite.Erreur();
    if (*traite) return false;
    const auto apres = ecouteur.ApresPassage(*this);
    if (!apres) return apres.Erreur();
    if (*apres) return false;
    if (limite && ecoule() >= *limite) return true;
  }
}

Resultat<std::string> Ecoute::ReleverFinDeBloc(Ecouteur& ecouteur) {
  const auto controle = Attendre(ecouteur.regles.attenteControle);
  if (!controle) return controle;
  Consigner(*controle);
  derniereTrame_ = TrameCourante(controle->size());
  return derniereTrame_;
}

SuiteEcoute Ecoute::Traiter(Ecouteur& ecouteur, const std::string& lu) {
  if (lu.size() != 1) return false;
  switch (lu.front()) {
    case ENQ:
      EnvoyerAck();
      return false;
    case ETX: {
      const auto trame = ReleverFinDeBloc(ecouteur);
      if (!trame) return trame.Erreur();
      EnvoyerAck();
      if (EstTrameAffichage(*trame)) {
        const Panneau panneau = ecouteur.regles.panneauAffichage;
        console.fenetre.DefinirLegende(panneau, Cp1252VersUtf8(ecouteur.Affichage(*trame)));
        console.fenetre.Rafraichir(panneau);
      }
      return ecouteur.SurTrame(*this, *trame);
    }
    case ETB: {
      const auto trame = ReleverFinDeBloc(ecouteur);
      if (!trame) return trame.Erreur();
      const auto arret = ecouteur.SurBloc(*this, *trame);
      if (!arret || *arret) return arret;
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

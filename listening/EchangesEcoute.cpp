// The exchanges that hand the line to a listener once the terminal has announced its answer.
#include "listening/EchangesEcoute.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/Texte.h"
#include "listening/Ecoute.h"
#include "listening/EcoutePaiement.h"
#include "listening/EcouteTerminal.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/Trame.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

constexpr Horloge::Secondes kAttenteTelecollecte = 11s;
const std::string kAck(1, ACK);

// The common opening: true when the terminal answered EOT with ENQ.
bool OuvrirAvecEnq(Console& console, std::string_view message, Horloge::Secondes delaiEnq) {
  const auto reponse = console.liaison.OuvrirEchange(message, delaiEnq);
  return reponse && *reponse == std::string(1, ENQ);
}

// A terminal sends its closing character on the ACK of its answer frame; one that waits for a
// second ACK gets it after this long.
constexpr Horloge::Secondes kAttenteFermeture = 2s;

// The answer frame of the direct tele-collection read: the marker "j019" (two acquirers) or
// "j012" (one) of the terminal's "Aj" answer, found from the end of what was received; "j019"
// wins wherever it stands. The text only grows between two searches of one reader.
class ChercheurMarqueur {
 public:
  std::optional<std::size_t> Chercher(std::string_view recu) {
    // A marker may straddle the end of the text seen last time: look again at its last 3.
    const std::size_t vu = std::min(vu_, recu.size());
    const std::size_t depuis = vu - std::min<std::size_t>(vu, 3);
    for (std::size_t i = 0; i < 2; ++i) {
      const auto position = recu.substr(depuis).rfind(kMarqueurs[i]);
      if (position != std::string_view::npos) derniers_[i] = depuis + position;
    }
    vu_ = recu.size();
    return derniers_[0] ? derniers_[0] : derniers_[1];
  }

 private:
  static constexpr std::string_view kMarqueurs[2] = {"j019", "j012"};
  std::size_t vu_ = 0;
  std::optional<std::size_t> derniers_[2];
};

constexpr long kLongueurQueue = 30;

// What the terminal sent before its answer: from the second character received up to the sixth
// before the answer's marker (its STX, "A" and the end of the frame before are left out). With no
// marker the same cut, without a marker's tail. Empty when too little came for that cut.
std::string TexteAvantReponse(const std::string& recu, std::optional<std::size_t> marqueur) {
  const long queue =
      marqueur ? static_cast<long>(
                     Extraire(recu, static_cast<long>(*marqueur) + 1, kLongueurQueue).size())
               : 0;
  const long longueur = static_cast<long>(recu.size()) - queue - 6;
  if (longueur <= 0) return {};
  return Extraire(recu, 2, longueur);
}

std::string LireTelecollecteDirecte(Console& console, std::string dernier,
                                    Horloge::Instant echeance) {
  Liaison& liaison = console.liaison;
  const Horloge& horloge = liaison.HorlogeLiaison();
  const Liaison::TailleLecture taille(liaison, 1);
  std::string recu;
  // Searched again at every pause of the line, up to 900 s of them: only what is new is read.
  ChercheurMarqueur chercheur;
  std::optional<std::size_t> marqueur;
  bool fini = false;
  while (!fini && horloge.Maintenant() < echeance) {
    if (dernier == std::string(1, ENQ) || dernier == std::string(1, STX)) {
      // Nothing received is dropped before this ACK: every character belongs to the report.
      liaison.EnvoyerCaractere(ACK);
      dernier =
          liaison.AttendreLecture(Horloge::Plus(horloge.Maintenant(), kDelaiReponse)).value_or("");
    } else {
      auto lu = AttendreCaractere(console, kAttenteTelecollecte);
      if (!lu) break;  // the line is gone: what came so far is all there is
      dernier = std::move(*lu);
    }
    recu += dernier;
    if (!dernier.empty()) continue;
    marqueur = chercheur.Chercher(recu);
    fini = marqueur && Extraire(recu, static_cast<long>(*marqueur) + 1, kLongueurQueue)
                               .find(std::string{DLE, ETX}) != std::string::npos;
  }
  marqueur = chercheur.Chercher(recu);
  // What came is kept whether or not the answer did.
  console.etat.TexteTicket = TexteAvantReponse(recu, marqueur);
  if (!marqueur) return {};
  return Extraire(recu, static_cast<long>(*marqueur) - 1, kLongueurQueue);
}

}  // namespace

Resultat<std::string> EchangerDemarrage(Console& console, std::string_view message,
                                        Horloge::Secondes delaiEnq) {
  if (!OuvrirAvecEnq(console, message, delaiEnq)) return Echange();
  return EcouterDemarrage(console);
}

Resultat<std::string> EchangerDemEnr(Console& console, std::string_view message, int attendu,
                                     Horloge::Secondes delaiEnq, bool ecouter) {
  if (!OuvrirAvecEnq(console, message, delaiEnq)) return Echange();
  if (ecouter) return EcouterDemEnr(console);
  Liaison& liaison = console.liaison;
  const std::string bloc1 = liaison
                                .EnvoyerTrameParLongueur(Liaison::LectureParLongueur::BlocCourt,
                                                         kAck, attendu, kDelaiReponse)
                                .lu;
  if (Caractere(bloc1, 7) == "9") return bloc1;
  const auto longueur = LireLongueurTrame(bloc1);
  // Without a readable length there is no telling where the answer ends.
  if (!longueur) return Echange();
  return JoindreBlocs(bloc1,
                      liaison.EnvoyerTrame(kAck, TailleSecondBloc(*longueur), kDelaiReponse));
}

Resultat<std::string> EchangerDemTC(Console& console, std::string_view message,
                                    Horloge::Secondes delaiEnq, bool ecouter) {
  const auto reponseEot = console.liaison.OuvrirEchange(message, delaiEnq);
  if (!reponseEot) return Echange();
  const auto echeance = Horloge::Plus(console.liaison.HorlogeLiaison().Maintenant(), delaiEnq);
  if (!ecouter) return LireTelecollecteDirecte(console, *reponseEot, echeance);
  // The listener keeps the answer as it passes, so that the request reads it by the same
  // positions as on the direct read; what came before it is cut the same way.
  const EcouteTelecollecte ecoute = EcouterDemTCDetaille(console);
  if (ecoute.reponse.empty()) return std::string();
  if (const auto marqueur = ChercheurMarqueur().Chercher(ecoute.trace)) {
    console.etat.TexteTicket =
        TexteAvantReponse(ecoute.trace.substr(0, *marqueur + kLongueurQueue), *marqueur);
  }
  return ecoute.reponse;
}

Resultat<std::string> EchangerDemVal(Console& console, std::string_view message,
                                     Horloge::Secondes delaiEnq) {
  if (!OuvrirAvecEnq(console, message, delaiEnq)) return Echange();
  return EcouterDemVAl(console);
}

Resultat<std::string> EchangerDemISO2(Console& console, std::string_view message,
                                      Horloge::Secondes delaiEnq, bool ecouter) {
  if (!OuvrirAvecEnq(console, message, delaiEnq)) return Echange();
  Liaison& liaison = console.liaison;
  if (!ecouter) {
    const std::string reponse =
        liaison
            .EnvoyerTrameParLongueur(Liaison::LectureParLongueur::Bloc, kAck,
                                     LongueurTrame<Message::ReponsePisteIso2>(), kDelaiReponse)
            .lu;
    liaison.TerminerEchange();
    return reponse;
  }
  const std::string reponse = EcouterDemISO2(console);
  // An answer ended by ETX was acknowledged by the listener: its closing character is already
  // on its way, and a second ACK sent at once would cross it. One ended by ETB was not.
  const bool acquittee = reponse.size() >= 2 && reponse[reponse.size() - 2] == ETX;
  if (!acquittee || liaison.AttendreFermeture(kAttenteFermeture).empty()) {
    liaison.TerminerEchange();
  }
  return reponse;
}

Resultat<std::string> EchangerDemVal2(Console& console, std::string_view message,
                                      Horloge::Secondes delaiEnq) {
  if (!OuvrirAvecEnq(console, message, delaiEnq)) return Echange();
  std::string reponse = EcouterDemVAl(console);
  if (const auto longueur = LireLongueurTrame(reponse)) {
    const int second = TailleSecondBloc(*longueur);
    if (second > kMaxUnBloc) {
      reponse += console.liaison.EnvoyerTrame(kAck, second, kDelaiReponse);
    }
  }
  console.liaison.TerminerEchange();
  return reponse;
}

}  // namespace zef30

// The exchanges whose answer length is read from the answer itself, and the receive operations
// they rest on. They share the opening and closing of Echanger; only the reading differs.

#include "base/Texte.h"
#include "link/Liaison.h"
#include "protocol/Trame.h"

namespace zef30 {

namespace {
constexpr int kTailleEntete = 6;
constexpr int kTailleReponseCourte = kTailleEntete + 23;
const std::string kAck(1, ACK);
}  // namespace

Liaison::LectureTrame Liaison::EnvoyerTrameParLongueur(LectureParLongueur lecture,
                                                       std::string_view message, int attendu,
                                                       Horloge::Secondes delai) {
  const auto emis = Emettre(message, delai);
  if (!emis) return {{}, attendu};
  const auto echeance = *emis;

  port_.AttendreAuMoins(kTailleEntete, echeance);
  std::string premier = port_.Lire();
  const int lus = static_cast<int>(premier.size());
  const bool parBloc = lecture != LectureParLongueur::Entiere;

  int reste = attendu;
  if (lus >= kTailleEntete) {
    const auto longueur = LireLongueurTrame(premier);
    if (lecture == LectureParLongueur::BlocCourt && Caractere(premier, 7) == "9") {
      // The short answer is 29 characters whatever its length field says: 23 after a first
      // part of six, fewer when the first part already holds more of it.
      reste = kTailleReponseCourte - lus;
    } else if (longueur) {
      reste = *longueur + kSupplementTrame - lus;
      // A frame longer than one block comes in two, and the second is sent only after the next
      // ACK: whatever the first read already holds, read no further than the first block.
      if (parBloc && *longueur + kSupplementTrame > kTailleBlocMax) reste = kTailleBlocMax - lus;
    } else {
      reste = parBloc ? kTailleBlocMax : 25;
    }
  }
  if (parBloc && reste > kMaxUnBloc) reste = kTailleBlocMax - lus;

  port_.AttendreAuMoins(reste, echeance);
  LectureTrame lu{premier + port_.Lire(), reste};
  LignePerdue();
  return lu;
}

Resultat<std::string> Liaison::LireDeuxBlocs() {
  const std::string bloc1 = EnvoyerTrame(kAck, kTailleBlocMax, kDelaiReponse);
  // Without a readable length there is no telling where the answer ends.
  const auto longueur = LireLongueurTrame(bloc1);
  if (!longueur) return Echange();
  return JoindreBlocs(bloc1, EnvoyerTrame(kAck, TailleSecondBloc(*longueur), kDelaiReponse));
}

std::string Liaison::LirePremierBloc() {
  return EnvoyerTrameParLongueur(LectureParLongueur::Bloc, kAck, kTailleBlocMax, kDelaiReponse).lu;
}

Resultat<std::string> Liaison::Echanger(std::string_view message, int attendu,
                                        Horloge::Secondes delai) {
  return EchangerAvecLecture(message, delai, [&]() -> Resultat<std::string> {
    if (attendu <= kMaxUnBloc) return EnvoyerTrame(kAck, attendu, kDelaiReponse);
    return LireDeuxBlocs();
  });
}

Resultat<Liaison::LectureTrame> Liaison::EchangerListeDossiers(std::string_view message,
                                                               int attendu,
                                                               Horloge::Secondes delai) {
  LectureTrame lecture{{}, attendu};
  auto reponse = EchangerAvecLecture(message, delai, [&]() -> Resultat<std::string> {
    lecture = EnvoyerTrameParLongueur(LectureParLongueur::Entiere, kAck, attendu, kDelaiReponse);
    return lecture.lu;
  });
  if (!reponse) return std::move(reponse).Erreur();
  return lecture;
}

Resultat<std::string> Liaison::EchangerReponseLongue(std::string_view message,
                                                     Horloge::Secondes delai) {
  return EchangerAvecLecture(message, delai, [&]() -> Resultat<std::string> {
    const std::string bloc1 = LirePremierBloc();
    const auto longueur = LireLongueurTrame(bloc1);
    const int second = longueur ? TailleSecondBloc(*longueur) : kTailleBlocMax;
    if (second <= 0) return bloc1;
    return JoindreBlocs(bloc1, EnvoyerTrame(kAck, second, kDelaiReponse));
  });
}

Resultat<std::string> Liaison::EchangerValiditeForfait(std::string_view message,
                                                       Horloge::Secondes delai) {
  return EchangerAvecLecture(message, delai, [&]() -> Resultat<std::string> {
    const std::string bloc1 = LirePremierBloc();
    const auto longueur = LireLongueurTrame(bloc1);
    if (!longueur) return Echange();
    // Every position the flat-amount validity reads lies in the first block; only a very long
    // answer is worth keeping whole, and then nothing is trimmed from either block.
    const int second = TailleSecondBloc(*longueur);
    if (second <= 0) return bloc1;
    // The second block is read all the same: left to arrive after the last ACK, it would answer
    // the next request's probe.
    const std::string bloc2 = EnvoyerTrame(kAck, second, kDelaiReponse);
    if (second <= kMaxUnBloc) return bloc1;
    return bloc1 + bloc2;
  });
}

}  // namespace zef30

#include "link/Liaison.h"

#include <utility>

#include "link/TraceLigne.h"
#include "protocol/Trame.h"

namespace zef30 {

namespace {
constexpr std::string_view kParametresLigne = "9600,N,8,1";
constexpr int kEnvoisMax = 3;
}  // namespace

Liaison::Liaison(PortSerie& port, const Horloge& horloge) : port_(port), horloge_(horloge) {}

void Liaison::ChoisirPort(int numero) {
  if (!portFixe_) numeroPort_ = numero;
}

void Liaison::SurErreurPort(std::function<void(const std::string&)> signaler) {
  signalerErreurPort_ = std::move(signaler);
}

void Liaison::NommerLigne(std::function<std::string(int)> nommer) {
  nommerLigne_ = std::move(nommer);
}

bool Liaison::OuvrirPort() {
  perdue_ = false;
  return OuvrirSiFerme();
}

bool Liaison::OuvrirSiFerme() {
  if (port_.EstOuvert()) return true;
  if (!port_.Ouvrir(numeroPort_, kParametresLigne)) {
    if (signalerErreurPort_) signalerErreurPort_(port_.DerniereErreur());
    return false;
  }
  enService_ = true;
  portFixe_ = true;
  port_.DefinirTailleLecture(0);
  port_.Lire();
  return true;
}

bool Liaison::LignePerdue() {
  if (enService_ && !port_.EstOuvert()) {
    enService_ = false;
    // A port closed on purpose has nothing to say; a lost line says why.
    const std::string raison = port_.DerniereErreur();
    perdue_ = !raison.empty();
    if (perdue_ && signalerErreurPort_) signalerErreurPort_(raison);
  }
  return perdue_;
}

std::optional<Horloge::Instant> Liaison::Emettre(std::string_view message,
                                                 Horloge::Secondes delai) {
  if (message.empty() || LignePerdue() || !OuvrirSiFerme()) return std::nullopt;
  // A listener may have left reads of one character: the link's own reads take everything.
  port_.DefinirTailleLecture(0);
  // Only what arrives after this send belongs to its answer.
  port_.Lire();
  port_.Ecrire(message);
  return Horloge::Plus(horloge_.Maintenant(), delai);
}

std::string Liaison::EnvoyerTrame(std::string_view message, int attendu, Horloge::Secondes delai) {
  const auto echeance = Emettre(message, delai);
  if (!echeance) return {};
  port_.AttendreAuMoins(attendu, *echeance);
  std::string lu = port_.Lire();
  LignePerdue();
  return lu;
}

std::optional<std::string> Liaison::OuvrirEchange(std::string_view message,
                                                  Horloge::Secondes delaiEnq) {
  const std::string trame = EncadrerMessage(message);
  std::string reponse;
  for (int envoi = 0; envoi < kEnvoisMax; ++envoi) {
    reponse = EnvoyerTrame(trame, 1, kDelaiReponse);
    if (reponse != std::string(1, NAK)) break;
  }
  if (reponse == std::string(1, NAK)) {
    EnvoyerTrame(std::string(1, EOT), 1, kDelaiReponse);
    return std::nullopt;
  }
  return EnvoyerTrame(std::string(1, EOT), 1, delaiEnq);
}

Resultat<std::string> Liaison::EchangerAvecLecture(std::string_view message,
                                                   Horloge::Secondes delaiEnq,
                                                   const LectureReponse& lireReponse) {
  const auto reponseEot = OuvrirEchange(message, delaiEnq);
  if (!reponseEot || *reponseEot != std::string(1, ENQ)) return Echange();
  Resultat<std::string> reponse = lireReponse();
  TerminerEchange();
  return reponse;
}

std::string TexteReponse(const Resultat<std::string>& reponse) {
  return reponse ? *reponse : std::string(ERR_MESSAGE);
}

std::string TexteReponse(const Resultat<Liaison::LectureTrame>& lecture) {
  return lecture ? lecture->lu : std::string(ERR_MESSAGE);
}

void Liaison::TerminerEchange() { EnvoyerTrame(std::string(1, ACK), 1, kDelaiReponse); }

std::string Liaison::AttendreFermeture(Horloge::Secondes delai) {
  const std::string lu =
      AttendreLecture(Horloge::Plus(horloge_.Maintenant(), delai)).value_or(std::string());
  LignePerdue();
  return lu;
}

bool Liaison::AttendreTerminalPret() {
  if (!OuvrirPort()) return false;
  const std::string lu = EnvoyerTrame(std::string(1, ENQ), 1, kDelaiReponse);
  if (lu == std::string(1, ACK)) return true;
  // A lost line has said so already.
  if (!LignePerdue() && port_.EstOuvert() && signalerErreurPort_) {
    signalerErreurPort_(DecrireSondeManquee(lu));
  }
  return false;
}

std::string Liaison::DecrireSondeManquee(std::string_view lu) const {
  if (lu.empty()) {
    const std::string ligne = nommerLigne_ ? nommerLigne_(numeroPort_) : std::string();
    return "pas de réponse en " + std::to_string(static_cast<int>(kDelaiReponse.count())) +
           " s sur " + (ligne.empty() ? "le port " + std::to_string(numeroPort_) : ligne);
  }
  // One handshake character is named bare, as people say it; more, as the trace shows them.
  constexpr char kNommes[] = {STX, ETX, EOT, ENQ, ACK, DLE, NAK, ETB};
  // A terminal (or a server) that pours out characters: the first ones tell what came.
  constexpr std::size_t kMontres = 32;
  std::string recu = TexteLisible(lu.substr(0, kMontres));
  if (lu.size() > kMontres) recu += "… (" + std::to_string(lu.size()) + " caractères)";
  if (lu.size() == 1 &&
      std::string_view(kNommes, sizeof kNommes).find(lu[0]) != std::string_view::npos) {
    recu = recu.substr(1, recu.size() - 2);
  }
  return "pas prêt : reçu " + recu + " au lieu de ACK";
}

void Liaison::EnvoyerCaractere(char caractere) { port_.Ecrire(std::string_view(&caractere, 1)); }

void Liaison::Vider() {
  port_.DefinirTailleLecture(0);
  port_.Lire();
  port_.DefinirTailleLecture(taille_);
}

std::optional<std::string> Liaison::AttendreLecture(Horloge::Instant echeance, const Pause& pause) {
  for (;;) {
    if (!port_.EstOuvert()) return std::nullopt;
    if (port_.NombreEnAttente() >= 1) break;
    if (horloge_.Maintenant() >= echeance) break;
    if (!pause) {
      port_.AttendreAuMoins(1, echeance);
    } else if (!pause(port_, echeance)) {
      break;
    }
  }
  return port_.Lire();
}

}  // namespace zef30

#include "link/PortTrace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "link/FichierRegulier.h"
#include "link/NommeurTrames.h"
#include "protocol/DecodeurTrames.h"

namespace zef30 {

PortTrace::PortTrace(PortSerie& port, const Horloge& horloge, std::string debutMural)
    : port_(port),
      horloge_(horloge),
      debut_(horloge.Maintenant()),
      entete_(EnteteTrace(debutMural)) {}

PortTrace::~PortTrace() {
  // The last record whole in the file; whoever observed may be gone already.
  observateur_ = nullptr;
  Publier();
  if (fd_ >= 0) ::close(fd_);
}

Resultat<void> PortTrace::EcrireDans(const std::string& chemin) {
  // Not O_APPEND: a growing burst is written again at its own place.
  FichierRegulier fichier(chemin, O_WRONLY | O_CREAT, 0644);
  const int fd = fichier.Liberer();
  if (fd < 0) {
    return Systeme(chemin + " : trace impossible à écrire : " + fichier.Raison());
  }
  const off_t fin = ::lseek(fd, 0, SEEK_END);
  if (fin < 0 || EcrireTout(fd, entete_ + "\n", fin).erreur != 0) {
    Echec echec = Systeme(chemin + " : trace impossible à écrire : " + DecrireErreur(errno));
    ::close(fd);
    return echec;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  chemin_ = chemin;
  echec_.clear();
  finFichier_ = fin + static_cast<long long>(entete_.size()) + 1;
  debutDernier_ = -1;
  return {};
}

void PortTrace::NommerTrames() {
  decodeurTrames_ = std::make_unique<DecodeurTrames>();
  decodeur_ = DecodeurPourTrace(*decodeurTrames_);
}

bool PortTrace::Ouvrir(int numero, std::string_view parametres) {
  if (port_.Ouvrir(numero, parametres)) return true;
  // Why the line is not there (a server's refusal in its own words among others) is a note of
  // the trace, never bytes of the terminal.
  Noter(port_.DerniereErreur());
  return false;
}

void PortTrace::Noter(const std::string& texte) {
  if (fd_ < 0 || texte.empty()) return;
  // The record before is complete: nothing is written again over the note.
  Publier();
  enCours_ = false;
  debutDernier_ = -1;
  EcrireLigne("# " + NommerControles(texte) + "\n", false);
  debutDernier_ = -1;
}

void PortTrace::Fermer() {
  Publier();
  port_.Fermer();
}

void PortTrace::DefinirTailleLecture(int taille) {
  Rattraper();
  port_.DefinirTailleLecture(taille);
}

void PortTrace::Ecrire(std::string_view octets) {
  // Traced, and written out, before it goes: a write that never returns is still in the trace.
  Consigner(Sens::VersTerminal, octets);
  Publier();
  port_.Ecrire(octets);
}

int PortTrace::NombreEnAttente() {
  Rattraper();
  return port_.NombreEnAttente();
}

std::string PortTrace::Lire() {
  std::string lu = port_.Lire();
  if (lu.empty()) {
    Rattraper();
  } else {
    Consigner(Sens::VersConsole, lu);
  }
  return lu;
}

void PortTrace::AttendreAuMoins(int nombre, Horloge::Instant echeance) {
  if (const auto reveil = ReveilAvant(); reveil && *reveil < echeance) {
    port_.AttendreAuMoins(nombre, *reveil);
    // Woken before by the characters it waits for (or a line gone): nothing more to wait.
    if (horloge_.Maintenant() < *reveil) return;
    Publier();
  }
  port_.AttendreAuMoins(nombre, echeance);
}

std::optional<Horloge::Instant> PortTrace::ReveilAvant() const {
  if (!enRetard_) return std::nullopt;
  return Horloge::Plus(publication_, kDelaiEcriture);
}

void PortTrace::Commencer(Sens sens, Horloge::Instant maintenant, std::optional<double> pauseMs) {
  courant_ = EnregistrementTrace{};
  courant_.ms = std::chrono::duration<double, std::milli>(maintenant - debut_).count();
  courant_.sens = sens;
  courant_.pauseMs = pauseMs;
  hexa_.clear();
  lisible_.clear();
  enCours_ = true;
  publie_ = false;
}

void PortTrace::Consigner(Sens sens, std::string_view octets) {
  if (octets.empty()) return;
  const Horloge::Instant maintenant = horloge_.Maintenant();
  const double pauseMs =
      std::chrono::duration<double, std::milli>(maintenant - dernierOctet_).count();
  if (!enCours_ || courant_.sens != sens || pauseMs > kPauseSignaleeMs) {
    // The record before is complete: written whole before the next begins.
    Publier();
    const bool pause = enCours_ && pauseMs > kPauseSignaleeMs;
    Commencer(sens, maintenant, pause ? std::optional<double>(pauseMs) : std::nullopt);
  }
  dernierOctet_ = maintenant;
  while (!octets.empty()) {
    if (courant_.octets.size() >= kOctetsParEnregistrement) {
      Publier();
      Commencer(sens, maintenant, std::nullopt);
    }
    const auto morceau = octets.substr(0, kOctetsParEnregistrement - courant_.octets.size());
    octets.remove_prefix(morceau.size());
    const std::size_t marques = courant_.trames.size();
    courant_.octets += morceau;
    AjouterEnHexa(hexa_, morceau);
    lisible_ += TexteLisible(morceau);
    trames_[sens == Sens::VersTerminal ? 0 : 1].Ajouter(morceau, courant_, decodeur_);
    enRetard_ = true;
    // A new record, and a frame just ended, are written at once.
    if (!publie_ || courant_.trames.size() != marques) Publier();
  }
  Rattraper();
}

void PortTrace::Publier() {
  if (!enRetard_) return;
  enRetard_ = false;
  publication_ = horloge_.Maintenant();
  const bool remplace = std::exchange(publie_, true);
  if (fd_ >= 0) {
    // Its frames' words under it: the whole only grows with the record, so it is still written
    // again over itself.
    EcrireLigne(
        FormaterEnregistrement(courant_, hexa_, lisible_) + "\n" + FormaterDecodages(courant_),
        remplace);
  }
  if (observateur_) observateur_(courant_, remplace);
}

void PortTrace::Rattraper() {
  if (const auto reveil = ReveilAvant(); reveil && horloge_.Maintenant() >= *reveil) Publier();
}

void PortTrace::EcrireLigne(const std::string& ligne, bool remplace) {
  if (fd_ < 0) return;
  const long long position = remplace && debutDernier_ >= 0 ? debutDernier_ : finFichier_;
  if (const int erreur = EcrireTout(fd_, ligne, position).erreur; erreur != 0) {
    ArreterFichier(position, erreur);
    return;
  }
  debutDernier_ = position;
  finFichier_ = position + static_cast<long long>(ligne.size());
}

void PortTrace::ArreterFichier(long long position, int erreur) {
  // What went of the record is taken back: a record written again over itself is not whole
  // until its last byte. The note needs a few bytes, which a full disk may still refuse.
  const std::string raison = "écriture impossible : " + DecrireErreur(erreur);
  const std::string note = "# trace arrêtée ici, " + raison + "\n";
  if (::ftruncate(fd_, position) == 0 && EcrireTout(fd_, note, position).erreur != 0) {
    (void)::ftruncate(fd_, position);
  }
  ::close(fd_);
  fd_ = -1;
  echec_ = chemin_ + " : trace arrêtée, " + raison;
  if (signalerEchec_) signalerEchec_(echec_);
}

}  // namespace zef30

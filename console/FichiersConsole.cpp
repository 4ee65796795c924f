#include "console/FichiersConsole.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <iomanip>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "console/FichierIni.h"

namespace zef30 {

namespace {

constexpr const char* kJournal = "ZEF30test.txt";
constexpr const char* kCompteur = "ZEF30numDossier.ini";
// Stays in place while the counter file itself is replaced by rename, so every console that
// shares the folder locks the same file.
constexpr const char* kVerrouCompteur = "ZEF30numDossier.ini.lock";
constexpr const char* kSection = "Dossier";
constexpr const char* kCle = "No";
constexpr std::int64_t kDossierMaximal = std::numeric_limits<std::int32_t>::max();

// An exclusive lock held for the life of the object; the system releases it with the process,
// so a console that dies while holding it never blocks the others.
class VerrouExclusif {
 public:
  explicit VerrouExclusif(const std::string& chemin) {
    fd_ = ::open(chemin.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) fd_ = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~VerrouExclusif() {
    if (fd_ >= 0) ::close(fd_);
  }
  VerrouExclusif(const VerrouExclusif&) = delete;
  VerrouExclusif& operator=(const VerrouExclusif&) = delete;

 private:
  int fd_ = -1;
};

std::string DeuxChiffres(int nombre) {
  std::string texte = std::to_string(nombre);
  return texte.size() < 2 ? "0" + texte : texte;
}

}  // namespace

FichiersConsole::FichiersConsole(std::string dossierProgramme, Fenetre& fenetre)
    : dossierProgramme_(std::move(dossierProgramme)),
      fenetre_(fenetre),
      horloge_(horlogeSysteme_),
      locale_(LocaleUtilisateur()) {}

FichiersConsole::FichiersConsole(std::string dossierProgramme, Fenetre& fenetre,
                                 const HorlogeMurale& horloge, std::locale locale)
    : dossierProgramme_(std::move(dossierProgramme)),
      fenetre_(fenetre),
      horloge_(horloge),
      locale_(std::move(locale)) {}

std::string FichiersConsole::CheminFichier(const std::string& nom) const {
  // No folder at all means the current one, never the root of the file system.
  if (dossierProgramme_.empty()) return nom;
  return AjouterSeparateur(dossierProgramme_) + nom;
}

bool FichiersConsole::AjouterAuFichier(const std::string& nom,
                                       const std::function<std::string()>& fabriquer) {
  const std::string chemin = CheminFichier(nom);
  // Append only: whatever the file already holds is never touched.
  const int fd = ::open(chemin.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    fenetre_.AjouterLigne(LigneEcritureImpossible(chemin, errno));
    return false;
  }
  const std::string octets = fabriquer();
  std::string_view reste = octets;
  int erreur = 0;
  while (!reste.empty()) {
    const ssize_t ecrits = ::write(fd, reste.data(), reste.size());
    if (ecrits < 0 && errno == EINTR) continue;
    if (ecrits <= 0) {
      erreur = ecrits < 0 ? errno : EIO;
      break;
    }
    reste.remove_prefix(static_cast<std::size_t>(ecrits));
  }
  if (::close(fd) != 0 && erreur == 0) erreur = errno;
  if (erreur == 0) return true;
  const std::size_t ecrits = octets.size() - reste.size();
  if (ecrits == 0) {
    fenetre_.AjouterLigne(LigneEcritureImpossible(chemin, erreur));
  } else {
    fenetre_.AjouterLigne("Écriture incomplète dans " + chemin + " (" + std::to_string(ecrits) +
                          " octets sur " + std::to_string(octets.size()) +
                          ") : " + DecrireErreur(erreur));
  }
  return false;
}

void FichiersConsole::JournaliserTexte(const std::string& texte) {
  // The record is dated when the file is open, and goes out in one write.
  AjouterAuFichier(kJournal, [this, &texte] {
    return FormaterEnteteJournal(horloge_.MaintenantLocal(), locale_) + "\r\n" + texte + "\r\n";
  });
}

std::string FichiersConsole::CheminTicket() const {
  return CheminFichier(NomFichierTicket(horloge_.MaintenantLocal()));
}

std::string FichiersConsole::EnregistrerTicket(const std::string& ch) {
  const std::string nom = NomFichierTicket(horloge_.MaintenantLocal());
  if (!AjouterAuFichier(nom, [&ch] { return ch + "\r\n"; })) return {};
  return CheminFichier(nom);
}

std::string FichiersConsole::NouveauNumeroDossier() {
  const std::string chemin = CheminFichier(kCompteur);
  // Read, count and write back under one lock: two consoles sharing the folder take turns.
  VerrouExclusif verrou(CheminFichier(kVerrouCompteur));

  const std::int32_t lu = LireIniInteger(chemin, kSection, kCle, 0);
  std::string remarque;
  std::int64_t numero = std::int64_t{lu < 0 ? 0 : lu} + 1;
  if (lu < 0) remarque = "valeur " + std::to_string(lu) + " du compteur ignorée, ";
  // A number already handed out in this run is never handed out again, even when the file
  // could not keep it.
  if (dernierDossier_ && numero <= *dernierDossier_) numero = std::int64_t{*dernierDossier_} + 1;
  if (numero > kDossierMaximal) {
    // Numbers are whole 32-bit values: past the last one, counting starts again from 1.
    remarque = "le compteur a atteint " + std::to_string(kDossierMaximal) + ", ";
    numero = 1;
    // Unless this run already started again and the file could not keep it.
    if (dernierDossier_ && *dernierDossier_ < kDossierMaximal) {
      numero = std::int64_t{*dernierDossier_} + 1;
    }
  }
  const auto nouveau = static_cast<std::int32_t>(numero);
  dernierDossier_ = nouveau;
  const std::string texte = std::to_string(nouveau);
  if (!remarque.empty()) {
    fenetre_.AjouterLigne("Numéro de dossier : " + remarque + "la numérotation reprend à " + texte);
  }
  EcrireIniString(fenetre_, chemin, kSection, kCle, texte);
  return texte;
}

std::string LigneEcritureImpossible(const std::string& chemin, int numeroErreur) {
  return "Écriture impossible dans " + chemin + " : " + DecrireErreur(numeroErreur);
}

std::string FormaterEnteteJournal(const std::tm& moment, const std::locale& locale) {
  std::ostringstream flux;
  flux.imbue(locale);
  flux << "*** " << std::put_time(&moment, "%x %X") << " *****************";
  return flux.str();
}

std::string NomFichierTicket(const std::tm& moment) {
  return "ticket" + std::to_string(moment.tm_mday) + "-" + std::to_string(moment.tm_mon + 1) + "_" +
         DeuxChiffres(moment.tm_hour) + "h" + DeuxChiffres(moment.tm_min) + ".txt";
}

std::string AjouterSeparateur(const std::string& chemin) {
  if (!chemin.empty() && chemin.back() == '/') return chemin;
  return chemin + "/";
}

bool TesterEcritureRepertoire(const std::string& chemin) {
  const std::string essai = AjouterSeparateur(chemin) + "test.tst";
  const int fd = ::open(essai.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (::close(fd) != 0) return false;
  return ::unlink(essai.c_str()) == 0;
}

}  // namespace zef30

#include "console/FichiersConsole.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iomanip>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "console/FichierIni.h"

namespace zef30 {

namespace {

constexpr const char* kSection = "Dossier";
constexpr const char* kCle = "No";
constexpr std::int64_t kDossierMaximal = std::numeric_limits<std::int32_t>::max();
// Each new attempt means that another console has counted in between, so the bound is reached
// only under a stream of counts that never pauses.
constexpr int kEssaisVerrou = 100000;
constexpr int kEssaisNomRapport = 100;

// The counter file open under an exclusive lock on the file itself, the one in place at
// `chemin`: each count replaces the file by rename, so a lock obtained on a file that another
// console has replaced meanwhile is let go and taken again on the file now there. The system
// releases the lock with the process: a console that dies holding it never blocks the others.
// Not open, with no error number, when the lock could never be kept.
FichierRegulier VerrouillerCompteur(const std::string& chemin, bool creer) {
  for (int essai = 0; essai < kEssaisVerrou; ++essai) {
    FichierRegulier fichier(chemin, O_RDWR | (creer ? O_CREAT : 0));
    // A counter that may be read but not written is still counted (the write then says why).
    if (!fichier.Ouvert() && (fichier.Erreur() == EACCES || fichier.Erreur() == EROFS)) {
      FichierRegulier lecture(chemin, O_RDONLY);
      if (lecture.Ouvert()) fichier = std::move(lecture);
    }
    if (!fichier.Ouvert()) return fichier;
    int verrou = 0;
    do {
      verrou = ::flock(fichier.Descripteur(), LOCK_EX);
    } while (verrou != 0 && errno == EINTR);
    struct stat tenu {};
    struct stat enPlace {};
    // Without a lock (a file system that has none), the counter is counted as it is.
    if (verrou != 0 || ::fstat(fichier.Descripteur(), &tenu) != 0) return fichier;
    if (::lstat(chemin.c_str(), &enPlace) == 0 && enPlace.st_dev == tenu.st_dev &&
        enPlace.st_ino == tenu.st_ino) {
      return fichier;
    }
  }
  return {};
}

// Opened for appending; read as well, to see how the file ends.
FichierRegulier OuvrirPourAjouter(const std::string& chemin, int drapeaux = 0) {
  FichierRegulier fichier(chemin, O_RDWR | O_APPEND | O_CREAT | drapeaux);
  if (fichier.Erreur() != EACCES) return fichier;
  return FichierRegulier(chemin, O_WRONLY | O_APPEND | O_CREAT | drapeaux);
}

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
  FichierRegulier fichier = OuvrirPourAjouter(chemin);
  if (!fichier.Ouvert()) {
    fenetre_.AjouterLigne(LigneEcritureImpossible(chemin, fichier.Raison()));
    return false;
  }
  const FichierRegulier::Ecriture ecriture = fichier.AjouterEnregistrement(fabriquer());
  const int fermeture = fichier.Fermer();
  const int erreur = ecriture.erreur != 0 ? ecriture.erreur : fermeture;
  if (erreur == 0) return true;
  if (ecriture.ecrits == 0) {
    fenetre_.AjouterLigne(LigneEcritureImpossible(chemin, erreur));
  } else {
    fenetre_.AjouterLigne("Écriture incomplète dans " + chemin + " (" +
                          std::to_string(ecriture.ecrits) + " octets sur " +
                          std::to_string(ecriture.total) + ") : " + DecrireErreur(erreur));
  }
  return false;
}

void FichiersConsole::JournaliserTexte(const std::string& texte) {
  // The record is dated when the file is open, and goes out in one write.
  AjouterAuFichier(kNomJournal, [this, &texte] {
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

std::string FichiersConsole::IndiceDossierDejaConnu() {
  if (indiceDossierDonne_) return {};
  indiceDossierDonne_ = true;
  const std::string numero = dernierDossier_ ? std::to_string(*dernierDossier_) : "donné";
  const std::string cle = "[" + std::string(kSection) + "] " + kCle + "=…";
  return "le terminal connaît déjà le dossier " + numero + " : il garde ses dossiers, et le " +
         "compteur " + CheminFichier(kNomCompteur) + " repart d’un numéro qu’il a déjà vu (un " +
         "dossier de données neuf face au même terminal) ; reprenez le --data-dir de ses runs " +
         "d’avant, ou mettez dans ce compteur un numéro au-delà des siens (" + cle + ")";
}

std::string FichiersConsole::NouveauNumeroDossier() {
  const std::string lien = CheminFichier(kNomCompteur);
  // A counter shared through a link (one counter for two benches) is counted at its target,
  // which is then written only when it is already there.
  const std::string chemin = SuivreLiens(lien);
  std::string texte;
  int erreur = 0;
  std::string refus;
  {
    // Read, count and write back under one lock: two consoles sharing the counter take turns.
    const FichierRegulier compteur = VerrouillerCompteur(chemin, chemin == lien);
    std::string contenu;
    if (compteur.Ouvert()) {
      auto lu = LireContenu(compteur.Descripteur());
      if (lu) {
        contenu = std::move(*lu);
      } else {
        erreur = lu.Erreur().numero;
      }
    } else if (compteur.NonRegulier()) {
      refus = compteur.Raison();
    } else {
      erreur = compteur.Erreur() != 0 ? compteur.Erreur() : EBUSY;
    }
    // The console's own counter file keeps counting whatever else it holds; through a link,
    // only a counter is written: the link may lead to any file of the system.
    if (erreur == 0 && refus.empty() && chemin != lien && !EstAuFormatProfil(contenu)) {
      refus = "pas au format d’un fichier de réglages, il n’est pas modifié";
    }
    const bool ecrire = erreur == 0 && refus.empty();
    if (ecrire && !copiesRetirees_) {
      RetirerCopiesAbandonnees(chemin);
      copiesRetirees_ = true;
    }
    texte = CompterDossier(ecrire ? LireEntierDansIni(contenu, kSection, kCle, 0) : 0);
    if (ecrire) {
      const std::string nouveau = ModifierIni(contenu, kSection, kCle, texte);
      const auto remplace = RemplacerFichier(chemin, nouveau);
      erreur = remplace ? 0 : remplace.Erreur().numero;
      // A folder that refuses the new file beside the counter (read-only, or not ours) while
      // the counter itself may be written: written in place, still under the lock.
      if (erreur == EACCES || erreur == EPERM || erreur == EROFS) {
        if (EcrireEnPlace(compteur.Descripteur(), nouveau)) erreur = 0;
      }
    }
  }
  if (!refus.empty()) fenetre_.AjouterLigne(LigneEcritureImpossible(chemin, refus));
  // The operator's box waits for OK with the lock given back: another console goes on meanwhile.
  if (erreur != 0) fenetre_.BoiteMessage("EcrireIniString", FormaterErreur(erreur));
  return texte;
}

std::string FichiersConsole::CompterDossier(std::int32_t lu) {
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
  return texte;
}

Resultat<FichierRegulier> FichiersConsole::OuvrirRapportTelecollecte() {
  const std::string dossier = CheminFichier(kNomDossierRapports);
  if (!TesterEcritureRepertoire(dossier) && ::mkdir(dossier.c_str(), 0777) != 0) {
    const int raison = errno;
    if (raison != EEXIST) {
      return EchecSysteme(raison,
                          dossier + " : dossier impossible à créer : " + DecrireErreur(raison));
    }
  }
  const MomentLocal moment = horloge_.MaintenantPrecis();
  for (int numero = 1;; ++numero) {
    const std::string chemin = AjouterSeparateur(dossier) + NomFichierRapport(moment, numero);
    // Made here and now: a name already there (another listening's file, a link) is let be.
    FichierRegulier rapport = OuvrirPourAjouter(chemin, O_EXCL);
    if (rapport.Ouvert()) return rapport;
    if (rapport.Erreur() != EEXIST || numero >= kEssaisNomRapport) {
      return EchecSysteme(rapport.Erreur(),
                          chemin + " : fichier impossible à ouvrir : " + rapport.Raison());
    }
  }
}

std::string LigneEcritureImpossible(const std::string& chemin, int numeroErreur) {
  return LigneEcritureImpossible(chemin, DecrireErreur(numeroErreur));
}

std::string LigneEcritureImpossible(const std::string& chemin, const std::string& raison) {
  return "Écriture impossible dans " + chemin + " : " + raison;
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

std::string NomFichierRapport(const MomentLocal& moment, int numero) {
  const std::tm& jour = moment.calendrier;
  const auto secondes = static_cast<float>(jour.tm_hour * 3600.0 + jour.tm_min * 60.0 +
                                           jour.tm_sec + moment.fraction);
  char texte[32];
  std::snprintf(texte, sizeof texte, "%.7g", static_cast<double>(secondes));
  return std::to_string(jour.tm_mday) + "-" + std::to_string(jour.tm_mon + 1) + "-" +
         std::to_string(jour.tm_year + 1900) + "-" + texte +
         (numero > 1 ? "_" + std::to_string(numero) : std::string()) + ".txt";
}

std::string AjouterSeparateur(const std::string& chemin) {
  if (!chemin.empty() && chemin.back() == '/') return chemin;
  return chemin + "/";
}

bool TesterEcritureRepertoire(const std::string& chemin) {
  // A name no one else has: a "test.tst" of the user's own is neither written nor deleted.
  std::string essai = AjouterSeparateur(chemin) + "test-XXXXXX.tst";
  const int fd = ::mkostemps(essai.data(), 4, O_CLOEXEC);
  if (fd < 0) return false;
  const bool ferme = ::close(fd) == 0;
  return ::unlink(essai.c_str()) == 0 && ferme;
}

}  // namespace zef30

#include "headless/LectureTrace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "console/FichierIni.h"
#include "link/FichierRegulier.h"
#include "link/NommeurTrames.h"

namespace zef30 {

namespace {

// Far more than a record takes (1024 bytes of line, four characters each, and its marks): a longer
// line is no record, and is kept no further than this.
constexpr std::size_t kLigneMax = 64 * 1024;
constexpr std::size_t kLectureMax = 64 * 1024;
// The damaged records named one by one; past them, only counted.
constexpr std::size_t kIllisiblesNommes = 10;

// A trace file a line at a time, whatever it holds: opened without waiting and read only when it
// is a regular file, a buffer of one read and one line at most in memory.
class LignesTrace {
 public:
  explicit LignesTrace(const std::string& chemin)
      : fichier_(chemin, O_RDONLY, 0, DernierLien::Suivi) {}
  const FichierRegulier& Fichier() const { return fichier_; }
  // The next line without its '\n', cut at kLigneMax (`coupee`); false at the end of the file.
  bool Suivante(std::string& ligne, bool& coupee);
  // The system's error number of a read that failed, 0 when none did.
  int Erreur() const { return erreur_; }

 private:
  FichierRegulier fichier_;
  std::string tampon_;
  std::size_t debut_ = 0;
  bool fin_ = false;
  int erreur_ = 0;
};

bool LignesTrace::Suivante(std::string& ligne, bool& coupee) {
  ligne.clear();
  coupee = false;
  bool entamee = false;
  for (;;) {
    const auto nl = tampon_.find('\n', debut_);
    const std::size_t fin = nl == std::string::npos ? tampon_.size() : nl;
    const std::size_t place = kLigneMax - ligne.size();
    if (fin - debut_ > place) coupee = true;
    ligne.append(tampon_, debut_, std::min(fin - debut_, place));
    entamee = entamee || fin > debut_;
    if (nl != std::string::npos) {
      debut_ = nl + 1;
      return true;
    }
    tampon_.clear();
    debut_ = 0;
    if (fin_) return entamee;
    tampon_.resize(kLectureMax);
    const ssize_t lus = ::read(fichier_.Descripteur(), tampon_.data(), tampon_.size());
    if (lus < 0 && errno == EINTR) {
      tampon_.clear();
      continue;
    }
    if (lus <= 0) {
      if (lus < 0) erreur_ = errno;
      fin_ = true;
      tampon_.clear();
      continue;
    }
    tampon_.resize(static_cast<std::size_t>(lus));
  }
}

// Every line of the trace at `chemin` in order, handed to `surLigne` as it stood with its record
// when it is one, its frames named as a live trace names them; `surLigne` returns false when the
// rest is not needed. Each damaged record is named on `erreurs` with its line and skipped: 0, 1
// when a record could not be read or the reading broke off, 2 when the file is no trace to read.
template <typename SurLigne>
int ParcourirTrace(const std::string& chemin, std::ostream& erreurs, SurLigne surLigne) {
  LignesTrace lignes(chemin);
  if (!lignes.Fichier().Ouvert()) {
    erreurs << chemin << " : trace illisible : " << lignes.Fichier().Raison() << '\n';
    return 2;
  }
  DecodeurTrames decodeur;
  NommeurTrames nommeur(decodeur);
  LecteurEnregistrements lecteur;
  std::size_t illisibles = 0;
  std::size_t numero = 0;
  std::string ligne;
  bool coupee = false;
  while (lignes.Suivante(ligne, coupee)) {
    ++numero;
    auto lecture = lecteur.Lire(ligne);
    if (coupee) {
      lecture.nature = LecteurEnregistrements::Lecture::Nature::Illisible;
      lecture.erreur = "ligne " + std::to_string(numero) + " : enregistrement illisible (plus de " +
                       std::to_string(kLigneMax) + " caractères)";
    }
    if (lecture.nature == LecteurEnregistrements::Lecture::Nature::Illisible) {
      if (++illisibles <= kIllisiblesNommes) erreurs << chemin << " : " << lecture.erreur << '\n';
    }
    const bool enregistrement =
        lecture.nature == LecteurEnregistrements::Lecture::Nature::Enregistrement;
    if (enregistrement) nommeur.Nommer(lecture.enregistrement);
    if (!surLigne(std::string_view(ligne), enregistrement ? &lecture.enregistrement : nullptr)) {
      break;
    }
  }
  if (illisibles > kIllisiblesNommes) {
    erreurs << chemin << " : " << illisibles << " enregistrements illisibles en tout\n";
  }
  if (lignes.Erreur() != 0) {
    erreurs << chemin << " : lecture interrompue à la ligne " << numero + 1 << " : "
            << DecrireErreur(lignes.Erreur()) << '\n';
  }
  return illisibles > 0 || lignes.Erreur() != 0 ? 1 : 0;
}

}  // namespace

int AfficherTraceDecodee(const std::string& chemin, std::ostream& sortie, std::ostream& erreurs) {
  return ParcourirTrace(chemin, erreurs, [&](std::string_view ligne, const EnregistrementTrace* e) {
    // The words the trace held are said anew, under their record.
    if (!e && ligne.starts_with(kMarqueDecodage)) return true;
    sortie << ligne << '\n';
    if (e) sortie << FormaterDecodages(*e);
    return true;
  });
}

int DessinerTrace(const std::string& chemin, const OptionsDiagramme& options,
                  const std::string& fichierSvg, std::ostream& sortie, std::ostream& erreurs) {
  if (options.depuisMs && options.jusquaMs && *options.depuisMs > *options.jusquaMs) {
    erreurs << "--from après --to : aucun moment entre les deux\n";
    return 2;
  }
  DiagrammeEnCours diagramme(options);
  const int lu = ParcourirTrace(
      chemin, erreurs,
      [&](std::string_view, const EnregistrementTrace* e) { return !e || diagramme.Ajouter(*e); });
  if (lu == 2) return lu;
  if (const auto ecrit = RemplacerFichier(fichierSvg, diagramme.Finir()); !ecrit) {
    erreurs << fichierSvg << " : " << ecrit.Erreur().texte << '\n';
    return 1;
  }
  sortie << fichierSvg << '\n';
  return lu;
}

}  // namespace zef30

#include "console/FichierIni.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <vector>

#include "base/Texte.h"

namespace zef30 {

namespace {

// A settings file is a few lines; anything larger is not one of ours and is left alone.
constexpr std::size_t kTailleMaximale = 1 << 20;
constexpr int kEssaisNomTemporaire = 100;

bool EstBlanc(char c) { return c == ' ' || c == '\t'; }

std::string_view Rogner(std::string_view texte) {
  while (!texte.empty() && EstBlanc(texte.front())) texte.remove_prefix(1);
  while (!texte.empty() && EstBlanc(texte.back())) texte.remove_suffix(1);
  return texte;
}

char Minuscule(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EgalSansCasse(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Minuscule(a[i]) != Minuscule(b[i])) return false;
  }
  return true;
}

// How one line reads: a section header, a key line, or a blank line.
struct LigneLue {
  bool enTete = false;
  std::string_view nom;  // section name or key name
  std::string_view valeur;
};

std::string_view SansBom(std::string_view ligne, bool premiere) {
  return premiere ? zef30::SansBom(ligne) : ligne;
}

LigneLue AnalyserLigne(std::string_view ligne, bool premiere) {
  const std::string_view rognee = Rogner(SansBom(ligne, premiere));
  LigneLue lue;
  if (!rognee.empty() && rognee.front() == '[') {
    const std::size_t fermeture = rognee.find(']');
    if (fermeture != std::string_view::npos) {
      lue.enTete = true;
      lue.nom = Rogner(rognee.substr(1, fermeture - 1));
      return lue;
    }
  }
  const std::size_t egal = rognee.find('=');
  lue.nom = Rogner(rognee.substr(0, egal));
  if (egal != std::string_view::npos) lue.valeur = Rogner(rognee.substr(egal + 1));
  return lue;
}

std::string_view RetirerGuillemets(std::string_view valeur) {
  if (valeur.size() >= 2 && (valeur.front() == '"' || valeur.front() == '\'') &&
      valeur.back() == valeur.front()) {
    return valeur.substr(1, valeur.size() - 2);
  }
  return valeur;
}

// Where a key stands in the text: the line that holds it, or where it would go.
struct Emplacement {
  std::optional<std::size_t> ligneCle;
  std::optional<std::size_t> finSection;  // index after the section's last non-blank line
};

Emplacement TrouverCle(const std::vector<std::string_view>& lignes, std::string_view section,
                       std::string_view cle) {
  Emplacement emplacement;
  bool dansSection = false;
  bool premiereSection = false;
  for (std::size_t i = 0; i < lignes.size(); ++i) {
    const LigneLue lue = AnalyserLigne(lignes[i], i == 0);
    if (lue.enTete) {
      dansSection = EgalSansCasse(lue.nom, section);
      // New keys go into the first section of that name.
      premiereSection = dansSection && !emplacement.finSection;
      if (premiereSection) emplacement.finSection = i + 1;
      continue;
    }
    if (!dansSection || lue.nom.empty()) continue;
    if (EgalSansCasse(lue.nom, cle)) {
      emplacement.ligneCle = i;
      return emplacement;
    }
    if (premiereSection) emplacement.finSection = i + 1;
  }
  return emplacement;
}

bool NomAcceptable(std::string_view nom, std::string_view interdits) {
  if (Rogner(nom).empty()) return false;
  return nom.find_first_of(interdits) == std::string_view::npos;
}

// A missing file is a failure here (ENOENT): the caller decides.
Resultat<std::string> LireFichier(const std::string& chemin) {
  // A settings file shared through a link is read at its target.
  const FichierRegulier fichier(chemin, O_RDONLY, 0, DernierLien::Suivi);
  if (!fichier.Ouvert()) return EchecSysteme(fichier.Erreur());
  return LireContenu(fichier.Descripteur());
}

std::string DossierDe(const std::string& chemin) {
  const std::size_t barre = chemin.rfind('/');
  if (barre == std::string::npos) return ".";
  if (barre == 0) return "/";
  return chemin.substr(0, barre);
}

}  // namespace

Resultat<void> RemplacerFichier(const std::string& chemin, std::string_view contenu) {
  struct stat ancien {};
  const bool existait = ::lstat(chemin.c_str(), &ancien) == 0;
  if (existait && !S_ISREG(ancien.st_mode) && !S_ISDIR(ancien.st_mode)) {
    return EchecSysteme(S_ISLNK(ancien.st_mode) ? ELOOP : EINVAL,
                        NatureNonReguliere(ancien.st_mode));
  }
  // A file made read-only keeps its value, even though its folder would let us replace it.
  if (existait && ::access(chemin.c_str(), W_OK) != 0) return EchecSysteme(errno);

  std::string temporaire;
  int fd = -1;
  for (int essai = 0; essai < kEssaisNomTemporaire && fd < 0; ++essai) {
    temporaire = chemin + "." + std::to_string(::getpid()) + "-" + std::to_string(essai) + ".tmp";
    fd = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return EchecSysteme(errno);
  }
  if (fd < 0) return EchecSysteme(EEXIST);

  int erreur = 0;
  if (existait) (void)::fchmod(fd, ancien.st_mode & 07777);
  erreur = EcrireTout(fd, contenu).erreur;
  if (erreur == 0 && ::fsync(fd) != 0) erreur = errno;
  if (::close(fd) != 0 && erreur == 0) erreur = errno;
  if (erreur == 0 && ::rename(temporaire.c_str(), chemin.c_str()) != 0) erreur = errno;
  if (erreur != 0) {
    ::unlink(temporaire.c_str());
    return EchecSysteme(erreur);
  }
  // The rename itself reaches the disk with the folder's own entry list.
  const int dossier = ::open(DossierDe(chemin).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dossier >= 0) {
    (void)::fsync(dossier);
    ::close(dossier);
  }
  return {};
}

Resultat<void> EcrireEnPlace(int fd, std::string_view contenu) {
  const int mode = ::fcntl(fd, F_GETFL);
  if (mode < 0) return EchecSysteme(errno);
  if ((mode & O_ACCMODE) == O_RDONLY) return EchecSysteme(EBADF);
  int erreur = EcrireTout(fd, contenu, 0).erreur;
  if (erreur == 0 && ::ftruncate(fd, static_cast<off_t>(contenu.size())) != 0) erreur = errno;
  if (erreur == 0 && ::fsync(fd) != 0) erreur = errno;
  if (erreur != 0) return EchecSysteme(erreur);
  return {};
}

void RetirerCopiesAbandonnees(const std::string& chemin) {
  const std::string dossier = DossierDe(chemin);
  const std::string prefixe = chemin.substr(chemin.rfind('/') + 1) + ".";
  constexpr std::string_view kSuffixe = ".tmp";
  DIR* entrees = ::opendir(dossier.c_str());
  if (entrees == nullptr) return;
  while (const dirent* entree = ::readdir(entrees)) {
    const std::string_view nom = entree->d_name;
    if (!nom.starts_with(prefixe) || !nom.ends_with(kSuffixe)) continue;
    // prefix, process number, "-", attempt, ".tmp": the name RemplacerFichier gives its copy.
    const std::string_view milieu =
        nom.substr(prefixe.size(), nom.size() - prefixe.size() - kSuffixe.size());
    const std::size_t tiret = milieu.find('-');
    const auto processus = LireEntierStrict(milieu.substr(0, tiret));
    if (tiret == std::string_view::npos || !processus || *processus <= 0 ||
        !LireEntierStrict(milieu.substr(tiret + 1)) || ::kill(*processus, 0) == 0 ||
        errno != ESRCH) {
      continue;
    }
    const std::string copie = dossier + "/" + std::string(nom);
    struct stat etat {};
    if (::lstat(copie.c_str(), &etat) == 0 && S_ISREG(etat.st_mode)) ::unlink(copie.c_str());
  }
  ::closedir(entrees);
}

Resultat<std::string> LireContenu(int fd) {
  struct stat etat {};
  if (::fstat(fd, &etat) != 0) return EchecSysteme(errno);
  if (static_cast<std::uintmax_t>(etat.st_size) > kTailleMaximale) return EchecSysteme(EFBIG);
  std::string contenu;
  if (const int erreur = LireToutDescripteur(fd, contenu, kTailleMaximale); erreur != 0) {
    return EchecSysteme(erreur);
  }
  return contenu;
}

bool EstAuFormatProfil(std::string_view contenu) {
  if (contenu.size() > kTailleMaximale || contenu.find('\0') != std::string_view::npos) {
    return false;
  }
  const std::vector<std::string_view> lignes = DecouperLignes(contenu);
  bool dansSection = false;
  for (std::size_t i = 0; i < lignes.size(); ++i) {
    const LigneLue lue = AnalyserLigne(lignes[i], i == 0);
    const std::string_view rognee = Rogner(SansBom(lignes[i], i == 0));
    if (rognee.empty() || rognee.front() == ';') continue;
    if (lue.enTete) {
      dansSection = true;
    } else if (!dansSection || lue.nom.empty() || rognee.find('=') == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> LireValeurIni(std::string_view contenu, std::string_view section,
                                         std::string_view cle) {
  const std::vector<std::string_view> lignes = DecouperLignes(contenu);
  const Emplacement emplacement = TrouverCle(lignes, section, cle);
  if (!emplacement.ligneCle) return std::nullopt;
  const LigneLue lue = AnalyserLigne(lignes[*emplacement.ligneCle], *emplacement.ligneCle == 0);
  return std::string(RetirerGuillemets(lue.valeur));
}

std::string ModifierIni(std::string_view contenu, std::string_view section, std::string_view cle,
                        std::string_view valeur) {
  const std::vector<std::string_view> lignes = DecouperLignes(contenu);
  const Emplacement emplacement = TrouverCle(lignes, section, cle);

  std::string ligneCle;
  if (emplacement.ligneCle) {
    // The key keeps the spelling the file gave it.
    ligneCle = std::string(AnalyserLigne(lignes[*emplacement.ligneCle], false).nom);
  } else {
    ligneCle = std::string(cle);
  }
  ligneCle += "=";
  ligneCle += valeur;

  std::string sortie;
  sortie.reserve(contenu.size() + ligneCle.size() + section.size() + 8);
  const auto ajouter = [&sortie](std::string_view ligne) {
    sortie += ligne;
    sortie += "\r\n";
  };
  for (std::size_t i = 0; i < lignes.size(); ++i) {
    if (emplacement.ligneCle == i) {
      ajouter(ligneCle);
      continue;
    }
    if (!emplacement.ligneCle && emplacement.finSection == i) ajouter(ligneCle);
    ajouter(lignes[i]);
  }
  if (!emplacement.ligneCle) {
    if (emplacement.finSection == lignes.size()) {
      ajouter(ligneCle);
    } else if (!emplacement.finSection) {
      if (!lignes.empty() && !Rogner(lignes.back()).empty()) ajouter("");
      ajouter("[" + std::string(section) + "]");
      ajouter(ligneCle);
    }
  }
  return sortie;
}

std::int32_t LireEntierIni(std::string_view valeur) {
  valeur = Rogner(valeur);
  bool negatif = false;
  if (!valeur.empty() && (valeur.front() == '+' || valeur.front() == '-')) {
    negatif = valeur.front() == '-';
    valeur.remove_prefix(1);
  }
  // Held within 32 bits: a longer run of digits stops at the nearest end of the range.
  const std::int64_t plafond =
      negatif ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
              : std::numeric_limits<std::int32_t>::max();
  std::int64_t nombre = 0;
  for (char c : valeur) {
    if (c < '0' || c > '9') break;
    nombre = nombre * 10 + (c - '0');
    if (nombre > plafond) {
      nombre = plafond;
      break;
    }
  }
  return static_cast<std::int32_t>(negatif ? -nombre : nombre);
}

std::int32_t LireIniInteger(const std::string& fichierIni, const std::string& section,
                            const std::string& ligne, std::int16_t defaut) {
  const auto contenu = LireFichier(fichierIni);
  if (!contenu) return defaut;
  return LireEntierDansIni(*contenu, section, ligne, defaut);
}

std::int32_t LireEntierDansIni(std::string_view contenu, std::string_view section,
                               std::string_view cle, std::int32_t defaut) {
  const std::optional<std::string> valeur = LireValeurIni(contenu, section, cle);
  if (!valeur || valeur->empty()) return defaut;
  return LireEntierIni(*valeur);
}

std::string SuivreLiens(const std::string& chemin) {
  // A bounded walk: a loop of links ends where the system itself would give up.
  constexpr int kLiensMax = 40;
  std::string suivi = chemin;
  for (int i = 0; i < kLiensMax; ++i) {
    struct stat etat {};
    if (::lstat(suivi.c_str(), &etat) != 0 || !S_ISLNK(etat.st_mode)) return suivi;
    std::string cible(static_cast<std::size_t>(etat.st_size > 0 ? etat.st_size : 4096) + 1, '\0');
    const ssize_t n = ::readlink(suivi.c_str(), cible.data(), cible.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= cible.size()) return suivi;
    cible.resize(static_cast<std::size_t>(n));
    suivi = cible.front() == '/' ? cible : DossierDe(suivi) + "/" + cible;
  }
  return suivi;
}

bool EcrireIniString(Fenetre& fenetre, const std::string& fichierIni, const std::string& section,
                     const std::string& ligne, const std::string& valeur) {
  const auto ecrite = EcrireValeurIni(fichierIni, section, ligne, valeur);
  if (ecrite) return true;
  fenetre.BoiteMessage("EcrireIniString", FormaterErreur(ecrite.Erreur().numero));
  return false;
}

Resultat<void> EcrireValeurIni(const std::string& fichierIni, const std::string& section,
                               const std::string& ligne, const std::string& valeur) {
  using namespace std::string_view_literals;
  // A line end or a separator inside a name or a value would write lines of its own.
  if (!NomAcceptable(section, "\r\n]\0"sv) || !NomAcceptable(ligne, "\r\n=\0"sv) ||
      Rogner(ligne).front() == '[' || valeur.find_first_of("\r\n\0"sv) != std::string::npos ||
      fichierIni.empty()) {
    return EchecSysteme(EINVAL);
  }
  const auto contenu = LireFichier(fichierIni);
  if (!contenu && contenu.Erreur().numero != ENOENT) return contenu.Erreur();
  return EcrireValeurIni(fichierIni, contenu.ValeurOu({}), section, ligne, valeur);
}

Resultat<void> EcrireValeurIni(const std::string& fichierIni, std::string_view contenu,
                               const std::string& section, const std::string& ligne,
                               const std::string& valeur) {
  return RemplacerFichier(fichierIni, ModifierIni(contenu, section, ligne, valeur));
}

std::string FormaterErreur(int numeroErreur) {
  return "L'erreur suivante s'est produite :\r" + std::to_string(numeroErreur) + "\r" +
         DecrireErreur(numeroErreur) + "\rAppuyez sur (A) pour continuer";
}

}  // namespace zef30

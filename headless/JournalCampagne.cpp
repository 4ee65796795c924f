#include "headless/JournalCampagne.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "console/FichiersConsole.h"

namespace zef30 {

namespace {

// Records kept in memory once the file takes no more: some hundreds of bytes each, so a few tens
// of megabytes at most; beyond, they are only counted.
constexpr std::size_t kEnMemoireMaximum = 100'000;
// A record is some hundreds of bytes; a line of more is not one, and is skipped.
constexpr std::size_t kLigneMaximale = 1 << 20;

// `chemin` with "-N" before its extension: another campaign's journal of the same second.
std::string CheminNumero(const std::string& chemin, int numero) {
  if (numero == 1) return chemin;
  const auto point = chemin.rfind('.');
  const auto barre = chemin.rfind('/');
  const bool extension =
      point != std::string::npos && (barre == std::string::npos || point > barre);
  const std::string numeroTexte = "-" + std::to_string(numero);
  return extension ? chemin.substr(0, point) + numeroTexte + chemin.substr(point)
                   : chemin + numeroTexte;
}

// Gives each line of the file at `fd`, from its start, to `lire`; lines longer than any record
// are skipped whole.
void LireLignes(int fd, const std::function<void(std::string_view)>& lire) {
  std::string tampon;
  char octets[16384];
  off_t position = 0;
  bool tropLongue = false;
  for (;;) {
    const ssize_t lus = ::pread(fd, octets, sizeof octets, position);
    if (lus < 0 && errno == EINTR) continue;
    if (lus <= 0) break;
    position += lus;
    tampon.append(octets, static_cast<std::size_t>(lus));
    std::size_t debut = 0;
    for (std::size_t fin; (fin = tampon.find('\n', debut)) != std::string::npos; debut = fin + 1) {
      if (!tropLongue) lire(std::string_view(tampon).substr(debut, fin - debut));
      tropLongue = false;
    }
    tampon.erase(0, debut);
    if (tampon.size() > kLigneMaximale) {
      tampon.clear();
      tropLongue = true;
    }
  }
  if (!tropLongue && !tampon.empty()) lire(tampon);
}

void LireRecords(int fd, const LecteurExecutions& lire) {
  LireLignes(fd, [&](std::string_view ligne) {
    if (const auto e = LireExecutionJson(ligne)) lire(*e);
  });
}

}  // namespace

JournalCampagne::JournalCampagne(const std::string& chemin, std::ostream* erreurs)
    : erreurs_(erreurs) {
  // Made new, never opened over what is there: a journal of another campaign begun in the same
  // second is kept, and a link or a pipe at that name is not written through.
  constexpr int kEssais = 100;
  constexpr int kDrapeaux = O_RDWR | O_CREAT | O_EXCL | O_APPEND;
  int raison = 0;
  for (int numero = 1; numero <= kEssais; ++numero) {
    fichier_ = FichierRegulier(CheminNumero(chemin, numero), kDrapeaux, 0644);
    if (fichier_.Ouvert()) {
      chemin_ = CheminNumero(chemin, numero);
      return;
    }
    raison = fichier_.Erreur();
    if (raison != EEXIST) break;
  }
  // A temporary file of its own, said, so that the records are still on disk for whoever looks.
  const char* temporaire = std::getenv("TMPDIR");
  std::string modele =
      AjouterSeparateur(temporaire != nullptr && *temporaire != '\0' ? temporaire : "/tmp") +
      "zef30-campagne-XXXXXX.jsonl";
  const int fd = ::mkostemps(modele.data(), 6, O_APPEND | O_CLOEXEC);
  std::string dit = "journal " + chemin + " : impossible à créer : " + DecrireErreur(raison);
  if (fd >= 0) {
    ::close(fd);
    fichier_ = FichierRegulier(modele, O_RDWR | O_APPEND);
  }
  if (fichier_.Ouvert()) {
    chemin_ = modele;
    temporaire_ = true;
    Dire(dit + " : journal temporaire " + modele);
  } else {
    erreur_ = DecrireErreur(raison);
    Dire(dit + " : aucun fichier temporaire non plus, les requêtes restent en mémoire");
  }
}

void JournalCampagne::Dire(const std::string& texte) {
  if (erreurs_ != nullptr) *erreurs_ << texte << std::endl;
}

void JournalCampagne::Ajouter(const ExecutionRequete& e) {
  ++nombre_;
  if (!e.reussie && (!premierEchec_ || e.debut < premierEchec_->debut)) premierEchec_ = e;
  std::string ligne = EnJson(e, nullptr) + "\n";
  // Once the file has refused one, the rest stay out of it too: it holds the first runs, in
  // order, and memory the others.
  if (erreur_.empty()) {
    const FichierRegulier::Ecriture ecriture = fichier_.AjouterEnregistrement(ligne);
    if (ecriture.erreur == 0) return;
    erreur_ = DecrireErreur(ecriture.erreur);
    Dire("journal " + chemin_ + " : écriture impossible : " + erreur_ + " (requête " +
         std::to_string(e.rang) + " et suivantes gardées en mémoire pour les rapports)");
  }
  ++horsFichier_;
  if (enMemoire_.size() < kEnMemoireMaximum) {
    enMemoire_.push_back(std::move(ligne));
  } else {
    ++perdues_;
  }
}

ParcoursExecutions JournalCampagne::Parcours() const {
  return [this](const LecteurExecutions& lire) {
    if (fichier_.Ouvert()) LireRecords(fichier_.Descripteur(), lire);
    for (const std::string& ligne : enMemoire_) {
      if (const auto e = LireExecutionJson(ligne)) lire(*e);
    }
  };
}

Resultat<ParcoursExecutions> LireJournal(const std::string& chemin) {
  auto fichier = std::make_shared<FichierRegulier>(chemin, O_RDONLY, 0, DernierLien::Suivi);
  if (!fichier->Ouvert())
    return EchecSysteme(fichier->Erreur(), chemin + " : " + fichier->Raison());
  return ParcoursExecutions(
      [fichier](const LecteurExecutions& lire) { LireRecords(fichier->Descripteur(), lire); });
}

std::string CheminJournal(const std::string& dossier, const std::string& horodatage) {
  std::string nom = horodatage;
  std::replace(nom.begin(), nom.end(), ':', '-');
  std::replace(nom.begin(), nom.end(), 'T', '_');
  return AjouterSeparateur(dossier) + "campagne-" + nom + ".jsonl";
}

}  // namespace zef30

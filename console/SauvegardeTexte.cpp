#include "console/SauvegardeTexte.h"

#include "console/FichierIni.h"

namespace zef30 {

namespace {

void AnnoncerEnregistrement(Fenetre& fenetre, const std::string& chemin) {
  fenetre.AjouterLigne("Texte enregistré dans " + chemin);
}

}  // namespace

std::string EnFinsDeLigneCRLF(std::string_view texte) {
  std::string sortie;
  sortie.reserve(texte.size() + texte.size() / 16);
  for (std::size_t i = 0; i < texte.size(); ++i) {
    const char c = texte[i];
    if (c == '\r' || c == '\n') {
      sortie += "\r\n";
      if (c == '\r' && i + 1 < texte.size() && texte[i + 1] == '\n') ++i;
    } else {
      sortie += c;
    }
  }
  return sortie;
}

std::optional<std::string> TexteAffichePourFichier(Fenetre& fenetre) {
  const std::string texte = fenetre.LireTexte(ZoneTexte::txtSelection);
  if (texte.empty()) {
    fenetre.AjouterLigne("Rien à enregistrer : la zone de texte est vide");
    return std::nullopt;
  }
  return EnFinsDeLigneCRLF(texte);
}

bool EnregistrerTexteSous(Fenetre& fenetre, const std::string& chemin, const std::string& octets) {
  if (const auto ecrit = RemplacerFichier(chemin, octets); !ecrit) {
    fenetre.AjouterLigne(LigneEcritureImpossible(chemin, ecrit.Erreur().texte));
    return false;
  }
  AnnoncerEnregistrement(fenetre, chemin);
  return true;
}

bool EnregistrerTexteEnTicket(Fenetre& fenetre, FichiersConsole& fichiers,
                              const std::string& octets) {
  const std::string chemin = fichiers.EnregistrerTicket(octets);
  if (chemin.empty()) return false;
  AnnoncerEnregistrement(fenetre, chemin);
  return true;
}

}  // namespace zef30

#include "simulator/LectureScenario.h"

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <iterator>
#include <optional>
#include <vector>

#include "base/Texte.h"
#include "link/FichierRegulier.h"
#include "simulator/CleScenario.h"
#include "simulator/ClesPaiement.h"
#include "simulator/ClesSoins.h"
#include "simulator/Perturbations.h"
#include "simulator/TraficEcoute.h"

namespace zef30::simulateur {

namespace {

constexpr std::size_t kTailleFichierMax = 1024 * 1024;

// Control characters named, as the line trace shows them: a quote stays one line.
std::string Cite(std::string_view texte) { return "« " + NommerControles(texte) + " »"; }

Resultat<void> Choix(std::string_view valeur, const std::vector<std::string_view>& permis,
                     int& choisi) {
  const std::string_view lu = SansBlancs(valeur);
  int i = 0;
  std::string liste;
  for (const std::string_view p : permis) {
    if (lu == p) {
      choisi = i;
      return {};
    }
    liste += (i++ ? ", " : "") + std::string(p);
  }
  return Invalide("une de ces valeurs attendue : " + liste);
}

Lecteur Entier(int Scenario::*champ, int minimum, int maximum) {
  return [=](Scenario& s, std::string_view valeur) {
    return LireEntier(SansBlancs(valeur), minimum, maximum, s.*champ);
  };
}

Lecteur Octets(std::string Scenario::*champ) {
  return [=](Scenario& s, std::string_view valeur) { return LireOctets(valeur, s.*champ); };
}

Resultat<void> Largeur(std::string_view valeur, std::size_t largeur, std::string& champ) {
  std::string octets;
  if (auto lu = LireOctets(valeur, octets); !lu) return lu;
  if (octets.size() != largeur) {
    return Invalide(std::to_string(largeur) + " caractère" + (largeur > 1 ? "s" : "") + " attendu" +
                    (largeur > 1 ? "s" : ""));
  }
  champ = std::move(octets);
  return {};
}

Lecteur Champ(std::string Scenario::*champ, std::size_t largeur) {
  return [=](Scenario& s, std::string_view valeur) { return Largeur(valeur, largeur, s.*champ); };
}

Lecteur ChampApplication(std::size_t indice, std::string Application::*champ, std::size_t largeur) {
  return [=](Scenario& s, std::string_view valeur) {
    return Largeur(valeur, largeur, s.applications[indice].*champ);
  };
}

// A key that takes one of a few words, each standing for one value of the field.
template <typename T>
Lecteur Parmi(T Scenario::*champ, std::initializer_list<std::string_view> mots,
              std::initializer_list<T> valeurs) {
  return [=, mots = std::vector<std::string_view>(mots), valeurs = std::vector<T>(valeurs)](
             Scenario& s, std::string_view valeur) -> Resultat<void> {
    int choisi = 0;
    if (auto lu = Choix(valeur, mots, choisi); !lu) return lu;
    s.*champ = valeurs[static_cast<std::size_t>(choisi)];
    return {};
  };
}

std::vector<CleScenario> Cles() {
  std::vector<CleScenario> cles = {
      {"sonde", "ack|silence|ack-puis-autre", "réponse à l’ENQ de la console (ack)",
       Parmi(&Scenario::sonde, {"ack", "silence", "ack-puis-autre"},
             {ReponseSonde::Ack, ReponseSonde::Silence, ReponseSonde::AckPuisAutre})},
      {"naks", "N", "NAK avant d’accepter chaque trame, 3 ou plus : toujours refusée (0)",
       Entier(&Scenario::naks, 0, 99)},
      {"eot", "enq|autre|silence", "réponse à l’EOT après une trame acceptée (enq)",
       Parmi(&Scenario::reponseEot, {"enq", "autre", "silence"},
             {ReponseEot::Enq, ReponseEot::Autre, ReponseEot::Silence})},
      {"delai-enq", "SECONDES", "travail du terminal entre l’EOT et sa réponse (0)",
       [](Scenario& s, std::string_view v) { return LireSecondes(v, 3600, s.delaiEnq); }},
      {"autre", "OCTETS", "le caractère de ack-puis-autre et de eot=autre (?)",
       Octets(&Scenario::autre)},
      {"silence-reponse", "oui|non", "silence au lieu de la réponse (non)",
       Parmi(&Scenario::silenceAuLieuDeReponse, {"non", "oui"}, {false, true})},
      {"final", "OCTETS", "envoyé sur le dernier ACK, vide : silence (\\x04)",
       Octets(&Scenario::caractereFinal)},
      {"bruit", "OCTETS", "remplace chaque réponse du terminal (vide)", Octets(&Scenario::bruit)},
      {"rythme", "ligne|rafale", "caractères au pas de la ligne ou tous d’un coup (ligne)",
       Parmi(&Scenario::rafale, {"ligne", "rafale"}, {false, true})},
      {"bauds", "N", "vitesse de la ligne au rythme ligne (9600)",
       Entier(&Scenario::bauds, 50, 1'000'000)},
      {"switch", "XXXX", "les 4 caractères d’état de la réponse au switch (0100)",
       Champ(&Scenario::statutSwitch, 4)},
      {"entete-consultation", "XXX", "positions 7 à 9 de la consultation (020)",
       Champ(&Scenario::enteteConsultation, 3)},
      {"serie", "XXXXXXXXXXXX", "numéro de série, 12 caractères (ZEF30SIM0001)",
       Champ(&Scenario::numeroSerie, 12)},
      {"nb-applications", "XX", "nombre d’applications annoncé (04)",
       Champ(&Scenario::nombreApplications, 2)},
  };
  for (std::size_t k = 0; k < 4; ++k) {
    const std::string app = "app" + std::to_string(k + 1) + ".";
    const bool premiere = k == 0;
    const auto role = [&](const std::string& texte) { return premiere ? texte : std::string(); };
    cles.push_back({app + "nom", "XXXXXX", role("nom de l’application K (1 à 4)"),
                    ChampApplication(k, &Application::nom, 6)});
    cles.push_back({app + "version", "XXXXXXX", role("version de l’application K"),
                    ChampApplication(k, &Application::version, 7)});
    cles.push_back({app + "checksum", "XXXX", role("checksum de l’application K"),
                    ChampApplication(k, &Application::checksum, 4)});
    cles.push_back({app + "etat", "X", role("état de l’application K : 0 initialisée, 1 non (0)"),
                    ChampApplication(k, &Application::etat, 1)});
    cles.push_back({app + "fichier", "X", role("son fichier : 0 vide, 1 non vide, 2 plein (0)"),
                    ChampApplication(k, &Application::etatFichier, 1)});
  }
  for (const auto& famille : {ClesSoins(), ClesPerturbations(), ClesPaiement()}) {
    cles.insert(cles.end(), famille.begin(), famille.end());
  }
  return cles;
}

// Made once: an unchanging table of some eighty keys, each with its reader, that every line of
// every scenario looks up.
const std::vector<CleScenario>& TableCles() {
  static const std::vector<CleScenario> table = Cles();
  return table;
}

// "reponse.DEBUT" and "brut.DEBUT": an answer for every request whose message begins with DEBUT.
Resultat<void> LireReponseChoisie(Scenario& s, std::string_view cle, std::string_view valeur,
                                  bool brut) {
  const std::string_view debut = cle.substr(cle.find('.') + 1);
  if (debut.empty()) return Invalide("le début du message de la requête manque après le point");
  ReponseChoisie reponse;
  if (auto lu = LireOctets(valeur, reponse.message); !lu) return lu;
  reponse.brut = brut;
  reponse.silence = !brut && reponse.message.empty();
  s.reponses[std::string(debut)] = std::move(reponse);
  return {};
}

int ValeurHexa(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool DecoderOctets(std::string_view texte, std::string& octets) {
  std::string lu;
  for (std::size_t i = 0; i < texte.size(); ++i) {
    if (texte[i] != '\\') {
      lu += texte[i];
      continue;
    }
    if (i + 1 < texte.size() && texte[i + 1] == '\\') {
      lu += '\\';
      ++i;
      continue;
    }
    if (i + 3 >= texte.size() || texte[i + 1] != 'x') return false;
    const int fort = ValeurHexa(texte[i + 2]);
    const int faible = ValeurHexa(texte[i + 3]);
    if (fort < 0 || faible < 0) return false;
    lu += static_cast<char>(fort * 16 + faible);
    i += 3;
  }
  octets = std::move(lu);
  return true;
}

namespace {

// Steps (a character added, removed or changed) from `a` to `b`; past `borne`, `borne` + 1.
std::size_t Ecart(std::string_view a, std::string_view b, std::size_t borne) {
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > borne) return borne + 1;
  std::vector<std::size_t> avant(b.size() + 1), ligne(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) avant[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    ligne[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      ligne[j] = std::min({avant[j] + 1, ligne[j - 1] + 1, avant[j - 1] + (a[i - 1] != b[j - 1])});
    }
    std::swap(avant, ligne);
  }
  return std::min(avant[b.size()], borne + 1);
}

// A key nobody knows, said with the known one closest to it when one is close enough to be a
// slip, and where they are all listed.
std::string CleInconnue(std::string_view cle) {
  constexpr std::size_t kLongueurMax = 64;  // a longer key is no slip of a known one
  const std::size_t borne = std::max<std::size_t>(2, cle.size() / 3);
  std::string_view proche;
  std::size_t meilleur = borne + 1;
  if (cle.size() <= kLongueurMax) {
    for (const CleScenario& c : TableCles()) {
      const std::size_t ecart = Ecart(cle, c.nom, borne);
      if (ecart < meilleur) {
        meilleur = ecart;
        proche = c.nom;
      }
    }
  }
  const std::string liste = "(toutes : zef30-simulator --help)";
  if (proche.empty()) return "clé inconnue " + Cite(cle) + " " + liste;
  return "clé inconnue " + Cite(cle) + " : la plus proche est " + Cite(proche) + " " + liste;
}

// One key into `scenario` itself, which a refused value may leave half changed: the callers work
// on a copy.
Resultat<void> AppliquerCleDans(Scenario& scenario, std::string_view cle, std::string_view valeur) {
  Resultat<void> lu;
  if (cle.starts_with("reponse.") || cle.starts_with("brut.")) {
    lu = LireReponseChoisie(scenario, cle, valeur, cle.starts_with("brut."));
  } else if (auto ecoute = AppliquerCleEcoute(scenario, cle, valeur)) {
    lu = std::move(*ecoute);
  } else {
    const std::vector<CleScenario>& cles = TableCles();
    const auto c =
        std::find_if(cles.begin(), cles.end(), [&](const CleScenario& k) { return k.nom == cle; });
    if (c == cles.end()) return Invalide(CleInconnue(cle));
    lu = c->lire(scenario, valeur);
  }
  if (!lu) {
    return Invalide("valeur " + Cite(valeur) + " refusée pour " + Cite(cle) + " : " +
                    lu.Erreur().texte);
  }
  return {};
}

}  // namespace

Resultat<void> AppliquerCle(Scenario& scenario, std::string_view cle, std::string_view valeur) {
  Scenario essai = scenario;
  if (auto lu = AppliquerCleDans(essai, cle, valeur); !lu) return lu;
  scenario = std::move(essai);
  return {};
}

Resultat<void> LireTexteScenario(std::string_view texte, std::string_view nom, Scenario& scenario) {
  // One copy for the whole text, not one a line: a long file of frames would otherwise cost the
  // square of its length.
  Scenario lu = scenario;
  std::size_t numero = 0;
  const auto lieu = [&] { return std::string(nom) + ":" + std::to_string(numero) + ": "; };
  for (const std::string_view ligne : DecouperLignes(texte)) {
    ++numero;
    const std::string_view utile = SansBlancs(ligne);
    if (utile.empty() || utile.front() == '#' || utile.front() == ';') continue;
    const auto egal = ligne.find('=');
    if (egal == std::string_view::npos) {
      return Invalide(lieu() + "« clé=valeur » attendu, pas " + Cite(utile));
    }
    const auto cle =
        AppliquerCleDans(lu, SansBlancs(ligne.substr(0, egal)), ligne.substr(egal + 1));
    if (!cle) return Invalide(lieu() + cle.Erreur().texte);
  }
  scenario = std::move(lu);
  return {};
}

Resultat<void> LireFichierScenario(const std::string& chemin, Scenario& scenario) {
  // Opened without waiting: a pipe or a device at that name is refused, never waited on.
  FichierRegulier fichier(chemin, O_RDONLY, 0, DernierLien::Suivi);
  std::string texte;
  const int lu = fichier.LireTout(texte, kTailleFichierMax);
  if (lu != 0) {
    return EchecSysteme(lu, chemin + " : fichier de scénario " +
                                (fichier.NonRegulier() ? "illisible : " + fichier.Raison()
                                 : lu == EFBIG         ? std::string("trop grand (plus de 1 Mio)")
                                                       : std::string("illisible")));
  }
  // A byte order mark in front is no part of the first key.
  return LireTexteScenario(SansBom(texte), chemin, scenario);
}

Resultat<void> ComposerScenario(const std::string& fichier,
                                const std::vector<std::pair<std::string, std::string>>& cles,
                                std::string_view avantCle, Scenario& scenario) {
  if (!fichier.empty()) {
    if (auto lu = LireFichierScenario(fichier, scenario); !lu) return lu;
  }
  for (const auto& [nom, valeur] : cles) {
    if (auto lu = AppliquerCle(scenario, nom, valeur); !lu) {
      return Invalide(std::string(avantCle) + nom + " : " + lu.Erreur().texte);
    }
  }
  return {};
}

std::string AideScenario() {
  std::string aide;
  for (const CleScenario& c : TableCles()) {
    // The keys of the four applications are told once, as appK.
    if (c.role.empty()) continue;
    std::string nom = c.nom;
    if (nom.starts_with("app1.")) nom.replace(3, 1, "K");
    std::string tete = "  " + nom + "=" + c.valeurs;
    if (tete.size() < 36) tete.resize(36, ' ');
    aide += tete + c.role + "\n";
  }
  aide +=
      "  reponse.DEBUT=MESSAGE             réponse (code, longueur, données) à toute requête dont\n"
      "                                    le message commence par DEBUT ; vide : silence\n"
      "  brut.DEBUT=OCTETS                 octets envoyés tels quels au lieu de la réponse\n" +
      AideScenarioEcoute() +
      "  OCTETS : texte où \\xHH est l’octet HH et \\\\ une barre oblique inverse.\n";
  return aide;
}

}  // namespace zef30::simulateur

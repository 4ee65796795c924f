#include "simulator/FamillePaiement.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Texte.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/Recu.h"
#include "protocol/Trame.h"
#include "simulator/MemoirePaiement.h"

namespace zef30::simulateur {

namespace {

constexpr std::size_t kLongueurValidite = 313;
constexpr std::size_t kLongueurEnregistrement = 355;
constexpr std::size_t kLongueurDossier = 313;
// Numbers of one application that fit a frame of one block (16 header characters before them).
constexpr std::size_t kNumerosParTrame = 18;

// Data of an answer, blanks where the terminal says nothing; fields are placed by their
// position in the frame, whose data begin at 7.
struct Donnees {
  explicit Donnees(std::size_t longueur) : texte(longueur, ' ') {}
  // The receipt's field `zone`, its receipt beginning at `s`, fitted to the field's width.
  void Placer(long s, ZoneRecu zone, std::string_view champ) {
    Placer(s + zone.position, AjusterChamp(champ, static_cast<std::size_t>(zone.longueur)));
  }
  void Placer(long position, std::string_view champ) {
    const auto debut = static_cast<std::size_t>(position - 7);
    if (debut >= texte.size()) return;
    const std::size_t n = std::min(champ.size(), texte.size() - debut);
    texte.replace(debut, n, champ.substr(0, n));
  }
  std::string texte;
};

std::string MaintenantTerminal() {
  const std::time_t maintenant = std::time(nullptr);
  std::tm local{};
  localtime_r(&maintenant, &local);
  char texte[32];
  std::snprintf(texte, sizeof texte, "%02d%02d%02d%02d%02d%02d", local.tm_mday % 100,
                (local.tm_mon + 1) % 100, local.tm_year % 100, local.tm_hour % 100,
                local.tm_min % 100, local.tm_sec % 100);
  return texte;
}

// An amount of 8 digits of cents as the terminal shows it: "12.50 EUR".
std::string MontantAffiche(std::string_view centimes) {
  const long valeur = LireEntierStrict(centimes).value_or(0);
  char texte[24];
  std::snprintf(texte, sizeof texte, "%ld.%02ld EUR", valeur / 100, valeur % 100);
  return texte;
}

// The merchant receipt carried by an answer from `s`. The registration and dossier answers end
// it with the code, the authorisation, the transaction amount and the checked one; the
// validity answer ends earlier, with the authorisation and the checked amount.

void PlacerRecu(Donnees& d, long s, FormeRecu forme, const DossierOuvert& dossier,
                std::string_view montantTransaction) {
  constexpr auto E = FormeRecu::Enregistrement;
  d.Placer(s, Recu(E, "commerçant 1"), "ZEF30 SIMULE");
  d.Placer(s, Recu(E, "commerçant 2"), "75001 PARIS");
  d.Placer(s, Recu(E, "date et heure"), MaintenantTerminal());
  d.Placer(s, Recu(E, "texte 1"), "CARTE BANCAIRE");
  d.Placer(s, Recu(E, "texte 2"), "COMMERCANT 0123456");
  d.Placer(s, Recu(E, "texte 3"), "TERMINAL ZEF30S");
  d.Placer(s, Recu(E, "commerçant"), "0123456");
  d.Placer(s, Recu(E, "application"), "A0000000421010");
  d.Placer(s, Recu(E, "terminal"), "0001");
  d.Placer(s, Recu(E, "lot"), "01");
  d.Placer(s, Recu(E, "transaction"), "00000001");
  d.Placer(s, Recu(E, "carte"), dossier.carte);
  d.Placer(s, Recu(E, "fin de validité"), dossier.finValidite);
  d.Placer(s, Recu(E, "code service"), "978");
  d.Placer(s, Recu(E, "libellé"), dossier.application);
  d.Placer(s, Recu(E, "code 1"), "001");
  d.Placer(s, Recu(E, "code 2"), "978");
  d.Placer(s, Recu(E, "code 3"), "000001");
  if (forme == FormeRecu::Validite) {
    constexpr auto V = FormeRecu::Validite;
    d.Placer(s, Recu(V, "indicateur"), "1");
    d.Placer(s, Recu(V, "autorisation"), dossier.autorisation);
    d.Placer(s, Recu(V, "mode"), "C");
    d.Placer(s, Recu(V, "montant"), dossier.montant);
    d.Placer(s, Recu(V, "devise"), "EUR");
    return;
  }
  d.Placer(s, Recu(E, "code 4"), "000001");
  d.Placer(s, Recu(E, "indicateur"), "1");
  d.Placer(s, Recu(E, "autorisation"), dossier.autorisation);
  d.Placer(s, Recu(E, "mode"), "C");
  d.Placer(s, Recu(E, "montant"), montantTransaction);
  d.Placer(s, Recu(E, "devise"), "EUR");
  d.Placer(s, Recu(E, "montant forfaitaire"), dossier.montant);
}

// What the card holder sees, after `apres` seconds of his own.
struct Ecran {
  std::string ligne1;
  std::string ligne2;
  double apres = 0;
};

// The terminal's side of a payment. Mirroring its display, it sends each screen on the
// console's ACK, then the answer, then the blank display that ends the payment. Otherwise it
// sends the answer alone once the card holder is done.
Deroulement JouerPaiement(const ScenarioPaiement& p, const std::vector<Ecran>& ecrans,
                          const std::string& message) {
  Deroulement deroulement;
  double attente = p.pauseReponse;
  for (const Ecran& ecran : ecrans) {
    if (p.ecranHote) {
      deroulement.push_back(Envoi{TrameAffichage(ecran.ligne1, ecran.ligne2), ecran.apres});
    } else {
      attente += ecran.apres;
    }
  }
  Deroulement reponse = BlocsReponse(message);
  reponse.front().apres = attente;
  deroulement.insert(deroulement.end(), reponse.begin(), reponse.end());
  if (p.ecranHote) deroulement.push_back(Envoi{TrameAffichage("", "")});
  return deroulement;
}

DossierOuvert DossierPresente(const ScenarioPaiement& p, std::string numero, std::string montant) {
  return {std::move(numero), p.application, std::move(montant),
          p.carte,           p.finValidite, p.autorisation};
}

// Validity, dossier form ("AK0290" price "10978" "2D" dossier "1") when `memoire` is given, flat
// form ("AK0160" price "30978" "2D") otherwise.
Deroulement RepondreValidite(std::string_view requete, const ScenarioPaiement& p,
                             MemoirePaiement* memoire) {
  const std::string montant = Extraire(requete, 7, 8);
  const DossierOuvert dossier = DossierPresente(p, Extraire(requete, 22, 12), montant);
  std::string statut = AjusterChamp(p.statutValidite, 1);
  std::string diagnostic = AjusterChamp(p.diagnostic, 2);
  if (statut == "0" && memoire != nullptr) {
    switch (memoire->Ouvrir(dossier)) {
      case MemoirePaiement::Ouverture::Ouvert:
        break;
      case MemoirePaiement::Ouverture::DejaConnu:
        statut = "F";
        break;
      case MemoirePaiement::Ouverture::Plein:
        statut = "4";
        diagnostic = "12";
        break;
    }
  }
  Donnees d(kLongueurValidite);
  d.Placer(7, statut + diagnostic);
  PlacerRecu(d, DebutRecu<Message::ReponseValidite>(), FormeRecu::Validite, dossier, montant);
  const std::string affiche = MontantAffiche(montant);
  Deroulement deroulement = JouerPaiement(p,
                                          {{"INSEREZ CARTE", affiche, 0},
                                           {affiche, "CODE ?", p.pauseCarte},
                                           {"PATIENTEZ", "AUTORISATION", p.pauseCode}},
                                          MessageReponse("AK", d.texte));
  // The flat form with a mirrored display ends with one more ACK of the console.
  if (memoire == nullptr && p.ecranHote) deroulement.push_back(Envoi{std::string(1, EOT)});
  return deroulement;
}

// Registration: "AL011" price "978", then dossier and "1" with a dossier.
Deroulement RepondreEnregistrement(std::string_view requete, const ScenarioPaiement& p,
                                   MemoirePaiement& memoire) {
  const std::string montant = Extraire(requete, 6, 8);
  const bool avecDossier = requete.size() > 16;
  const std::string numero = Extraire(requete, 17, 12);
  std::optional<DossierOuvert> dossier;
  std::string statut = "0";
  if (!p.statutEnregistrement.empty()) {
    // An imposed status leaves the dossiers as they are.
    statut = AjusterChamp(p.statutEnregistrement, 1);
    if (!avecDossier) {
      dossier = DossierPresente(p, "", montant);
    } else if (const DossierOuvert* ouvert = memoire.Trouver(numero)) {
      dossier = *ouvert;
    }
  } else if (!avecDossier) {
    dossier = DossierPresente(p, "", montant);
  } else {
    // Registered, or cancelled by a zero amount: either way the dossier leaves the list.
    dossier = memoire.Clore(numero);
    const bool annulation = LireEntierStrict(montant).value_or(-1) == 0;
    statut = !dossier ? "9" : annulation ? "6" : "0";
  }
  // A dossier the terminal does not hold: a short answer, nothing more to show.
  if (statut == "9") return BlocsReponse(MessageReponse("AL", AjusterChamp("9", 20)));
  Donnees d(kLongueurEnregistrement);
  d.Placer(7, statut);
  if (dossier) {
    const long debut = avecDossier ? DebutRecu<Message::ReponseEnregistrement>()
                                   : DebutRecu<Message::ReponseEnregistrementSimple>();
    PlacerRecu(d, debut, FormeRecu::Enregistrement, *dossier, montant);
  }
  const bool annulation = statut == "6";
  return JouerPaiement(p,
                       {{annulation ? "ANNULATION" : "ENREGISTREMENT",
                         annulation ? "" : MontantAffiche(montant), 0}},
                       MessageReponse("AL", d.texte));
}

// The list: a header naming each application that has open dossiers, then one frame of numbers
// per application, each frame announced by ENQ and the last followed by EOT.
Deroulement RepondreListeDossiers(const ScenarioPaiement& p, const MemoirePaiement& memoire) {
  std::vector<std::string> applications = {"CBEMV", "CB"};
  if (p.cbDabord) std::swap(applications[0], applications[1]);
  std::vector<std::pair<std::string, std::vector<DossierOuvert>>> blocs;
  for (const std::string& application : applications) {
    auto ouverts = memoire.Ouverts(application);
    if (ouverts.size() > kNumerosParTrame) ouverts.resize(kNumerosParTrame);
    if (!ouverts.empty()) blocs.emplace_back(application, std::move(ouverts));
  }
  char nombre[8];
  std::string entete = "007" + std::string(blocs.size() == 2   ? "02"
                                           : blocs.size() == 1 ? "01"
                                                               : "00");
  for (const auto& [application, ouverts] : blocs) {
    std::snprintf(nombre, sizeof nombre, "%03u", static_cast<unsigned>(ouverts.size()));
    entete += AjusterChamp(application, 6) + nombre;
  }
  Deroulement deroulement = BlocsReponse(MessageReponse("AJ", entete));
  if (blocs.empty()) return deroulement;
  const std::string eot(1, EOT);
  const std::string enq(1, ENQ);
  for (std::size_t i = 0; i < blocs.size(); ++i) {
    const auto& [application, ouverts] = blocs[i];
    std::snprintf(nombre, sizeof nombre, "%03u", static_cast<unsigned>(ouverts.size()));
    std::string donnees = std::string("07") + (i + 1 < blocs.size() ? "01" : "00") +
                          AjusterChamp(application, 6) + nombre + "   ";
    for (const DossierOuvert& d : ouverts) donnees += d.numero;
    // The line is handed over after the header, and again after each frame.
    deroulement.push_back(Envoi{eot});
    deroulement.push_back(Envoi{enq});
    for (Envoi& envoi : BlocsReponse(MessageReponse("AJ", donnees))) deroulement.push_back(envoi);
  }
  // The console acknowledges twice after the first frame, whether a second one follows or not.
  if (blocs.size() == 1) deroulement.push_back(Envoi{eot});
  return deroulement;
}

// Information on one dossier: "AJ01408" and its number.
Deroulement RepondreInfoDossier(std::string_view requete, const MemoirePaiement& memoire) {
  const DossierOuvert* dossier = memoire.Trouver(Extraire(requete, 8, 12));
  if (dossier == nullptr) return BlocsReponse(MessageReponse("AJ", "0080"));
  Donnees d(kLongueurDossier);
  d.Placer(7, "0081");
  PlacerRecu(d, DebutRecu<Message::ReponseInfoDossier>(), FormeRecu::Enregistrement, *dossier,
             dossier->montant);
  return BlocsReponse(MessageReponse("AJ", d.texte));
}

}  // namespace

void AjouterFamillesPaiement(TableFamilles& table) {
  auto memoire = std::make_shared<MemoirePaiement>();
  table.Ajouter("AK0290", [memoire](std::string_view r, const Scenario& s) {
    return RepondreValidite(r, s.paiement, memoire.get());
  });
  table.Ajouter("AK0160", [](std::string_view r, const Scenario& s) {
    return RepondreValidite(r, s.paiement, nullptr);
  });
  table.Ajouter("AL011", [memoire](std::string_view r, const Scenario& s) {
    return RepondreEnregistrement(r, s.paiement, *memoire);
  });
  table.Ajouter("AJ00207", [memoire](std::string_view, const Scenario& s) {
    return RepondreListeDossiers(s.paiement, *memoire);
  });
  table.Ajouter("AJ01408", [memoire](std::string_view r, const Scenario&) {
    return RepondreInfoDossier(r, *memoire);
  });
}

}  // namespace zef30::simulateur

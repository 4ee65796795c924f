#include "simulator/FamilleSoins.h"

#include <cstdio>

#include "protocol/DispositionsMessages.h"
#include "protocol/Trame.h"

namespace zef30::simulateur {

namespace {

std::string Nombre(int valeur, int chiffres) {
  char texte[16];
  std::snprintf(texte, sizeof texte, "%0*d", chiffres, valeur);
  return texte;
}

// The eight opening lines of a report block (192 characters, positions 12 to 203 of the first).
std::string EnteteBloc(std::string_view numero, std::string_view code, std::string_view titre) {
  return AjusterChamp(numero, 6) + AjusterChamp(code, 1) + "000" + AjusterChamp(titre, 50) +
         "050326" + "090703" + "SITE01 " + "ZEF30 SIMULE  " + "0001" + "01" + "12345678" + "978" +
         AjusterChamp("TERMINAL SIMULE", 32) + AjusterChamp("FIN DE BLOC", 50);
}

// Status, two characters the console does not read, the block count, the blocks.
template <Message M>
Deroulement Rapport(std::string_view statut, std::size_t blocs, const std::string& contenu) {
  std::string donnees;
  EcrireChamp<M>(donnees, "statut", statut);
  donnees += "00";
  EcrireChamp<M>(donnees, "nombre de blocs", Nombre(static_cast<int>(blocs), 2));
  return BlocsReponse(MessageReponse("AJ", donnees + contenu));
}

// Display frames, each after the scenario's pause and on the console's ACK.
void AjouterEcrans(Deroulement& deroulement, int nombre, std::string_view ligne1,
                   const Scenario& scenario) {
  for (int i = 1; i <= nombre; ++i) {
    deroulement.push_back(
        Envoi{TrameAffichage(ligne1, "PATIENTEZ " + std::to_string(i)), scenario.soins.pause});
  }
}

}  // namespace

Deroulement RepondreTelecollecte(std::string_view, const Scenario& scenario) {
  const ScenarioSoins& s = scenario.soins;
  Deroulement deroulement;
  AjouterEcrans(deroulement, s.ecransTelecollecte, "APPEL BANQUE", scenario);
  constexpr auto R = Message::ReponseTelecollecte;
  std::string donnees;
  EcrireChamp<R>(donnees, "statut", s.statutTelecollecte);
  donnees += "00";
  EcrireChamp<R>(donnees, "nombre d’acquéreurs", Nombre(s.acquereurs, 2));
  std::string rapport = "TELECOLLECTE\r\n";
  for (int a = 0; a < s.acquereurs && a < 2; ++a) {
    const auto i = static_cast<std::size_t>(a);
    EcrireChamp<R>(donnees, a == 0 ? NomChamp<R>("acquéreur 1") : NomChamp<R>("acquéreur 2"),
                   s.numerosAcquereurs[i]);
    EcrireChamp<R>(donnees, a == 0 ? NomChamp<R>("code 1") : NomChamp<R>("code 2"),
                   s.codesTelecollecte[i]);
    rapport += "ACQUEREUR " + AjusterChamp(s.numerosAcquereurs[i], 6) + " CODE " +
               AjusterChamp(s.codesTelecollecte[i], 1) + "\r\n";
  }
  if (s.rapportTelecollecte) deroulement.push_back(Envoi{EncadrerMessage("I" + rapport)});
  for (Envoi& envoi : BlocsReponse(MessageReponse("AJ", donnees))) deroulement.push_back(envoi);
  deroulement.push_back(Envoi{TrameAffichage("TELECOLLECTE", "TERMINEE")});
  return deroulement;
}

Deroulement RepondreRapportTelecollecte(std::string_view, const Scenario& scenario) {
  const ScenarioSoins& s = scenario.soins;
  std::string blocs;
  for (std::size_t k = 0; k < s.remisesParBloc.size(); ++k) {
    const std::string numero = Nombre(static_cast<int>(k + 1), 6);
    const int remises = s.remisesParBloc[k];
    blocs += EnteteBloc(numero, k == 0 ? s.codeRapport : "0", "REMISES ACQUEREUR " + numero) +
             Nombre(remises, 1);
    for (int r = 1; r <= remises; ++r) {
      blocs +=
          numero + Nombre(r, 6) + "000003" + "978" + AjusterChamp(s.montant, 12) + " " + "000000";
    }
  }
  return Rapport<Message::ReponseRapportTelecollecte>(s.statutRapport, s.remisesParBloc.size(),
                                                      blocs);
}

Deroulement RepondreEtatTeleParam(std::string_view, const Scenario& scenario) {
  const ScenarioSoins& s = scenario.soins;
  std::string blocs;
  for (std::size_t k = 0; k < s.tablesParBloc.size(); ++k) {
    const std::string numero = Nombre(static_cast<int>(k + 1), 6);
    const int tables = s.tablesParBloc[k];
    blocs += EnteteBloc(numero, k == 0 ? s.codeTeleParam : "0", "APPLICATION " + numero) +
             AjusterChamp(s.initialisee, 1) + AjusterChamp(s.active, 1) + "0100" + "01" + "02" +
             Nombre(tables, 2);
    for (int j = 1; j <= tables; ++j) blocs += Nombre(j, 2) + Nombre(j, 4);
  }
  return Rapport<Message::ReponseTeleParam>(s.statutTeleParam, s.tablesParBloc.size(), blocs);
}

Deroulement RepondrePisteIso2(std::string_view, const Scenario& scenario) {
  const ScenarioSoins& s = scenario.soins;
  Deroulement deroulement;
  AjouterEcrans(deroulement, s.ecransIso2, "PASSEZ LA CARTE", scenario);
  constexpr auto R = Message::ReponsePisteIso2;
  std::string donnees;
  EcrireChamp<R>(donnees, "statut", s.statutIso2);
  donnees += "00";
  EcrireChamp<R>(donnees, "piste", s.piste);
  for (Envoi& envoi : BlocsReponse(MessageReponse("AG", donnees))) deroulement.push_back(envoi);
  return deroulement;
}

Deroulement RepondreHeure(std::string_view, const Scenario& scenario) {
  std::string donnees;
  EcrireChamp<Message::ReponseHeure>(donnees, "statut", scenario.soins.verdictHeure);
  return BlocsReponse(MessageReponse("AS", donnees));
}

// The verdict and the subcode of the request: the 12 characters the console waits for.
Deroulement RepondreVitesse(std::string_view, const Scenario& scenario) {
  std::string donnees;
  EcrireChamp<Message::ReponseVitesse>(donnees, "statut", scenario.soins.verdictVitesse);
  return BlocsReponse(MessageReponse("AJ", donnees + "01"));
}

}  // namespace zef30::simulateur

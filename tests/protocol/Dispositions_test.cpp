#include <gtest/gtest.h>

#include <string>

#include "protocol/DispositionsMessages.h"
#include "simulator/Familles.h"

namespace zef30 {
namespace {

// The simulated terminal's answer frame to `requete`: the first frame it sends that is no
// display.
std::string ReponseSimulee(const std::string& requete) {
  const simulateur::TableFamilles familles = simulateur::FamillesConnues();
  const simulateur::Famille* famille = familles.Trouver(requete);
  if (famille == nullptr) return {};
  for (const simulateur::Envoi& envoi : (*famille)(requete, simulateur::Scenario{})) {
    if (envoi.octets.size() > 1 && envoi.octets[0] == STX && envoi.octets[1] != 'D') {
      return envoi.octets;
    }
  }
  return {};
}

// An answer of fixed length is as long as its layout says, for the console that waits for it
// and for the simulated terminal that writes it alike.
TEST(Dispositions, AFixedAnswerIsAsLongAsItsLayoutForConsoleAndTerminal) {
  const struct {
    std::string requete;
    int attendue;
    int donnees;
  } cas[] = {
      {"AA000", LongueurTrame<Message::ReponseSwitch>(), 4},
      {"AJ00202", LongueurTrame<Message::ReponseConsultation>(), 93},
      {"AJ0070109600", LongueurTrame<Message::ReponseVitesse>(), 3},
      {"AS012010126120000", LongueurTrame<Message::ReponseHeure>(), 1},
      {"AG000", LongueurTrame<Message::ReponsePisteIso2>(), 43},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.requete);
    EXPECT_EQ(c.attendue, c.donnees + kSupplementTrame);
    const std::string reponse = ReponseSimulee(c.requete);
    EXPECT_EQ(static_cast<int>(reponse.size()), c.attendue);
    EXPECT_EQ(LireLongueurTrame(reponse), c.donnees);
  }
}

// What the terminal writes in a field: fitted to its width, at its place from the frame's
// position 7, the data grown with blanks as far as the field.
TEST(Dispositions, WritesAFieldFittedAtItsPlace) {
  constexpr auto R = Message::ReponseTelecollecte;
  const struct {
    std::string avant;
    NomChamp<R> champ;
    std::string valeur;
    std::string apres;
  } cas[] = {
      {"", "statut", "0", "0"},
      {"", "statut", "", " "},
      {"", "statut", "01", "0"},
      {"", "acquéreur 1", "12", "     12    "},
      {"0000000000000", "code 1", "3", "0000000000030"},
      {"0", "nombre d’acquéreurs", "2", "0  2 "},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(std::string(c.champ.nom) + " = " + c.valeur);
    std::string donnees = c.avant;
    EcrireChamp<R>(donnees, c.champ, c.valeur);
    EXPECT_EQ(donnees, c.apres);
  }
  std::string groupe;
  EcrireChampGroupe<Message::ReponseConsultation>(groupe, {"application", "version"}, 1, "V1");
  EXPECT_EQ(groupe, std::string(17 + 19 + 6, ' ') + "V1     ");
}

}  // namespace
}  // namespace zef30

#include "requests/Consultation.h"

#include <gtest/gtest.h>

#include "protocol/Trame.h"
#include "tests/support/Banc.h"

namespace zef30 {
namespace {

using essai::Banc;

std::string Application(const std::string& nom, char etat, char fichier) {
  return nom + "0102030" + "AB12" + etat + fichier;
}

std::string ReponseConsultation(const std::string& applications) {
  return EncadrerMessage("Aj093" + std::string("020") + "123456789012" + "04" + applications);
}

std::vector<std::string> LignesAttendues(const std::vector<std::string>& noms,
                                         const std::vector<std::string>& etats) {
  std::vector<std::string> l = {"No Serie: 123456789012", "Nb application: 04"};
  for (std::size_t k = 0; k < noms.size(); ++k) {
    l.insert(l.end(), {"---------", "APP: " + noms[k], "Vers: 0102030", "Checksum: AB12"});
    if (!etats[2 * k].empty()) l.push_back(etats[2 * k]);
    if (!etats[2 * k + 1].empty()) l.push_back(etats[2 * k + 1]);
  }
  return l;
}

TEST(Consultation, FourInitialisedEmptyApplicationsGive26Lines) {
  Banc banc;
  const std::string reponse =
      ReponseConsultation(Application("CB    ", '0', '0') + Application("AMEX  ", '0', '0') +
                          Application("PME   ", '0', '0') + Application("OCL   ", '0', '0'));
  ASSERT_EQ(reponse.size(), 102u);
  essai::ScripterOuverture(banc.port);
  banc.port.Repondre(reponse).Repondre("\x04");
  cmdDemConsult_Click(banc.console);
  const std::string init = "Etat:  initialisé", vide = "Etat fichier:  vide ";
  EXPECT_EQ(banc.fenetre.lignes, LignesAttendues({"CB    ", "AMEX  ", "PME   ", "OCL   "},
                                                 {init, vide, init, vide, init, vide, init, vide}));
  EXPECT_EQ(banc.fenetre.lignes.size(), 26u);
  EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), reponse) << "control characters kept";
  EXPECT_EQ(banc.port.Ecritures()[1].octets, EncadrerMessage("AJ00202"));
}

TEST(Consultation, EachStateHasItsLineAndOthersNone) {
  const std::string reponse =
      ReponseConsultation(Application("A1    ", '1', '2') + Application("A2    ", ' ', '1') +
                          Application("A3    ", '0', 'x') + Application("A4    ", '9', '9'));
  EXPECT_EQ(LignesConsultation(reponse),
            LignesAttendues({"A1    ", "A2    ", "A3    ", "A4    "},
                            {"Etat:  pas initialisé", "Etat fichier:  plein", "",
                             "Etat fichier:  non vide", "Etat:  initialisé", "", "", ""}));
}

TEST(Consultation, TerminalNotReadyGivesEmptyFieldsAndMinus400) {
  Banc banc;
  cmdDemConsult_Click(banc.console);
  std::vector<std::string> attendues = {"No Serie: ", "Nb application: "};
  for (int k = 0; k < 4; ++k)
    attendues.insert(attendues.end(), {"---------", "APP: ", "Vers: ", "Checksum: "});
  EXPECT_EQ(banc.fenetre.lignes, attendues);
  EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), "-400");
}

TEST(Consultation, TerminalBytesAreShownAsTheirCharacters) {
  Banc banc;
  const std::string reponse =
      ReponseConsultation(Application("CAF\xC9  ", '0', '0') + std::string(57, ' '));
  essai::ScripterOuverture(banc.port);
  banc.port.Repondre(reponse).Repondre("\x04");
  cmdDemConsult_Click(banc.console);
  EXPECT_EQ(banc.fenetre.lignes[3], "APP: CAFÉ  ");
  EXPECT_NE(banc.fenetre.LireTexte(ZoneTexte::txtSelection).find("CAFÉ"), std::string::npos);
}

}  // namespace
}  // namespace zef30

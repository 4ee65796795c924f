#include "console/FichierIni.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "tests/support/DossierTemporaire.h"
#include "tests/support/FenetreMemoire.h"

namespace zef30 {
namespace {

using essai::DossierTemporaire;
using essai::EcrireTout;
using essai::FenetreMemoire;
using essai::LireTout;

TEST(LectureIni, ValeurTrouveeSansEgardALaCasseNiAuxBlancsNiAuxFinsDeLigne) {
  const std::string contenu =
      "\xEF\xBB\xBF[Autre]\nNo=7\r\n  [ dossier ]  \r\n; remarque\n  nO  =  41  \r\nSuite=x";
  EXPECT_EQ(LireValeurIni(contenu, "Dossier", "No"), "41");
  EXPECT_EQ(LireValeurIni(contenu, "AUTRE", "no"), "7");
  EXPECT_EQ(LireValeurIni(contenu, "Dossier", "Suite"), "x");
  EXPECT_EQ(LireValeurIni(contenu, "Dossier", "Absente"), std::nullopt);
  EXPECT_EQ(LireValeurIni(contenu, "Absente", "No"), std::nullopt);
  // A key before any section belongs to none.
  EXPECT_EQ(LireValeurIni("No=3\r\n[Dossier]\r\n", "Dossier", "No"), std::nullopt);
  EXPECT_EQ(LireValeurIni("[Dossier]\r\nNo=\"12\"\r\n", "Dossier", "No"), "12");
}

TEST(LectureIni, EntierLuCommeLaLectureDeProfil) {
  EXPECT_EQ(LireEntierIni("41"), 41);
  EXPECT_EQ(LireEntierIni("  +41abc"), 41);
  EXPECT_EQ(LireEntierIni("-12 3"), -12);
  EXPECT_EQ(LireEntierIni("abc"), 0);
  EXPECT_EQ(LireEntierIni("-"), 0);
  EXPECT_EQ(LireEntierIni("2147483647"), 2147483647);
  EXPECT_EQ(LireEntierIni("99999999999999999999999"), 2147483647);
  EXPECT_EQ(LireEntierIni("-99999999999999999999999"), -2147483647 - 1);
}

TEST(LectureIni, DefautQuandLeFichierLaSectionOuLaCleManque) {
  DossierTemporaire dossier;
  const std::string fichier = dossier.Fichier("reglages.ini");
  EXPECT_EQ(LireIniInteger(fichier, "Dossier", "No", 5), 5);
  EcrireTout(fichier, "[Dossier]\nNo=41\nVide=\nMot=abc\n");
  EXPECT_EQ(LireIniInteger(fichier, "Dossier", "No", 5), 41);
  EXPECT_EQ(LireIniInteger(fichier, "Autre", "No", 5), 5);
  EXPECT_EQ(LireIniInteger(fichier, "Dossier", "Cle", -1), -1);
  EXPECT_EQ(LireIniInteger(fichier, "Dossier", "Vide", 5), 5);
  EXPECT_EQ(LireIniInteger(fichier, "Dossier", "Mot", 5), 0);
  // A folder in place of the file reads as a missing file.
  EXPECT_EQ(LireIniInteger(dossier.Chemin(), "Dossier", "No", 3), 3);
}

TEST(EcritureIni, GardeLesAutresLignesEtNeChangeQueLaCle) {
  const std::string avant =
      "; reglages\n[Autre]\nNo=7\n\n[DOSSIER]\nAvant=1\nno = 41\nApres=2\n[Fin]\nX=y";
  EXPECT_EQ(ModifierIni(avant, "Dossier", "No", "42"),
            "; reglages\r\n[Autre]\r\nNo=7\r\n\r\n[DOSSIER]\r\nAvant=1\r\nno=42\r\nApres=2\r\n"
            "[Fin]\r\nX=y\r\n");
}

TEST(EcritureIni, AjouteLaCleEnFinDeSectionEtLaSectionEnFinDeFichier) {
  EXPECT_EQ(ModifierIni("[Dossier]\r\nA=1\r\n\r\n[Fin]\r\n", "dossier", "No", "1"),
            "[Dossier]\r\nA=1\r\nNo=1\r\n\r\n[Fin]\r\n");
  EXPECT_EQ(ModifierIni("[Dossier]", "Dossier", "No", "1"), "[Dossier]\r\nNo=1\r\n");
  EXPECT_EQ(ModifierIni("[Autre]\nA=1\n", "Dossier", "No", "1"),
            "[Autre]\r\nA=1\r\n\r\n[Dossier]\r\nNo=1\r\n");
  EXPECT_EQ(ModifierIni("", "Dossier", "No", "1"), "[Dossier]\r\nNo=1\r\n");
}

TEST(EcritureIni, CreeLeFichierPuisLeRemplaceSansToucherAuReste) {
  DossierTemporaire dossier;
  FenetreMemoire fenetre;
  const std::string fichier = dossier.Fichier("reglages.ini");
  ASSERT_TRUE(EcrireIniString(fenetre, fichier, "Dossier", "No", "1"));
  EXPECT_EQ(LireTout(fichier), "[Dossier]\r\nNo=1\r\n");
  ASSERT_TRUE(EcrireIniString(fenetre, fichier, "Autre", "Cle", "valeur"));
  ASSERT_TRUE(EcrireIniString(fenetre, fichier, "DOSSIER", "NO", "2"));
  EXPECT_EQ(LireTout(fichier), "[Dossier]\r\nNo=2\r\n\r\n[Autre]\r\nCle=valeur\r\n");
  EXPECT_TRUE(fenetre.boites.empty());
  // Nothing is left beside the file.
  int entrees = 0;
  for (const auto& entree : std::filesystem::directory_iterator(dossier.Chemin())) {
    (void)entree;
    ++entrees;
  }
  EXPECT_EQ(entrees, 1);
}

TEST(EcritureIni, UneErreurMontreLaBoiteEtLaisseLeFichierTelQuel) {
  DossierTemporaire dossier;
  FenetreMemoire fenetre;
  // A file standing where a folder is expected: the write cannot happen, even as root.
  EcrireTout(dossier.Fichier("pas-un-dossier"), "x");
  EXPECT_FALSE(EcrireIniString(fenetre, dossier.Fichier("pas-un-dossier/r.ini"), "D", "No", "1"));
  ASSERT_EQ(fenetre.boites.size(), 1u);
  EXPECT_EQ(fenetre.boites[0].titre, "EcrireIniString");
  EXPECT_EQ(fenetre.boites[0].texte, FormaterErreur(ENOTDIR));

  // A value that would add a line of its own is refused before anything is written.
  const std::string fichier = dossier.Fichier("reglages.ini");
  EcrireTout(fichier, "[D]\nNo=5\n");
  EXPECT_FALSE(EcrireIniString(fenetre, fichier, "D", "No", "6\r\n[Pirate]"));
  EXPECT_FALSE(EcrireIniString(fenetre, fichier, "D", "No=", "6"));
  EXPECT_FALSE(EcrireIniString(fenetre, fichier, "D]", "No", "6"));
  EXPECT_FALSE(EcrireIniString(fenetre, fichier, "", "No", "6"));
  EXPECT_EQ(fenetre.boites.size(), 5u);
  EXPECT_EQ(fenetre.boites.back().texte, FormaterErreur(EINVAL));
  EXPECT_EQ(LireTout(fichier), "[D]\nNo=5\n");
}

TEST(EcritureIni, UnFichierEnLectureSeuleGardeSaValeur) {
  // Root may write anything: only an ordinary account sees the refusal.
  if (::geteuid() == 0) GTEST_SKIP() << "root writes even read-only files";
  DossierTemporaire dossier;
  FenetreMemoire fenetre;
  const std::string fichier = dossier.Fichier("reglages.ini");
  EcrireTout(fichier, "[D]\nNo=5\n");
  ASSERT_EQ(::chmod(fichier.c_str(), 0444), 0);
  EXPECT_FALSE(EcrireIniString(fenetre, fichier, "D", "No", "6"));
  ASSERT_EQ(fenetre.boites.size(), 1u);
  EXPECT_EQ(fenetre.boites[0].texte, FormaterErreur(EACCES));
  EXPECT_EQ(LireTout(fichier), "[D]\nNo=5\n");
}

TEST(EcritureIni, TexteDeLaBoiteDErreur) {
  EXPECT_EQ(FormaterErreur(ENOENT), "L'erreur suivante s'est produite :\r" +
                                        std::to_string(ENOENT) + "\r" + DecrireErreur(ENOENT) +
                                        "\rAppuyez sur (A) pour continuer");
  EXPECT_FALSE(DecrireErreur(ENOENT).empty());
}

}  // namespace
}  // namespace zef30

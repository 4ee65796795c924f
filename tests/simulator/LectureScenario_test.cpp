#include "simulator/LectureScenario.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "simulator/LigneCommande.h"

namespace zef30::simulateur {
namespace {

// A reading as these cases look at it: whether it went, and its words.
bool Lire(std::string_view texte, std::string_view nom, Scenario& s, std::string& erreur) {
  const auto lu = LireTexteScenario(texte, nom, s);
  erreur = TexteEchec(lu);
  return lu.Reussi();
}

bool Analyser(const std::vector<std::string>& arguments, OptionsSimulateur& options,
              std::string& erreur) {
  auto lu = AnalyserLigneCommande(arguments);
  erreur = TexteEchec(lu);
  if (lu) options = std::move(*lu);
  return lu.Reussi();
}

TEST(LectureScenario, ReadsEveryKindOfKey) {
  Scenario s;
  std::string erreur;
  const std::string texte =
      "# a terminal that makes the console work\r\n"
      "; another comment\n"
      "\n"
      "  sonde = ack-puis-autre \n"
      "naks=2\n"
      "eot=autre\n"
      "delai-enq= 1.5\n"
      "autre=\\x15\n"
      "silence-reponse=oui\n"
      "final=\n"
      "bruit=a\\\\b\\x02\n"
      "rythme=rafale\n"
      "bauds=19200\n"
      "switch=1000\n"
      "entete-consultation=999\n"
      "serie=SN 000000042\n"
      "nb-applications=02\n"
      "app3.nom=ABCDEF\n"
      "app3.version=1234567\n"
      "app3.checksum=FFFF\n"
      "app3.etat=1\n"
      "app4.fichier=2\n"
      "reponse.AJ00205=Aj003abc\n"
      "reponse.AG=\n"
      "brut.AU=\\x02\\x03\n"
      "paiement.ecran-hote=non\n"
      "paiement.pause-code=0.5\n"
      "paiement.ordre=cb-cbemv\n";
  ;
  ASSERT_TRUE(Lire(texte, "s.txt", s, erreur)) << erreur;
  EXPECT_EQ(s.sonde, ReponseSonde::AckPuisAutre);
  EXPECT_FALSE(s.paiement.ecranHote);
  EXPECT_DOUBLE_EQ(s.paiement.pauseCode, 0.5);
  EXPECT_TRUE(s.paiement.cbDabord);
  EXPECT_EQ(s.naks, 2);
  EXPECT_EQ(s.reponseEot, ReponseEot::Autre);
  EXPECT_DOUBLE_EQ(s.delaiEnq, 1.5);
  EXPECT_EQ(s.autre, "\x15");
  EXPECT_TRUE(s.silenceAuLieuDeReponse);
  EXPECT_EQ(s.caractereFinal, "");
  EXPECT_EQ(s.bruit, "a\\b\x02");
  EXPECT_TRUE(s.rafale);
  EXPECT_EQ(s.bauds, 19200);
  EXPECT_EQ(s.statutSwitch, "1000");
  EXPECT_EQ(s.enteteConsultation, "999");
  EXPECT_EQ(s.numeroSerie, "SN 000000042");
  EXPECT_EQ(s.nombreApplications, "02");
  EXPECT_EQ(s.applications[2].nom, "ABCDEF");
  EXPECT_EQ(s.applications[2].version, "1234567");
  EXPECT_EQ(s.applications[2].checksum, "FFFF");
  EXPECT_EQ(s.applications[2].etat, "1");
  EXPECT_EQ(s.applications[3].etatFichier, "2");
  EXPECT_EQ(s.applications[0].nom, "PAIEM1") << "untouched keys keep their defaults";
  EXPECT_EQ(s.reponses.at("AJ00205").message, "Aj003abc");
  EXPECT_FALSE(s.reponses.at("AJ00205").silence);
  EXPECT_TRUE(s.reponses.at("AG").silence);
  EXPECT_TRUE(s.reponses.at("AU").brut);
  EXPECT_EQ(s.reponses.at("AU").message, "\x02\x03");
}

TEST(LectureScenario, ABadLineIsNamedAndNothingOfTheTextIsKept) {
  struct Cas {
    std::string texte;
    std::string erreur;
  };
  const Cas cas[] = {
      {"naks=1\nnaks=x\n",
       "s.txt:2: valeur « x » refusée pour « naks » : un nombre entier de 0 à 99 attendu"},
      {"naks=-1", "s.txt:1: valeur « -1 » refusée pour « naks »"},
      {"naks=100", "s.txt:1: valeur « 100 » refusée pour « naks »"},
      {"sonde=oui",
       "s.txt:1: valeur « oui » refusée pour « sonde » : une de ces valeurs attendue : "
       "ack, silence, ack-puis-autre"},
      {"delai-enq=nan", "refusée pour « delai-enq »"},
      {"delai-enq=-2", "refusée pour « delai-enq »"},
      {"bauds=0", "refusée pour « bauds »"},
      {"switch=010", "refusée pour « switch » : 4 caractères attendus"},
      {"app1.etat=", "refusée pour « app1.etat » : 1 caractère attendu"},
      {"app5.nom=ABCDEF", "clé inconnue « app5.nom »"},
      {"autre=\\x4", "refusée pour « autre » : \\xHH"},
      {"autre=\\q", "refusée pour « autre »"},
      {"final=\\", "refusée pour « final »"},
      {"reponse.=Aa000", "le début du message de la requête manque"},
      {"\n\nrien ici\n", "s.txt:3: « clé=valeur » attendu, pas « rien ici »"},
      {"inconnue=1", "s.txt:1: clé inconnue « inconnue » (toutes : zef30-simulator --help)"},
      // A slip names the key meant.
      {"paiement.ecran_hote=non",
       "clé inconnue « paiement.ecran_hote » : la plus proche est « paiement.ecran-hote » "
       "(toutes : zef30-simulator --help)"},
      {"nak=1", "clé inconnue « nak » : la plus proche est « naks »"},
      // A period that would keep the terminal sending without a pause.
      {"spontane-periode=0.000001", "refusée pour « spontane-periode » : 0 (non) ou un nombre"},
      // Control characters of the text are named, as the line trace names them.
      {std::string("na\0ks=1\x05", 8), "clé inconnue « na<00>ks »"},
      {"naks=1\x05", "valeur « 1<ENQ> » refusée pour « naks »"},
  };
  for (const Cas& c : cas) {
    Scenario s;
    std::string erreur;
    EXPECT_FALSE(Lire(c.texte, "s.txt", s, erreur)) << c.texte;
    EXPECT_NE(erreur.find(c.erreur), std::string::npos) << erreur;
    EXPECT_EQ(erreur.find('\n'), std::string::npos) << "one line: " << erreur;
    EXPECT_EQ(s.naks, 0) << "a rejected text changes nothing: " << c.texte;
  }
}

TEST(LectureScenario, DecodesBytes) {
  std::string octets;
  ASSERT_TRUE(DecoderOctets("\\x00A\\xfF\\\\x", octets));
  EXPECT_EQ(octets, std::string("\0A\xff\\x", 5));
  EXPECT_FALSE(DecoderOctets("\\xG0", octets));
  EXPECT_FALSE(DecoderOctets("ab\\x0", octets));
  EXPECT_EQ(octets, std::string("\0A\xff\\x", 5)) << "left as it was";
}

// A scenario file in a folder of its own, removed at the end.
class FichierScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    char modele[] = "/tmp/zef30-scenario-XXXXXX";
    ASSERT_NE(::mkdtemp(modele), nullptr);
    dossier_ = modele;
    chemin_ = dossier_ + "/scenario.txt";
  }
  void TearDown() override {
    ::unlink(chemin_.c_str());
    ::rmdir(dossier_.c_str());
  }
  void Ecrire(const std::string& texte) { std::ofstream(chemin_, std::ios::binary) << texte; }

  std::string dossier_;
  std::string chemin_;
};

TEST_F(FichierScenario, CommandLineKeysGoOverTheFileWhateverTheirOrder) {
  Ecrire("switch=0000\nnaks=1\n");
  OptionsSimulateur options;
  std::string erreur;
  ASSERT_TRUE(
      Analyser({"--naks=2", "--scenario", chemin_, "--device", "/dev/ttyS3", "--rythme", "rafale"},
               options, erreur))
      << erreur;
  EXPECT_EQ(options.peripherique, "/dev/ttyS3");
  EXPECT_EQ(options.fichierScenario, chemin_);
  EXPECT_EQ(options.scenario.statutSwitch, "0000");
  EXPECT_EQ(options.scenario.naks, 2);
  EXPECT_TRUE(options.scenario.rafale);
}

TEST_F(FichierScenario, FileErrorsAreOneLineNamingTheFileAndLine) {
  OptionsSimulateur options;
  std::string erreur;
  EXPECT_FALSE(Analyser({"--scenario", chemin_}, options, erreur));
  EXPECT_EQ(erreur, chemin_ + " : fichier de scénario illisible");

  Ecrire("naks=1\nswitch=01000\n");
  EXPECT_FALSE(Analyser({"--scenario=" + chemin_}, options, erreur));
  EXPECT_EQ(erreur.rfind(chemin_ + ":2: valeur « 01000 » refusée pour « switch »", 0), 0u)
      << erreur;

  Ecrire(std::string(1024 * 1024 + 1, '#'));
  EXPECT_FALSE(Analyser({"--scenario=" + chemin_}, options, erreur));
  EXPECT_NE(erreur.find("trop grand"), std::string::npos) << erreur;

  EXPECT_FALSE(Analyser({"--scenario=" + dossier_}, options, erreur));
  EXPECT_NE(erreur.find(dossier_), std::string::npos) << erreur;

  // A pipe is refused without waiting for a writer; a byte order mark is skipped.
  const std::string tube = dossier_ + "/tube";
  ASSERT_EQ(::mkfifo(tube.c_str(), 0600), 0);
  EXPECT_FALSE(Analyser({"--scenario=" + tube}, options, erreur));
  EXPECT_EQ(erreur,
            tube + " : fichier de scénario illisible : tube nommé, pas un fichier ordinaire");
  ::unlink(tube.c_str());
  Ecrire("\xEF\xBB\xBFnaks=3\n");
  ASSERT_TRUE(Analyser({"--scenario=" + chemin_}, options, erreur)) << erreur;
  EXPECT_EQ(options.scenario.naks, 3);
}

TEST(LigneCommande, BadArgumentsAreRefusedWithOneLine) {
  const std::vector<std::vector<std::string>> mauvais = {
      {"device"},   {"--"},           {"--device"},    {"--device="}, {"--naks"},
      {"--naks=x"}, {"--inconnue=1"}, {"--scenario="}, {"-x"},
  };
  for (const auto& arguments : mauvais) {
    OptionsSimulateur options;
    std::string erreur;
    EXPECT_FALSE(Analyser(arguments, options, erreur)) << arguments[0];
    EXPECT_FALSE(erreur.empty());
    EXPECT_EQ(erreur.find('\n'), std::string::npos) << erreur;
  }
  OptionsSimulateur options;
  std::string erreur;
  ASSERT_TRUE(Analyser({"--help", "--scenario=/nonexistent"}, options, erreur));
  EXPECT_TRUE(options.aide) << "help is given without reading the file";
  // Every key is told in the help.
  for (const char* cle : {"sonde=", "naks=", "eot=", "delai-enq=", "autre=", "silence-reponse=",
                          "final=", "bruit=", "rythme=", "bauds=", "switch=", "serie=",
                          "nb-applications=", "appK.fichier=", "reponse.DEBUT=", "brut.DEBUT="}) {
    EXPECT_NE(TexteAide().find(cle), std::string::npos) << cle;
  }
}

}  // namespace
}  // namespace zef30::simulateur

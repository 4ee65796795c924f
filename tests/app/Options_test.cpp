#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/OptionsLigne.h"
#include "app/ScriptDeRun.h"
#include "tests/support/DossierTemporaire.h"

namespace zef30 {
namespace {

OptionsConsole Lire(const std::vector<std::string>& arguments) {
  const auto lecture = LireOptions(arguments);
  EXPECT_TRUE(lecture.options.has_value()) << lecture.erreur;
  return lecture.options.value_or(OptionsConsole{});
}

TEST(LireOptions, MapsPortsAndKeepsTheRest) {
  const auto rien = Lire({});
  EXPECT_TRUE(rien.ports.empty());
  EXPECT_FALSE(rien.dossierDonnees);
  EXPECT_FALSE(rien.simulateur);

  const auto options =
      Lire({"--port", "3=/dev/ttyUSB1", "--port=/dev/ttyUSB0", "--port", "20=/tmp/a=b", "--port",
            "4=rfc2217://[::1]:2217", "--data-dir", "/srv/zef30"});
  EXPECT_EQ(options.ports, (std::map<int, std::string>{{1, "/dev/ttyUSB0"},
                                                       {3, "/dev/ttyUSB1"},
                                                       {4, "rfc2217://[::1]:2217"},
                                                       {20, "/tmp/a=b"}}));
  EXPECT_EQ(options.dossierDonnees.value_or(""), "/srv/zef30");
  EXPECT_TRUE(Lire({"--simulator", "--port", "2=/dev/ttyUSB0"}).simulateur);
  // A path whose name holds '=' without a number before it is a path for port 1.
  EXPECT_EQ(Lire({"--port", "./ligne=1"}).ports, (std::map<int, std::string>{{1, "./ligne=1"}}));
  EXPECT_TRUE(Lire({"--help"}).aide);
  EXPECT_TRUE(Lire({"-h"}).aide);
  EXPECT_TRUE(Lire({"--version"}).version);
  const auto dessin = Lire({"--chart", "t.txt", "--from", "12.5", "-o", "d.svg"});
  EXPECT_EQ(dessin.traceADessiner.value_or(""), "t.txt");
  EXPECT_EQ(dessin.depuisMs.value_or(0), 12.5);
  EXPECT_FALSE(dessin.jusquaMs);
  EXPECT_EQ(dessin.fichierSvg.value_or(""), "d.svg");
  EXPECT_EQ(Lire({"--decode=t.txt"}).traceADecoder.value_or(""), "t.txt");
  const auto simule = Lire({"--simulator", "--sim", "paiement.ecran-hote=non", "--sim=naks=a=b",
                            "--sim-scenario", "s.txt"});
  EXPECT_EQ(simule.clesSimulateur, (std::vector<std::pair<std::string, std::string>>{
                                       {"paiement.ecran-hote", "non"}, {"naks", "a=b"}}));
  EXPECT_EQ(simule.scenarioSimulateur.value_or(""), "s.txt");
}

TEST(LireOptions, EveryMistakeIsNamedInOneLine) {
  const struct {
    std::vector<std::string> arguments;
    std::string erreur;
  } cas[] = {
      {{"--bogus"}, "option inconnue « --bogus » (voir --help)"},
      {{"/dev/ttyUSB0"}, "option inconnue « /dev/ttyUSB0 » (voir --help)"},
      {{"--port"}, "--port demande une valeur"},
      {{"--data-dir"}, "--data-dir demande une valeur"},
      {{"--data-dir="}, "--data-dir demande un dossier"},
      {{"--data-dir", "a", "--data-dir", "b"}, "--data-dir est donné deux fois"},
      {{"--port", "0=/dev/x"}, "--port : le numéro de port 0 n’est pas entre 1 et 20"},
      {{"--port", "21=/dev/x"}, "--port : le numéro de port 21 n’est pas entre 1 et 20"},
      {{"--port", "99999999999999999999=/dev/x"},
       "--port : le numéro de port 99999999999999999999 n’est pas entre 1 et 20"},
      {{"--" + std::string(100, 'x')},
       "option inconnue « --xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx… » (voir --help)"},
      {{"--port", "3="}, "--port : il faut un chemin de ligne (--port N=CHEMIN ou --port CHEMIN)"},
      {{"--port="}, "--port : il faut un chemin de ligne (--port N=CHEMIN ou --port CHEMIN)"},
      {{"--port", "/dev/a", "--port", "1=/dev/b"}, "--port : le port 1 est donné deux fois"},
      {{"--port", "2=tcp://hote"},
       "--port : adresse réseau « tcp://hote » : il faut HÔTE:PORT (PORT de 1 à 65535)"},
      {{"--port", "rfc2217://:70000"},
       "--port : adresse réseau « rfc2217://:70000 » : il faut HÔTE:PORT (PORT de 1 à 65535)"},
      {{"--simulator=yes"}, "--simulator ne prend pas de valeur"},
      {{"--bogus=1"}, "option inconnue « --bogus » (voir --help)"},
      {{"--simulator", "--sim", "naks"},
       "--sim demande CLÉ=VALEUR (les clés : zef30-simulator --help)"},
      {{"--simulator", "--sim", "=2"},
       "--sim demande CLÉ=VALEUR (les clés : zef30-simulator --help)"},
      {{"--sim", "naks=2"}, "--sim et --sim-scenario vont avec --simulator"},
      {{"--sim-scenario", "s.txt"}, "--sim et --sim-scenario vont avec --simulator"},
      {{"--simulator", "--sim-scenario=a", "--sim-scenario=b"},
       "--sim-scenario est donné deux fois"},
      {{"--simulator", "--port", "/dev/ttyUSB0"},
       "--simulator prend le port 1 : associez l’autre ligne à un autre numéro"},
      {{"--chart", "t"}, "--chart demande -o FICHIER.svg"},
      {{"--decode", "t", "-o", "d.svg"}, "--from, --to et -o vont avec --chart"},
      {{"--chart", "t", "--to", "1s", "-o", "d.svg"},
       "--to demande un moment de la trace en ms, pas « 1s »"},
      {{"--decode", "t", "--chart", "t", "-o", "d.svg"}, "--decode et --chart : l’un ou l’autre"},
  };
  for (const auto& c : cas) {
    const auto lecture = LireOptions(c.arguments);
    EXPECT_FALSE(lecture.options.has_value()) << c.erreur;
    EXPECT_EQ(lecture.erreur, c.erreur);
    EXPECT_EQ(lecture.erreur.find('\n'), std::string::npos);
  }
}

TEST(LireOptions, APilotedRunIsHeadlessWithoutScriptOrJson) {
  constexpr const char* kRefusCampagne =
      "--repeat, --for, --junit, --report, --report-from et --verbose ne vont pas avec --pilote "
      "(--report-from JOURNAL refait les rapports de son journal)";
  const struct {
    std::vector<std::string> arguments;
    bool programmeFenetre;  // read by the window program
    bool pilote;
    bool sansFenetre;
    std::string socket;
    std::string erreur = {};
  } cas[] = {
      {{"--pilote", "--simulator"}, false, true, true, ""},
      {{"--pilote-socket", "/run/u/c.sock"}, false, true, true, "/run/u/c.sock"},
      // The window program serves the socket in its window, unless told to run without one.
      {{"--pilote-socket", "/run/u/c.sock"}, true, false, false, "/run/u/c.sock"},
      {{"--pilote-socket=/run/u/c.sock", "--headless"}, true, true, true, "/run/u/c.sock"},
      {{"--pilote", "--pilote-socket", "s"}, true, true, true, "s"},
      {{"--pilote", "--lines", "2"}, false, true, true, ""},
      {{"--pilote", "--run", "switch"},
       false,
       false,
       false,
       "",
       "--pilote lit ses requêtes en commandes : pas de --run"},
      {{"--pilote-socket", "s", "--headless", "--run", "switch"},
       false,
       false,
       false,
       "",
       "--pilote lit ses requêtes en commandes : pas de --run"},
      {{"--pilote", "--json"},
       false,
       false,
       false,
       "",
       "--pilote répond déjà en JSON, une ligne par réponse : pas de --json"},
      {{"--pilote", "--lines", "1,2"},
       false,
       false,
       false,
       "",
       "--pilote tient une seule ligne : --lines d’un port"},
      {{"--pilote", "--repeat", "3"}, false, false, false, "", kRefusCampagne},
      {{"--pilote", "--verbose"}, false, false, false, "", kRefusCampagne},
      {{"--pilote", "--junit", "j.xml"}, false, false, false, "", kRefusCampagne},
      {{"--pilote=oui"}, false, false, false, "", "--pilote ne prend pas de valeur"},
      {{"--pilote-socket"}, false, false, false, "", "--pilote-socket demande une valeur"},
      {{"--pilote-socket="}, false, false, false, "", "--pilote-socket demande une valeur"},
      {{"--pilote-socket", "a", "--pilote-socket", "b"},
       false,
       false,
       false,
       "",
       "--pilote-socket est donné deux fois"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.arguments.front() + " " + (c.arguments.size() > 1 ? c.arguments[1] : ""));
    const auto lecture = LireOptions(c.arguments, c.programmeFenetre);
    EXPECT_EQ(lecture.erreur, c.erreur);
    if (!c.erreur.empty()) continue;
    ASSERT_TRUE(lecture.options);
    EXPECT_EQ(lecture.options->pilote, c.pilote);
    EXPECT_EQ(lecture.options->sansFenetre, c.sansFenetre);
    EXPECT_EQ(lecture.options->socketPilote.value_or(""), c.socket);
  }
}

TEST(LireScriptDeRun, TellsNamesFromAFileByTheValueAlone) {
  essai::DossierTemporaire dossier;
  const std::string script = dossier.Fichier("script");
  essai::EcrireTout(script, "heure\n# commentaire\nswitch");
  const std::string tube = dossier.Fichier("tube");
  ASSERT_EQ(::mkfifo(tube.c_str(), 0600), 0);
  const struct {
    std::string valeur, entree;
    std::vector<std::string> familles;
    std::string erreur;
  } cas[] = {
      {script, "", {"heure", "switch"}, ""},
      {"-", "validite ecran=non\nswitch", {"validite", "switch"}, ""},
      {"-", "", {}, "entrée standard : aucune requête à faire"},
      {"absent.txt", "", {}, "absent.txt : fichier illisible"},
      // What is not a regular file is refused without waiting for a writer.
      {dossier.Chemin(), "", {}, dossier.Chemin() + " : dossier, pas un fichier ordinaire"},
      {tube, "", {}, tube + " : tube nommé, pas un fichier ordinaire"},
      // An editor's byte order mark is no part of the first name; a NUL is shown, not sent.
      {"-", "\xEF\xBB\xBFswitch", {"switch"}, ""},
      {"-",
       std::string("sw\0tch", 6),
       {},
       "entrée standard : ligne 1 : requête inconnue « sw<00>tch »"},
      // Neither "/" nor ".txt": a name, whatever the disk holds.
      {"script", "", {}, "requête 1 : requête inconnue « script »"},
  };
  for (const auto& c : cas) {
    std::istringstream entree(c.entree);
    const auto requetes = LireScriptDeRun(c.valeur, entree);
    const std::string erreur = TexteEchec(requetes);
    std::vector<std::string> familles;
    for (const auto& requete : requetes.ValeurOu({})) familles.push_back(requete.famille);
    EXPECT_EQ(familles, c.familles) << c.valeur;
    EXPECT_EQ(erreur.substr(0, c.erreur.size()), c.erreur) << c.valeur;
  }
}

TEST(AffichageDisponible, NeedsADisplayOrAPlatformChosenByHand) {
  auto avec = [](std::map<std::string, std::string> variables) {
    return AffichageDisponible([&variables](const char* nom) -> const char* {
      const auto trouve = variables.find(nom);
      return trouve == variables.end() ? nullptr : trouve->second.c_str();
    });
  };
  EXPECT_FALSE(avec({}));
  EXPECT_FALSE(avec({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"HOME", "/root"}}));
  EXPECT_TRUE(avec({{"DISPLAY", ":99"}}));
  EXPECT_TRUE(avec({{"WAYLAND_DISPLAY", "wayland-0"}}));
  EXPECT_TRUE(avec({{"QT_QPA_PLATFORM", "offscreen"}}));
}

TEST(DossierDonneesParDefaut, IsTheProgramFolderOrElseTheUsersOwn) {
  essai::DossierTemporaire maison;
  const std::string absent = maison.Fichier("absent"), donnees = maison.Fichier("donnees");
  const struct {
    std::string programme, xdg, home, dossier;
  } cas[] = {
      {maison.Chemin(), "", "", maison.Chemin()},
      {absent, donnees, maison.Chemin(), donnees + "/zef30"},
      {absent, "relatif", maison.Chemin(), maison.Fichier(".local/share/zef30")},
      {"/usr/bin", donnees, "", donnees + "/zef30"},
  };
  for (const auto& c : cas) {
    const auto variable = [&c](std::string nom) {
      return (nom == "HOME" ? c.home : c.xdg).c_str();
    };
    EXPECT_EQ(DossierDonneesParDefaut(c.programme, variable), c.dossier);
  }
}

TEST(DossierDe, IsTheFolderOfTheProgram) {
  EXPECT_EQ(DossierDe("/opt/zef30/bin/zef30-console"), "/opt/zef30/bin");
  EXPECT_EQ(DossierDe("/zef30-console"), "/");
  EXPECT_EQ(DossierDe("zef30-console"), ".");
}

}  // namespace
}  // namespace zef30

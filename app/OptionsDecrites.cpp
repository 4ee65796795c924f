#include "app/OptionsDecrites.h"

#include "requests/BoutonsConsole.h"

namespace zef30 {

namespace {

// Every family a run knows, as --run takes them.
std::string NomsFamilles() {
  std::string noms;
  for (const BoutonConsole* famille : FamillesRequetes())
    noms += (noms.empty() ? "" : ",") + std::string(famille->famille);
  return noms;
}

}  // namespace

std::vector<OptionDecrite> OptionsConsoleDecrites() {
  return {
      {"--port", "N=CHEMIN",
       "le port numéro N (1 à 20) de la liste est la ligne CHEMIN ; un numéro non associé est le "
       "port /dev/ttyS<N-1> de la machine"},
      {"--port", "CHEMIN",
       "le port 1 est la ligne CHEMIN (par exemple /dev/ttyUSB0, ou mieux "
       "/dev/serial/by-id/…, qui ne change pas d’un branchement à l’autre)"},
      {"--port", "N=rfc2217://HÔTE:PORT",
       "une ligne servie sur le réseau en Telnet avec le contrôle du port série (RFC 2217, "
       "ser2net par exemple) : la console y règle 9600 bauds 8N1"},
      {"--port", "N=tcp://HÔTE:PORT",
       "une ligne servie sur le réseau telle quelle (TCP brut) : sa vitesse se règle sur le "
       "serveur"},
      {"--data-dir", "DOSSIER",
       "dossier du journal, du compteur de dossiers, des tickets, des rapports de télécollecte "
       "et des journaux de campagne ; il doit exister (par défaut : le dossier du programme, ou "
       "~/.local/share/zef30 pour un programme installé sous /usr)"},
      {"--simulator", "", "un terminal simulé sur un pseudo-terminal, comme port 1"},
      {"--sim", "CLÉ=VALEUR",
       "une clé du scénario du terminal simulé, autant de fois qu’il faut (les clés : "
       "zef30-simulator --help), par exemple paiement.ecran-hote=non : il garde son afficheur "
       "pour lui"},
      {"--sim-scenario", "FICHIER", "un fichier de scénario du terminal simulé, sous les --sim"},
      {"--trace", "FICHIER",
       "chaque octet de la ligne, dans les deux sens, horodaté, ajouté au FICHIER (F12 dans la "
       "fenêtre : la trace en direct)"},
      {"--headless", "",
       "sans fenêtre : les requêtes de --run, dans l’ordre, racontées sur la sortie standard"},
      {"--run", "REQUÊTES", "des noms séparés par des virgules, parmi :\n" + NomsFamilles()},
      {"--run", "FICHIER",
       "une requête par ligne avec ses entrées, par exemple « validite prix=1250 dossier=12 "
       "ecran=oui mode=video », « maintenance duree=30 » (« Sortie Ecoute » après 30 s) ; un "
       "fichier se donne par un chemin : il contient « / » ou finit par « .txt » (./switch, "
       "script.txt) ; sinon, ce sont des noms ; après « => », ce que l’étape attend, par "
       "exemple « switch => réussie ; résultat contient \"Carte présente\" » ; un commentaire "
       "« # titre » nomme les étapes qui le suivent"},
      {"--run", "-", "le script lu sur l’entrée standard"},
      {"--pilote", "",
       "sans fenêtre, pilotée : une commande JSON par ligne sur l’entrée standard (requete, "
       "etat, arret, fin), une réponse JSON par ligne sur la sortie standard ; chaque requête "
       "va au journal de campagne du dossier de données (--report-from le reprend)"},
      {"--pilote-socket", "CHEMIN",
       "les mêmes commandes sur une socket Unix créée en CHEMIN (mode 0600, dans un dossier à "
       "vous où nul autre ne peut écrire), un client à la fois ; le programme de la fenêtre la "
       "sert dans sa fenêtre"},
      {"--sans-operateur", "",
       "les étapes « opérateur \"TEXTE\" » d’un plan, et celles marquées « # opérateur », sautées "
       "(JUnit : skipped) ; sans elle, un plan qui en a est refusé quand l’entrée standard n’est "
       "pas un terminal (sur un terminal : le texte, puis Entrée pour continuer, Ctrl-C pour "
       "arrêter)"},
      {"--json", "", "un objet JSON par requête, une ligne chacun, puis le résumé"},
      {"--verbose", "",
       "tout ce que montre chaque requête (sinon : une ligne par requête, puis un résumé)"},
      {"--repeat", "N",
       "le script N fois (0 : jusqu’à la fin de --for, ou Ctrl-C) ; un premier Ctrl-C finit la "
       "requête en cours et écrit les rapports, un second arrête tout"},
      {"--for", "DURÉE", "le script encore et encore pendant DURÉE (45s, 30m, 8h, 1h30m)"},
      {"--lines", "N,N...",
       "le script sur chaque port en même temps, un processus par ligne, chacune dans "
       "DOSSIER/ligne-N"},
      {"--junit", "FICHIER", "un rapport JUnit XML : une suite par ligne, un cas par requête"},
      {"--report", "FICHIER.html", "une page HTML : résumé, durées de chaque requête, échecs"},
      {"--report-from", "JOURNAL.jsonl",
       "le résumé, et avec --junit et --report les rapports, refaits du journal d’une campagne "
       "(après un arrêt, un disque plein)"},
      {"--decode", "TRACE",
       "la trace, chaque trame nommée champ par champ sous son enregistrement"},
      {"--chart", "TRACE", "le diagramme de séquence de la trace, en SVG dans le FICHIER de -o"},
      {"--from", "T", "avec --chart : le premier moment dessiné, en ms de la trace"},
      {"--to", "T", "avec --chart : le dernier moment dessiné, en ms de la trace"},
      {"-o", "FICHIER.svg", "avec --chart : le fichier du diagramme"},
      {"--help", "", "cette aide, puis la fin"},
      {"--version", "", "la version, puis la fin"},
  };
}

Synopsis SynopsisConsole() {
  return {
      {"[--port N=CHEMIN]... [--port CHEMIN] [--data-dir DOSSIER]",
       "[--simulator [--sim CLÉ=VALEUR]... [--sim-scenario FICHIER]]",
       "[--trace FICHIER] [--headless --run REQUÊTES|FICHIER|- [--json]]",
       "[--verbose] [--repeat N] [--for DURÉE] [--lines N,N...]",
       "[--junit FICHIER] [--report FICHIER.html] [--sans-operateur]"},
      {"--report-from JOURNAL.jsonl [--junit FICHIER] [--report FICHIER.html]"},
      {"--pilote | --pilote-socket CHEMIN [--port N=CHEMIN]...",
       "[--simulator [--sim CLÉ=VALEUR]...] [--data-dir DOSSIER]", "[--trace FICHIER]"},
      {"--decode TRACE"},
      {"--chart TRACE [--from T] [--to T] -o FICHIER.svg"},
      {"--help | --version"},
  };
}

std::string NotesAideConsole() {
  return "Code de sortie : 0 quand tout a réussi ; 10 + le rang de la première requête en échec\n"
         "(250 au plus) ; 130 pour une campagne arrêtée avant sa fin (Ctrl-C, sortie standard\n"
         "fermée) ; 3 si une ligne ne s’est pas terminée d’elle-même ; 1 si un journal ou un\n"
         "rapport n’a pu être écrit, ou sans affichage ; 2 pour une ligne de commande ou un\n"
         "script faux ; 128 + le signal pour une console arrêtée par un signal (143 : SIGTERM).\n"
         "Pilotée : 0 quand toutes ses requêtes ont réussi, 1 sinon, 130 arrêtée avant « fin »\n"
         "(Ctrl-C, sortie standard fermée).\n"
         "\n"
         "La fenêtre demande un affichage : sans lui, lancez-la sous xvfb-run, avec\n"
         "QT_QPA_PLATFORM=offscreen, ou en --headless.\n";
}

}  // namespace zef30

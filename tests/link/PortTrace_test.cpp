// The line trace on the virtual clock: one record a burst, a burst that goes on grows its own
// record in the file, pauses over the threshold are written, frames are marked.
#include "link/PortTrace.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/DossierTemporaire.h"
#include "tests/support/PortScripte.h"

namespace zef30 {
namespace {

TEST(PortTrace, WritesOneRecordPerBurstAsTheBytesPass) {
  struct Pas {
    double attente;       // virtual seconds before the operation
    std::string ecrit;    // the console writes this (empty: it reads)
    std::string arrive;   // what the terminal sends right after that moment
    std::string fichier;  // the whole file's records once the operation is done
  };
  const std::string tete = "# Trace de ligne ZEF30 commencée le 08/12/2026 06:27:15";
  const std::string enq = "      0.000 C>T | 05 | <ENQ>\n";
  const std::string ack = "      1.000 T>C | 06 | <ACK>\n";
  const std::string partie1 = "    201.000 T>C +0.200s | 02 41 61 30 30 | <STX>Aa00";
  const std::string partie2 = " 34 30 31 30 30 10 03 06";
  const std::string texte2 = "40100<DLE><ETX><ACK> | [trame Aa : LRC 06 juste]\n";
  const Pas pas[] = {
      {0, "\x05", "", enq},
      {0.001, "", "\x06", enq + ack},
      {0.2, "",
       std::string("\x02"
                   "Aa00"),
       enq + ack + partie1 + "\n"},
      {0.01, "", std::string("40100\x10\x03\x06", 8),
       enq + ack + "    201.000 T>C +0.200s | 02 41 61 30 30" + partie2 + " | <STX>Aa00" + texte2},
      {0.3,
       "\x06\x02"
       "DCARTE?\x10\x03\x28",
       "",
       enq + ack + "    201.000 T>C +0.200s | 02 41 61 30 30" + partie2 + " | <STX>Aa00" + texte2 +
           "    511.000 C>T +0.300s | 06 02 44 43 41 52 54 45 3F 10 03 28 | "
           "<ACK><STX>DCARTE?<DLE><ETX>( | [trame D : LRC 28 FAUSSE, attendue 29]\n"},
  };
  essai::DossierTemporaire dossier;
  const std::string chemin = dossier.Fichier("trace.txt");
  essai::EcrireTout(chemin, "# une trace d’avant\n");
  essai::HorlogeVirtuelle horloge;
  essai::PortScripte port(horloge);
  PortTrace trace(port, horloge, "08/12/2026 06:27:15");
  std::string erreur;
  ASSERT_TRUE(trace.EcrireDans(chemin, erreur)) << erreur;
  int enregistrements = 0;
  trace.Observer([&](const EnregistrementTrace&, bool remplace) { enregistrements += !remplace; });

  for (const Pas& p : pas) {
    horloge.Avancer(p.attente);
    if (!p.arrive.empty()) port.Arriver(p.arrive);
    if (p.ecrit.empty()) {
      trace.Lire();
    } else {
      trace.Ecrire(p.ecrit);
    }
    const std::string fichier = essai::LireTout(chemin);
    EXPECT_TRUE(fichier.starts_with("# une trace d’avant\n" + tete)) << fichier;
    EXPECT_EQ(fichier.substr(fichier.find('\n', fichier.find(tete)) + 1), p.fichier);
  }
  EXPECT_EQ(enregistrements, 4);
  EXPECT_EQ(port.Ligne(), std::string("\x05\x06\x02"
                                      "DCARTE?\x10\x03\x28"));
}

}  // namespace
}  // namespace zef30

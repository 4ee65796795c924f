// The line trace on the virtual clock: one record a burst, a burst that goes on grows its own
// record in the file (written again at a bounded rate, and whole once complete), pauses over the
// threshold are written, frames are marked, a burst longer than a record goes on in the next.
#include "link/PortTrace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <string>
#include <vector>

#include "tests/support/DossierTemporaire.h"
#include "tests/support/PortScripte.h"

namespace zef30 {

using namespace std::chrono_literals;
namespace {

// `n` bytes "A" as a record shows them: in hexadecimal, then as text.
std::string Des41(std::size_t n) {
  std::string hexa = "41";
  for (std::size_t i = 1; i < n; ++i) hexa += " 41";
  return hexa + " | " + std::string(n, 'A');
}

TEST(PortTrace, WritesOneRecordPerBurstAsTheBytesPass) {
  enum class Action { LireOuEcrire, Compter, Attendre };
  struct Pas {
    double attente;       // virtual seconds before the operation
    std::string ecrit;    // the console writes this (empty: it reads)
    std::string arrive;   // what the terminal sends right after that moment
    std::string fichier;  // the whole file's records once the operation is done
    // Or the console only counts what waits, or waits 1 s for a character.
    Action action = Action::LireOuEcrire;
  };
  const std::string tete = "# Trace de ligne ZEF30 commencée le 08/12/2026 06:27:15";
  const std::string enq = "      0.000 C>T | 05 | <ENQ>\n";
  const std::string ack = "      1.000 T>C | 06 | <ACK>\n";
  const std::string partie1 = "    201.000 T>C +0.200s | 02 41 61 30 30 | <STX>Aa00";
  const std::string partie2 = " 34 30 31 30 30 10 03 06";
  const std::string texte2 = "40100<DLE><ETX><ACK> | [trame Aa : LRC 06 juste]\n";
  const std::string aa401 = "    201.000 T>C +0.200s | 02 41 61 30 30 34 30 31 | <STX>Aa00401\n";
  const std::string aa =
      enq + ack + "    201.000 T>C +0.200s | 02 41 61 30 30" + partie2 + " | <STX>Aa00" + texte2;
  const std::string carte =
      aa +
      "    611.000 C>T +0.300s | 06 02 44 43 41 52 54 45 3F 10 03 28 | "
      "<ACK><STX>DCARTE?<DLE><ETX>( | [trame D : LRC 28 FAUSSE, attendue 29]\n";
  const std::string z = carte + "   1611.000 T>C +1.000s | 5A | Z\n";
  const std::string zz = carte + "   1611.000 T>C +1.000s | 5A 5A | ZZ\n";
  const std::string longue = zz + "   3621.000 T>C +2.000s | " + Des41(1024) + "\n" +
                             "   3621.000 T>C | " + Des41(476) + "\n";
  const Pas pas[] = {
      {0, "\x05", "", enq},
      {0.001, "", "\x06", enq + ack},
      {0.2, "",
       std::string("\x02"
                   "Aa00"),
       enq + ack + partie1 + "\n"},
      // Grown 30 ms, then 70 ms, after it was written: held back.
      {0.03, "", "40", enq + ack + partie1 + "\n"},
      {0.04, "", "1", enq + ack + partie1 + "\n"},
      // 100 ms after it was written, any look at the line writes it again.
      {0.03, "", "", enq + ack + aa401, Action::Compter},
      // A frame that ends is written at once.
      {0.01, "", std::string("00\x10\x03\x06", 5), aa},
      // The next record waits for nothing.
      {0.3,
       "\x06\x02"
       "DCARTE?\x10\x03\x28",
       "", carte},
      {1, "", "Z", z},
      // A wait of 1 s that nothing ends wakes to write what was held back.
      {0.01, "", "Z", z},
      {0, "", "", zz, Action::Attendre},
      // A burst longer than a record: the first 1024 bytes, then the rest, without a pause.
      {1, "", std::string(1500, 'A'), longue},
  };
  essai::DossierTemporaire dossier;
  const std::string chemin = dossier.Fichier("trace.txt");
  essai::EcrireTout(chemin, "# une trace d’avant\n");
  essai::HorlogeVirtuelle horloge;
  essai::PortScripte port(horloge);
  PortTrace trace(port, horloge, "08/12/2026 06:27:15");
  const auto ecrite = trace.EcrireDans(chemin);
  ASSERT_TRUE(ecrite) << TexteEchec(ecrite);
  int enregistrements = 0;
  trace.Observer([&](const EnregistrementTrace&, bool remplace) { enregistrements += !remplace; });

  for (const Pas& p : pas) {
    horloge.Avancer(Horloge::Secondes(p.attente));
    if (!p.arrive.empty()) port.Arriver(p.arrive);
    if (p.action == Action::Compter) {
      trace.NombreEnAttente();
    } else if (p.action == Action::Attendre) {
      trace.AttendreAuMoins(1, Horloge::Plus(horloge.Maintenant(), 1s));
    } else if (p.ecrit.empty()) {
      trace.Lire();
    } else {
      trace.Ecrire(p.ecrit);
    }
    const std::string fichier = essai::LireTout(chemin);
    EXPECT_TRUE(fichier.starts_with("# une trace d’avant\n" + tete)) << fichier;
    EXPECT_EQ(fichier.substr(fichier.find('\n', fichier.find(tete)) + 1), p.fichier);
  }
  EXPECT_EQ(enregistrements, 7);
  EXPECT_EQ(port.Ligne(), std::string("\x05\x06\x02"
                                      "DCARTE?\x10\x03\x28"));
}

// Each frame's words go under its record, marked, and stay there as the record grows; a reader
// of the records reads the same bursts as from a trace without them.
TEST(PortTrace, WritesEachFrameInWordsUnderItsRecordForReadersToSkip) {
  essai::DossierTemporaire dossier;
  const std::string chemin = dossier.Fichier("trace.txt");
  essai::HorlogeVirtuelle horloge;
  essai::PortScripte port(horloge);
  PortTrace trace(port, horloge, "08/12/2026 06:27:15");
  const auto ecrite = trace.EcrireDans(chemin);
  ASSERT_TRUE(ecrite) << TexteEchec(ecrite);
  trace.Decoder([](std::string_view trame, Sens sens) {
    return std::string(sens == Sens::VersTerminal ? "demande " : "réponse ") +
           std::string(trame.substr(1, 2)) + "\x03";
  });
  trace.Ecrire(
      std::string("\x02"
                  "AA000\x10\x03\x23"));
  port.Arriver(
      std::string("\x06\x02"
                  "Aa0040100\x10\x03\x06"));
  trace.Lire();
  port.Arriver("\x04");
  trace.Lire();
  horloge.Avancer(1s);
  trace.Ecrire("\x06");
  const std::string fichier = essai::LireTout(chemin);
  EXPECT_NE(fichier.find("| [trame AA : LRC 23 juste]\n#= demande AA<ETX>\n      0.000 T>C |"),
            std::string::npos)
      << fichier;
  EXPECT_NE(fichier.find("<EOT> | [trame Aa : LRC 06 juste]\n#= réponse Aa<ETX>\n   1000.000 C>T"),
            std::string::npos)
      << fichier;
  const auto lus = LireTrace(fichier);
  ASSERT_TRUE(lus) << TexteEchec(lus);
  ASSERT_EQ(lus->size(), 3u);
  EXPECT_EQ((*lus)[1].octets, std::string("\x06\x02"
                                          "Aa0040100\x10\x03\x06\x04"));
}

// A file that refuses a write (a full disk; here a file size limit, as the console's program
// takes it): the trace ends at the last whole record, the failure is told once, and the line and
// the observer go on.
TEST(PortTrace, AFileThatRefusesAWriteEndsAtAWholeRecordAndIsToldOnce) {
  for (const std::size_t place : {40u, 300u}) {
    SCOPED_TRACE(place);
    essai::DossierTemporaire dossier;
    const std::string chemin = dossier.Fichier("trace.txt");
    essai::HorlogeVirtuelle horloge;
    essai::PortScripte port(horloge);
    PortTrace trace(port, horloge, "08/12/2026 06:27:15");
    const auto ecrite = trace.EcrireDans(chemin);
    ASSERT_TRUE(ecrite) << TexteEchec(ecrite);
    std::vector<std::string> dits;
    trace.SurEchecEcriture([&](const std::string& raison) { dits.push_back(raison); });
    int observes = 0;
    trace.Observer([&](const EnregistrementTrace&, bool remplace) { observes += !remplace; });

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limite{};
    ::getrlimit(RLIMIT_FSIZE, &limite);
    const rlimit avant = limite;
    limite.rlim_cur = essai::LireTout(chemin).size() + place;
    ::setrlimit(RLIMIT_FSIZE, &limite);
    for (int i = 0; i < 20; ++i) {
      horloge.Avancer(1s);
      trace.Ecrire("\x05");
      horloge.Avancer(1s);
      port.Arriver(std::string("\x06\x02") + "Aa0040100\x10\x03\x06");
      trace.Lire();
    }
    trace.Fermer();
    ::setrlimit(RLIMIT_FSIZE, &avant);

    EXPECT_EQ(observes, 40);
    EXPECT_EQ(port.Ligne(), std::string(20, '\x05'));
    ASSERT_EQ(dits.size(), 1u);
    EXPECT_EQ(dits[0], chemin + " : trace arrêtée, écriture impossible : fichier trop grand");
    EXPECT_EQ(trace.EchecEcriture(), dits[0]);
    const std::string fichier = essai::LireTout(chemin);
    EXPECT_LE(fichier.size(), limite.rlim_cur);
    EXPECT_TRUE(fichier.ends_with("\n")) << fichier;
    const auto lus = LireTrace(fichier);
    ASSERT_TRUE(lus) << TexteEchec(lus) << "\n" << fichier;
    EXPECT_LT(lus->size(), 40u);
    // Where there was room for it, the note says why the trace ends there.
    if (place >= 300) {
      EXPECT_TRUE(
          fichier.ends_with("# trace arrêtée ici, écriture impossible : fichier trop grand\n"))
          << fichier;
    }
  }
}

}  // namespace
}  // namespace zef30

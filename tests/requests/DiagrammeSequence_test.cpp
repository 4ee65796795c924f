#include "requests/DiagrammeSequence.h"

#include <gtest/gtest.h>

#include "link/NommeurTrames.h"
#include "protocol/Trame.h"

namespace zef30 {
namespace {

// The group of the arrow at `ms`, from the chart.
std::string Fleche(const std::string& svg, const std::string& ms) {
  const auto debut = svg.find("<g class=\"salve\" data-ms=\"" + ms + "\"");
  if (debut == std::string::npos) return {};
  return svg.substr(debut, svg.find("</g>", debut) - debut);
}

TEST(DessinerSequence, DrawsOneArrowPerBurstInOrderWithTheFaultsInTheirColours) {
  std::string fausse = EncadrerMessage("AA000");
  fausse.back() = static_cast<char>(fausse.back() ^ 1);
  struct Salve {
    double ms;
    Sens sens;
    std::string octets;
    std::string etiquette;  // what its arrow says
    std::string couleur;
  };
  const Salve salves[] = {
      {0, Sens::VersTerminal, std::string(1, ENQ), "ENQ", "#1b1b1b"},
      // Nothing from the terminal for 10 s: the console asks again.
      {10010, Sens::VersTerminal, std::string(1, ENQ), "ENQ", "#1b1b1b"},
      {10020, Sens::VersConsole, std::string(1, ACK), "ACK", "#1f5fa8"},
      {10030, Sens::VersTerminal, fausse, "AA demande de switch", kCouleurFaute},
      {10060, Sens::VersConsole, std::string(1, NAK), "NAK", kCouleurNak},
      {10070, Sens::VersTerminal, EncadrerMessage("AA000"), "AA demande de switch", "#1b1b1b"},
      {10100, Sens::VersConsole, std::string(1, ACK) + EncadrerMessage("Aa0040100") + EOT,
       "ACK + Aa réponse de switch + EOT", "#1f5fa8"},
      // Its check character is 0x15, no NAK for all that.
      {10200, Sens::VersConsole, EncadrerMessage("Al0209" + std::string(19, ' ')),
       "trame inconnue « Al »", "#1f5fa8"},
  };
  ASSERT_EQ(salves[std::size(salves) - 1].octets.back(), NAK);
  std::vector<EnregistrementTrace> enregistrements;
  for (const Salve& s : salves) {
    EnregistrementTrace e;
    e.ms = s.ms;
    e.sens = s.sens;
    e.octets = s.octets;
    enregistrements.push_back(e);
  }
  DecodeurTrames decodeur;
  const std::string svg = DessinerSequence(NommerTrames(enregistrements, decodeur));

  std::size_t depuis = 0;
  for (const Salve& s : salves) {
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f", s.ms);
    SCOPED_TRACE(ms);
    const std::string fleche = Fleche(svg, ms);
    EXPECT_NE(fleche.find(">" + s.etiquette + "</text>"), std::string::npos) << fleche;
    EXPECT_NE(fleche.find("stroke=\"" + s.couleur + "\""), std::string::npos) << fleche;
    const auto ici = svg.find(fleche);
    EXPECT_GT(ici, depuis);
    depuis = ici;
  }
  std::size_t fleches = 0;
  for (auto i = svg.find("class=\"salve\""); i != std::string::npos;
       i = svg.find("class=\"salve\"", i + 1)) {
    ++fleches;
  }
  EXPECT_EQ(fleches, std::size(salves));
  EXPECT_NE(svg.find("<g class=\"time-out\"><line"), std::string::npos);
  EXPECT_NE(svg.find("fill=\"#d00000\">time-out, 10,0 s</text>"), std::string::npos);
  // One band: the request sent again after the NAK is the same exchange's.
  EXPECT_EQ(svg.find("<g class=\"demande\">"), svg.rfind("<g class=\"demande\">"));
  EXPECT_NE(svg.find("<g class=\"demande\">"), std::string::npos);
  EXPECT_NE(svg.find(">disponibilité 0 disponible</text>"), std::string::npos);
}

std::size_t Compter(const std::string& svg, const std::string& motif) {
  std::size_t n = 0;
  for (auto i = svg.find(motif); i != std::string::npos; i = svg.find(motif, i + 1)) ++n;
  return n;
}

// Past the arrows a picture holds, each request's band stands alone, and past the bands it holds
// the rest are counted: the picture stays small whatever the trace.
TEST(DessinerSequence, PastItsBoundsDrawsTheBandsAloneAndSaysHowToNarrow) {
  struct Cas {
    std::size_t echanges;  // card switches of five records each
    std::size_t fleches;
    std::size_t bandes;
    std::string note;
  };
  const Cas cas[] = {
      {100, 500, 100, ""},
      {kFlechesMax / 5 + 1, 0, kFlechesMax / 5 + 1, "resserrez avec --from et --to"},
      {kBandesMax + 500, 0, kBandesMax, "… et 500 demandes de plus, non dessinées"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.echanges);
    DecodeurTrames decodeur;
    NommeurTrames nommeur(decodeur);
    DiagrammeEnCours diagramme;
    const std::pair<Sens, std::string> salves[] = {
        {Sens::VersTerminal, std::string(1, ENQ)},
        {Sens::VersConsole, std::string(1, ACK)},
        {Sens::VersTerminal, EncadrerMessage("AA000")},
        {Sens::VersConsole, std::string(1, ACK) + EncadrerMessage("Aa0040100") + EOT},
        {Sens::VersTerminal, std::string(1, ACK)},
    };
    double ms = 0;
    for (std::size_t k = 0; k < c.echanges; ++k) {
      for (const auto& [sens, octets] : salves) {
        EnregistrementTrace e;
        e.ms = ms++;
        e.sens = sens;
        e.octets = octets;
        nommeur.Nommer(e);
        diagramme.Ajouter(e);
      }
    }
    const std::string svg = diagramme.Finir();
    EXPECT_EQ(Compter(svg, "class=\"salve\""), c.fleches);
    EXPECT_EQ(Compter(svg, "<g class=\"demande\">"), c.bandes);
    EXPECT_EQ(Compter(svg, ">disponibilité 0 disponible</text>"), c.bandes);
    EXPECT_NE(svg.find(c.note), std::string::npos);
    EXPECT_LT(svg.size(), 3'000'000u);
  }
}

}  // namespace
}  // namespace zef30

// The campaign's reports: a JUnit file that any XML reader takes, failures with their reasons,
// and an HTML page whose chart holds one mark per request run.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "base/Texte.h"
#include "headless/RapportHtml.h"
#include "headless/RapportJunit.h"
#include "headless/ResumeCampagne.h"
#include "tests/support/Executions.h"

namespace zef30 {
namespace {

using essai::Execution;

struct Element {
  std::string nom;
  std::map<std::string, std::string> attributs;
  std::vector<std::unique_ptr<Element>> enfants;
  // Every element of this name below, this one included.
  void Trouver(const std::string& n, std::vector<const Element*>& trouves) const {
    if (nom == n) trouves.push_back(this);
    for (const auto& e : enfants) e->Trouver(n, trouves);
  }
};

// A strict reader of the XML our reports write: nullptr for anything not well-formed (a tag
// left open or closed by another name, an attribute not quoted, a raw "<" or "&", a control
// character XML forbids).
std::unique_ptr<Element> LireXml(std::string_view t) {
  std::size_t i = t.starts_with("<?xml") ? t.find("?>") + 2 : 0;
  std::vector<Element*> ouverts;
  std::unique_ptr<Element> racine;
  const auto texteSain = [](std::string_view s) {
    for (std::size_t k = 0; k < s.size(); ++k) {
      const auto c = static_cast<unsigned char>(s[k]);
      if (c == '<' || (c < 0x20 && c != '\n' && c != '\r' && c != '\t')) return false;
      if (c == '&' && !(s.substr(k).starts_with("&amp;") || s.substr(k).starts_with("&lt;") ||
                        s.substr(k).starts_with("&gt;") || s.substr(k).starts_with("&quot;") ||
                        s.substr(k).starts_with("&apos;")))
        return false;
    }
    return true;
  };
  while (i < t.size()) {
    const std::size_t ouvre = t.find('<', i);
    if (!texteSain(t.substr(i, ouvre - i))) return nullptr;
    if (ouvre == std::string_view::npos) break;
    const std::size_t ferme = t.find('>', ouvre);
    if (ferme == std::string_view::npos) return nullptr;
    std::string_view tag = t.substr(ouvre + 1, ferme - ouvre - 1);
    i = ferme + 1;
    if (tag.starts_with("/")) {
      if (ouverts.empty() || ouverts.back()->nom != tag.substr(1)) return nullptr;
      ouverts.pop_back();
      continue;
    }
    const bool vide = tag.ends_with("/");
    if (vide) tag.remove_suffix(1);
    auto e = std::make_unique<Element>();
    e->nom = std::string(tag.substr(0, tag.find(' ')));
    for (std::size_t k = tag.find(' '); k != std::string_view::npos && k < tag.size();) {
      const std::size_t egal = tag.find("=\"", k);
      const std::size_t fin = egal == std::string_view::npos ? egal : tag.find('"', egal + 2);
      if (fin == std::string_view::npos) return nullptr;
      const auto valeur = tag.substr(egal + 2, fin - egal - 2);
      if (!texteSain(valeur) || valeur.find('>') != std::string_view::npos) return nullptr;
      e->attributs[std::string(SansBlancs(tag.substr(k, egal - k)))] = valeur;
      k = tag.find_first_not_of(' ', fin + 1);
    }
    Element* place = e.get();
    if (ouverts.empty()) {
      if (racine) return nullptr;
      racine = std::move(e);
    } else {
      ouverts.back()->enfants.push_back(std::move(e));
    }
    if (!vide) ouverts.push_back(place);
  }
  return ouverts.empty() ? std::move(racine) : nullptr;
}

TEST(Rapports, JunitParsesWithFailuresAndTheChartHasAMarkPerRun) {
  const std::string refus = "Carte refusée DemVal Cause: 05 <\x02> & \"x\"";
  struct Cas {
    std::vector<ExecutionRequete> runs;
    std::vector<std::string> suites;  // name and test count of each
    FinCampagne fin = {};
    std::vector<std::string> erreurs = {};  // the messages of the cases that are no run
    std::vector<std::string> reperes = {};  // the ticks of the durations' axis, when checked
  };
  FinCampagne interrompue;
  interrompue.interrompue = true;
  interrompue.arret = "Ctrl-C";
  interrompue.prevues = 10;
  FinCampagne pleine;
  pleine.journal = "j.jsonl";
  pleine.erreurJournal = "plus de place";
  pleine.horsJournal = 1;
  const Cas cas[] = {
      {{Execution("switch", 0, 20), Execution("validite", 0, 900, refus.c_str()),
        Execution("consultation", 0, 110)},
       {"zef30-console 3"},
       {},
       {},
       // Round values at every scale, from the decade under the shortest to the one over the
       // longest.
       {"10 ms", "20 ms", "50 ms", "0.1 s", "0.2 s", "0.5 s", "1 s"}},
      // Stopped before its end, and with runs its journal lacks: each said as an error.
      // Over more than four decades, the decades alone.
      {{Execution("switch", 0, 2), Execution("maintenance", 0, 50000)},
       {"zef30-console 3"},
       interrompue,
       {"campagne interrompue après 2 de 10 (Ctrl-C)"},
       {"1 ms", "10 ms", "0.1 s", "1 s", "10 s", "100 s"}},
      {{Execution("switch", 0, 20), Execution("switch", 0, 20), Execution("switch", 0, 20)},
       {"zef30-console 4"},
       pleine,
       {"1 requête sur 3 manque au journal j.jsonl (plus de place)"}},
      {{Execution("switch", 1, 20), Execution("switch", 2, 25, "Pas de réponse"),
        Execution("switch", 1, 18), Execution("validite", 2, 40)},
       {"ligne 1 2", "ligne 2 2"}},
      {{}, {}},
  };
  for (const Cas& k : cas) {
    const auto junit = LireXml(RapportJunit(k.runs, "2026-12-08T23:10:00", k.fin));
    ASSERT_TRUE(junit) << RapportJunit(k.runs, "");
    EXPECT_EQ(junit->nom, "testsuites");
    std::vector<const Element*> suites, cases, echecs;
    junit->Trouver("testsuite", suites);
    junit->Trouver("testcase", cases);
    junit->Trouver("failure", echecs);
    std::vector<const Element*> erreurs;
    junit->Trouver("error", erreurs);
    std::vector<std::string> messages;
    for (const auto* e : erreurs) messages.push_back(e->attributs.at("message"));
    EXPECT_EQ(messages, k.erreurs);
    EXPECT_EQ(junit->attributs.at("errors"), std::to_string(k.erreurs.size()));
    std::vector<std::string> dites;
    for (const auto* s : suites)
      dites.push_back(s->attributs.at("name") + " " + s->attributs.at("tests"));
    EXPECT_EQ(dites, k.suites);
    EXPECT_EQ(junit->attributs.at("tests"), std::to_string(k.runs.size() + k.erreurs.size()));
    EXPECT_EQ(cases.size(), k.runs.size() + k.erreurs.size());
    std::size_t attendus = 0;
    for (const auto& e : k.runs) attendus += e.reussie ? 0 : 1;
    EXPECT_EQ(junit->attributs.at("failures"), std::to_string(attendus));
    ASSERT_EQ(echecs.size(), attendus);
    for (const auto* f : echecs) EXPECT_FALSE(f->attributs.at("message").empty());
    if (!k.runs.empty() && k.runs[1].famille == "validite") {
      EXPECT_EQ(echecs[0]->attributs.at("message"),
                "Carte refusée DemVal Cause: 05 &lt;&lt;STX&gt;&gt; &amp; &quot;x&quot;");
    }

    ResumeCampagne resume = ResumerCampagne(k.runs);
    resume.fin = k.fin;
    const std::string html = RapportHtml(k.runs, resume, {});
    for (const auto& erreur : k.erreurs) EXPECT_NE(html.find(erreur), std::string::npos) << erreur;
    // The durations, then the campaign over time: each chart a mark per run.
    std::size_t debut = 0;
    for (int graphique = 0; graphique < 2; ++graphique) {
      debut = html.find("<svg", debut);
      const auto fin = html.find("</svg>", debut);
      ASSERT_NE(fin, std::string::npos);
      const auto svg = LireXml(std::string_view(html).substr(debut, fin + 6 - debut));
      ASSERT_TRUE(svg);
      std::vector<const Element*> marques;
      svg->Trouver("circle", marques);
      EXPECT_EQ(marques.size(), k.runs.size());
      if (graphique == 0 && !k.reperes.empty()) {
        std::vector<std::string> reperes;
        for (std::size_t i = html.find("class=\"axe\"", debut); i < fin;
             i = html.find("class=\"axe\"", i + 1)) {
          const auto texte = html.find('>', i) + 1;
          reperes.push_back(html.substr(texte, html.find('<', texte) - texte));
        }
        EXPECT_EQ(reperes, k.reperes);
      }
      debut = fin;
    }
    // Self-contained: nothing fetched from elsewhere, nothing run.
    for (const char* ailleurs : {"<script", "src=", "href=", "@import"})
      EXPECT_EQ(html.find(ailleurs), std::string::npos) << ailleurs;
  }
}

}  // namespace
}  // namespace zef30

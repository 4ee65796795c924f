#include "headless/RapportJunit.h"

#include <algorithm>
#include <map>

#include "headless/TexteXml.h"

namespace zef30 {

namespace {

// What a suite's attributes say, counted before its cases are written.
struct CompteSuite {
  int tests = 0;
  int echecs = 0;
  Horloge::Instant debut = Horloge::Instant::max();
  Horloge::Instant fin = Horloge::Instant::min();

  void Ajouter(const ExecutionRequete& e) {
    ++tests;
    if (!e.reussie) ++echecs;
    debut = std::min(debut, e.debut);
    fin = std::max(fin, e.fin);
  }
  // Seconds from the first start to the last end.
  double Etendue() const {
    return tests == 0 ? 0 : std::chrono::duration<double>(fin - debut).count();
  }
};

std::string Attribut(const char* nom, const std::string& valeur) {
  return std::string(" ") + nom + "=\"" + EchapperXml(valeur) + "\"";
}

std::string Comptes(const CompteSuite& c) {
  return Attribut("tests", std::to_string(c.tests)) +
         Attribut("failures", std::to_string(c.echecs)) + Attribut("errors", "0");
}

}  // namespace

std::string RapportJunit(const ParcoursExecutions& parcourir, const std::string& horodatage) {
  std::map<int, CompteSuite> suites;
  CompteSuite toutes;
  parcourir([&](const ExecutionRequete& e) {
    suites[e.ligne].Ajouter(e);
    toutes.Ajouter(e);
  });
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" +
                    Attribut("name", "zef30-console") + Comptes(toutes) +
                    Attribut("time", SecondesMachine(toutes.Etendue())) + ">\n";
  int id = 0;
  for (const auto& [ligne, compte] : suites) {
    xml += "  <testsuite" +
           Attribut("name", ligne == 0 ? "zef30-console" : "ligne " + std::to_string(ligne)) +
           Comptes(compte) + Attribut("skipped", "0") +
           Attribut("time", SecondesMachine(compte.Etendue())) + Attribut("timestamp", horodatage) +
           Attribut("id", std::to_string(id++)) + ">\n";
    // One line's cases at a time, read back in the order they ran.
    parcourir([&, ligne = ligne](const ExecutionRequete& e) {
      if (e.ligne != ligne) return;
      xml += "    <testcase" + Attribut("name", e.famille + " #" + std::to_string(e.rang)) +
             Attribut("classname", e.famille) + Attribut("time", SecondesMachine(e.Duree()));
      if (e.reussie) {
        xml += "/>\n";
        return;
      }
      xml += ">\n      <failure" + Attribut("message", e.raison) + Attribut("type", "ÉCHEC") + ">" +
             EchapperXml("résultat : " + e.ligneResultat + "\nétat : " + e.ligneEtat) +
             "</failure>\n    </testcase>\n";
    });
    xml += "  </testsuite>\n";
  }
  return xml + "</testsuites>\n";
}

}  // namespace zef30

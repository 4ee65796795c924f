#include "headless/RapportJunit.h"

#include <algorithm>
#include <map>

#include "headless/TexteXml.h"

namespace zef30 {

namespace {

// Seconds from the first start to the last end of `executions`.
double Etendue(const std::vector<const ExecutionRequete*>& executions) {
  if (executions.empty()) return 0;
  Horloge::Instant debut = executions.front()->debut, fin = executions.front()->fin;
  for (const auto* e : executions) {
    debut = std::min(debut, e->debut);
    fin = std::max(fin, e->fin);
  }
  return std::chrono::duration<double>(fin - debut).count();
}

std::string Attribut(const char* nom, const std::string& valeur) {
  return std::string(" ") + nom + "=\"" + EchapperXml(valeur) + "\"";
}

}  // namespace

std::string RapportJunit(const std::vector<ExecutionRequete>& executions,
                         const std::string& horodatage) {
  std::map<int, std::vector<const ExecutionRequete*>> suites;
  std::vector<const ExecutionRequete*> toutes;
  for (const auto& e : executions) {
    suites[e.ligne].push_back(&e);
    toutes.push_back(&e);
  }
  const auto echecs = [](const std::vector<const ExecutionRequete*>& liste) {
    return std::to_string(
        std::count_if(liste.begin(), liste.end(), [](const auto* e) { return !e->reussie; }));
  };
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" +
                    Attribut("name", "zef30-console") +
                    Attribut("tests", std::to_string(toutes.size())) +
                    Attribut("failures", echecs(toutes)) + Attribut("errors", "0") +
                    Attribut("time", SecondesMachine(Etendue(toutes))) + ">\n";
  int id = 0;
  for (const auto& [ligne, liste] : suites) {
    xml += "  <testsuite" +
           Attribut("name", ligne == 0 ? "zef30-console" : "ligne " + std::to_string(ligne)) +
           Attribut("tests", std::to_string(liste.size())) + Attribut("failures", echecs(liste)) +
           Attribut("errors", "0") + Attribut("skipped", "0") +
           Attribut("time", SecondesMachine(Etendue(liste))) + Attribut("timestamp", horodatage) +
           Attribut("id", std::to_string(id++)) + ">\n";
    for (const auto* e : liste) {
      xml += "    <testcase" + Attribut("name", e->famille + " #" + std::to_string(e->rang)) +
             Attribut("classname", e->famille) + Attribut("time", SecondesMachine(e->Duree()));
      if (e->reussie) {
        xml += "/>\n";
        continue;
      }
      xml += ">\n      <failure" + Attribut("message", e->raison) + Attribut("type", "ÉCHEC") +
             ">" + EchapperXml("résultat : " + e->ligneResultat + "\nétat : " + e->ligneEtat) +
             "</failure>\n    </testcase>\n";
    }
    xml += "  </testsuite>\n";
  }
  return xml + "</testsuites>\n";
}

}  // namespace zef30

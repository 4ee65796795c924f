#include "headless/RapportJunit.h"

#include <algorithm>
#include <map>

#include "base/Xml.h"
#include "headless/AttentesPlan.h"

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

std::string Comptes(const CompteSuite& c, int erreurs) {
  return Attribut("tests", std::to_string(c.tests + erreurs)) +
         Attribut("failures", std::to_string(c.echecs)) +
         Attribut("errors", std::to_string(erreurs));
}

// A case that is no run: what kept the campaign from being whole, as an error CI sees.
std::string CasErreur(const std::string& nom, const std::string& message, const char* type) {
  return "    <testcase" + Attribut("name", nom) + Attribut("classname", "campagne") +
         Attribut("time", "0") + ">\n      <error" + Attribut("message", message) +
         Attribut("type", type) + "/>\n    </testcase>\n";
}

}  // namespace

std::string RapportJunit(const ParcoursExecutions& parcourir, const std::string& horodatage,
                         const FinCampagne& fin) {
  std::map<int, CompteSuite> suites;
  CompteSuite toutes;
  parcourir([&](const ExecutionRequete& e) {
    suites[e.ligne].Ajouter(e);
    toutes.Ajouter(e);
  });
  // A campaign that ran nothing still has its suite, to carry what stopped it.
  if (suites.empty() && (fin.interrompue || fin.horsJournal > 0)) suites[0];
  // Each suite's errors: its interruption, and (in the first) the runs its journal lacks.
  std::map<int, std::vector<std::string>> phrases;
  int toutesErreurs = 0;
  for (const auto& [ligne, compte] : suites) {
    FinCampagne interruption = fin, journal = fin;
    interruption.prevues = fin.prevues / static_cast<int>(suites.size());
    interruption.horsJournal = interruption.perdues = 0;
    phrases[ligne] = PhrasesFin(interruption, compte.tests);
    journal.interrompue = false;
    if (ligne == suites.begin()->first) {
      for (auto& phrase : PhrasesFin(journal, toutes.tests + fin.perdues))
        phrases[ligne].push_back(std::move(phrase));
    }
    toutesErreurs += static_cast<int>(phrases[ligne].size());
  }
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites" +
                    Attribut("name", "zef30-console") + Comptes(toutes, toutesErreurs) +
                    Attribut("time", SecondesMachine(toutes.Etendue())) + ">\n";
  int id = 0;
  for (const auto& [ligne, compte] : suites) {
    xml += "  <testsuite" +
           Attribut("name", ligne == 0 ? "zef30-console" : "ligne " + std::to_string(ligne)) +
           Comptes(compte, static_cast<int>(phrases[ligne].size())) + Attribut("skipped", "0") +
           Attribut("time", SecondesMachine(compte.Etendue())) + Attribut("timestamp", horodatage) +
           Attribut("id", std::to_string(id++)) + ">\n";
    // One line's cases at a time, read back in the order they ran.
    parcourir([&, ligne = ligne](const ExecutionRequete& e) {
      if (e.ligne != ligne) return;
      xml += "    <testcase" + Attribut("name", NomEtape(e)) + Attribut("classname", e.famille) +
             Attribut("time", SecondesMachine(e.Duree()));
      if (e.reussie) {
        xml += "/>\n";
        return;
      }
      xml += ">\n      <failure" + Attribut("message", e.raison) + Attribut("type", "ÉCHEC") + ">" +
             EchapperXml(DireConditions(e.conditions) + "résultat : " + e.ligneResultat +
                         "\nétat : " + e.ligneEtat) +
             "</failure>\n    </testcase>\n";
    });
    for (const std::string& phrase : phrases[ligne]) {
      const char* nom = phrase.starts_with("campagne") ? "interruption" : "journal";
      xml += CasErreur(nom, phrase, nom);
    }
    xml += "  </testsuite>\n";
  }
  return xml + "</testsuites>\n";
}

}  // namespace zef30

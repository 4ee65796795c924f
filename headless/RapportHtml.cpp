#include "headless/RapportHtml.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "headless/TexteXml.h"

namespace zef30 {

namespace {

constexpr int kLargeur = 960;
constexpr int kMarge = 200;  // the bands' names on the left
constexpr int kBande = 34;
constexpr int kHautAxe = 30;

std::string Nombre(double valeur) {
  char texte[32];
  std::snprintf(texte, sizeof texte, "%.1f", valeur);
  return texte;
}

std::string Secondes(double secondes) {
  char texte[32];
  std::snprintf(texte, sizeof texte, secondes < 10 ? "%.3f s" : "%.1f s", secondes);
  return texte;
}

std::string NomBande(const ResumeFamille& f) {
  return f.ligne == 0 ? f.famille : "ligne " + std::to_string(f.ligne) + " · " + f.famille;
}

std::string Graphique(const ParcoursExecutions& parcourir, const ResumeCampagne& r) {
  // One band a family and line (or a family alone on one line): every run is in exactly one.
  std::vector<const ResumeFamille*> bandes;
  std::map<std::pair<int, std::string>, int> places;
  const bool plusieurs = r.lignes.size() > 1;
  for (const auto& f : r.familles) {
    if (plusieurs && f.ligne == 0) continue;
    places[{f.ligne, f.famille}] = static_cast<int>(bandes.size());
    bandes.push_back(&f);
  }
  double maximum = 0.001;
  for (const auto& f : r.familles) maximum = std::max(maximum, f.durees.maximum);
  const double echelle = (kLargeur - kMarge - 20) / maximum;
  const int hauteur = kHautAxe + kBande * static_cast<int>(bandes.size()) + 10;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(kLargeur) + "\" height=\"" + std::to_string(hauteur) +
                    "\" role=\"img\" aria-label=\"durées des requêtes\">\n";
  for (int k = 0; k <= 4; ++k) {
    const double x = kMarge + echelle * maximum * k / 4;
    svg += "<line class=\"grille\" x1=\"" + Nombre(x) + "\" x2=\"" + Nombre(x) + "\" y1=\"" +
           std::to_string(kHautAxe - 6) + "\" y2=\"" + std::to_string(hauteur - 10) +
           "\"/><text class=\"axe\" x=\"" + Nombre(x) + "\" y=\"16\">" + Secondes(maximum * k / 4) +
           "</text>\n";
  }
  for (std::size_t b = 0; b < bandes.size(); ++b) {
    const int haut = kHautAxe + kBande * static_cast<int>(b);
    const ResumeFamille& f = *bandes[b];
    svg += "<text class=\"bande\" x=\"" + std::to_string(kMarge - 10) + "\" y=\"" +
           std::to_string(haut + kBande / 2 + 4) + "\">" + EchapperXml(NomBande(f)) + "</text>\n";
    for (const auto& [classe, valeur] :
         {std::pair<const char*, double>{"mediane", f.durees.mediane}, {"p95", f.durees.p95}}) {
      const std::string x = Nombre(kMarge + echelle * valeur);
      svg += std::string("<line class=\"") + classe + "\" x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" +
             std::to_string(haut + 3) + "\" y2=\"" + std::to_string(haut + kBande - 3) + "\"/>\n";
    }
  }
  parcourir([&](const ExecutionRequete& e) {
    const auto place = places.find({e.ligne, e.famille});
    if (place == places.end()) return;
    // Spread over the band's height, the same way each time, so that close marks stay apart.
    const int decalage = (e.rang * 37 + e.ligne * 11) % 21 - 10;
    const int y = kHautAxe + kBande * place->second + kBande / 2 + decalage;
    svg += std::string("<circle class=\"") + (e.reussie ? "ok" : "echec") + "\" cx=\"" +
           Nombre(kMarge + echelle * e.Duree()) + "\" cy=\"" + std::to_string(y) +
           "\" r=\"3\"><title>" +
           EchapperXml(e.famille + " #" + std::to_string(e.rang) +
                       (e.ligne != 0 ? ", ligne " + std::to_string(e.ligne) : "") + " : " +
                       Secondes(e.Duree()) + (e.reussie ? "" : " — " + e.raison)) +
           "</title></circle>\n";
  });
  return svg + "</svg>\n";
}

std::string Cellule(const std::string& texte, bool nombre = false) {
  return std::string(nombre ? "<td class=\"n\">" : "<td>") + EchapperXml(texte) + "</td>";
}

}  // namespace

std::string RapportHtml(const ParcoursExecutions& parcourir, const ResumeCampagne& r,
                        const DescriptionCampagne& d) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n<title>Campagne "
      "ZEF30 — " +
      EchapperXml(d.debut) +
      "</title>\n<style>\n"
      "body{font-family:sans-serif;margin:2em;color:#222}\n"
      "table{border-collapse:collapse;margin:1em 0}\n"
      "td,th{border:1px solid #bbb;padding:3px 8px;text-align:left}\n"
      "td.n{text-align:right}\nth{background:#eee}\n"
      "circle.ok{fill:#2a7;fill-opacity:.6}\ncircle.echec{fill:#d22}\n"
      "line.grille{stroke:#ddd}\nline.mediane{stroke:#124;stroke-width:2}\n"
      "line.p95{stroke:#c70;stroke-width:2;stroke-dasharray:4 2}\n"
      "text.axe{font-size:11px;text-anchor:middle}\ntext.bande{font-size:12px;text-anchor:end}\n"
      "</style>\n</head>\n<body>\n<h1>Campagne de test ZEF30</h1>\n<p>Début : " +
      EchapperXml(d.debut) + " · durée : " + Secondes(r.duree) + " · " +
      std::to_string(r.requetes) + " requêtes, " + std::to_string(r.reussies) + " réussies, " +
      std::to_string(r.requetes - r.reussies) +
      " en échec</p>\n<p>Console : " + EchapperXml(d.console) + "</p>\n<ul>\n";
  for (const auto& terminal : d.terminaux) html += "<li>" + EchapperXml(terminal) + "</li>\n";
  html += "</ul>\n<p>Script : " + EchapperXml(d.script) +
          "</p>\n<h2>Résumé</h2>\n<table>\n<tr><th>requête</th><th>ligne</th><th>fois</th>"
          "<th>réussies</th><th>échecs</th><th>min</th><th>médiane</th><th>p95</th><th>max</th>"
          "<th>échecs par raison</th></tr>\n";
  for (const auto& f : r.familles) {
    std::string raisons;
    for (const auto& [raison, fois] : f.echecs) {
      raisons += (raisons.empty() ? "" : " ; ") + std::to_string(fois) + " × " + raison;
    }
    html += "<tr>" + Cellule(f.famille) +
            Cellule(r.lignes.empty() ? ""
                    : f.ligne == 0   ? "toutes"
                                     : std::to_string(f.ligne)) +
            Cellule(std::to_string(f.executions), true) +
            Cellule(std::to_string(f.reussies), true) +
            Cellule(std::to_string(f.executions - f.reussies), true) +
            Cellule(Secondes(f.durees.minimum), true) + Cellule(Secondes(f.durees.mediane), true) +
            Cellule(Secondes(f.durees.p95), true) + Cellule(Secondes(f.durees.maximum), true) +
            Cellule(raisons) + "</tr>\n";
  }
  html +=
      "</table>\n<h2>Durées de chaque requête</h2>\n<p>Un point par requête (rouge : en "
      "échec) ; trait plein : médiane, tirets : 95<sup>e</sup> centile.</p>\n" +
      Graphique(parcourir, r) + "<h2>Échecs, dans l’ordre du temps</h2>\n";
  // Only the failures are read back into memory, to be told in time order.
  std::vector<ExecutionRequete> echecs;
  Horloge::Instant origine = Horloge::Instant::max();
  parcourir([&](const ExecutionRequete& e) {
    origine = std::min(origine, e.debut);
    if (!e.reussie) echecs.push_back(e);
  });
  std::stable_sort(echecs.begin(), echecs.end(),
                   [](const auto& a, const auto& b) { return a.debut < b.debut; });
  if (echecs.empty()) return html + "<p>Aucun échec.</p>\n</body>\n</html>\n";
  html +=
      "<table>\n<tr><th>à</th><th>ligne</th><th>requête</th><th>raison</th>"
      "<th>ligne de résultat</th><th>état</th></tr>\n";
  for (const auto& echec : echecs) {
    const ExecutionRequete* e = &echec;
    html +=
        "<tr>" +
        Cellule("+" + Secondes(std::chrono::duration<double>(e->debut - origine).count()), true) +
        Cellule(e->ligne == 0 ? "" : std::to_string(e->ligne)) +
        Cellule(e->famille + " #" + std::to_string(e->rang)) + Cellule(e->raison) +
        Cellule(e->ligneResultat) + Cellule(e->ligneEtat) + "</tr>\n";
  }
  return html + "</table>\n</body>\n</html>\n";
}

}  // namespace zef30

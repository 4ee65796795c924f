#include "headless/RapportHtml.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

#include "base/Xml.h"

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

// A tick's label: a round duration as people read it ("5 ms", "0.2 s", "100 s", "5 min", "2 h").
std::string Repere(double secondes) {
  char texte[32];
  const auto rond = [&](double unite) { return std::fmod(secondes, unite) == 0; };
  if (secondes < 0.1) {
    std::snprintf(texte, sizeof texte, "%g ms", secondes * 1000);
  } else if (secondes < 60 || !rond(60)) {
    std::snprintf(texte, sizeof texte, "%g s", secondes);
  } else if (secondes < 3600 || !rond(3600)) {
    std::snprintf(texte, sizeof texte, "%g min", secondes / 60);
  } else {
    std::snprintf(texte, sizeof texte, "%g h", secondes / 3600);
  }
  return texte;
}

// The bands of the charts: one a family and line (or a family alone on one line), so that every
// run is in exactly one; `places` finds a run's.
struct Bandes {
  std::vector<const ResumeFamille*> liste;
  std::map<std::pair<int, std::string>, int> places;

  explicit Bandes(const ResumeCampagne& r) {
    const bool plusieurs = r.lignes.size() > 1;
    for (const auto& f : r.familles) {
      if (plusieurs && f.ligne == 0) continue;
      places[{f.ligne, f.famille}] = static_cast<int>(liste.size());
      liste.push_back(&f);
    }
  }
  std::optional<int> Place(const ExecutionRequete& e) const {
    const auto place = places.find({e.ligne, e.famille});
    if (place == places.end()) return std::nullopt;
    return place->second;
  }
};

std::string DebutSvg(int hauteur, const char* nom) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kLargeur) +
         "\" height=\"" + std::to_string(hauteur) + "\" role=\"img\" aria-label=\"" + nom + "\">\n";
}

std::string LigneGrille(double x, int haut, int bas, const std::string& texte) {
  return "<line class=\"grille\" x1=\"" + Nombre(x) + "\" x2=\"" + Nombre(x) + "\" y1=\"" +
         std::to_string(haut) + "\" y2=\"" + std::to_string(bas) + "\"/><text class=\"axe\" x=\"" +
         Nombre(x) + "\" y=\"16\">" + EchapperXml(texte) + "</text>\n";
}

std::string NomBandeSvg(int haut, int bande, const ResumeFamille& f) {
  return "<text class=\"bande\" x=\"" + std::to_string(kMarge - 10) + "\" y=\"" +
         std::to_string(haut + bande / 2 + 4) + "\">" + EchapperXml(NomBande(f)) + "</text>\n";
}

std::string Marque(const ExecutionRequete& e, double x, double y) {
  return std::string("<circle class=\"") + (e.reussie ? "ok" : "echec") + "\" cx=\"" + Nombre(x) +
         "\" cy=\"" + Nombre(y) + "\" r=\"3\"><title>" +
         EchapperXml(NomEtape(e) + (e.ligne != 0 ? ", ligne " + std::to_string(e.ligne) : "") +
                     " : " + Secondes(e.Duree()) + (e.reussie ? "" : " — " + e.raison)) +
         "</title></circle>\n";
}

// The durations on a logarithmic axis, from the decade under the shortest run to the one over
// the longest, ticks on 1, 2 and 5 of each decade: a switch of 30 ms and a listening of 5 min
// both read.
std::string Graphique(const ParcoursExecutions& parcourir, const ResumeCampagne& r) {
  const Bandes bandes(r);
  double minimum = 0, maximum = 0;
  for (const auto& f : r.familles) {
    if (f.executions == 0) continue;
    minimum = minimum == 0 ? f.durees.minimum : std::min(minimum, f.durees.minimum);
    maximum = std::max(maximum, f.durees.maximum);
  }
  constexpr double kPlusCourte = 0.001;
  const double bas = std::pow(10, std::floor(std::log10(std::max(minimum, kPlusCourte))));
  const double haut =
      std::max(bas * 10, std::pow(10, std::ceil(std::log10(std::max(maximum, kPlusCourte)))));
  const double largeur = kLargeur - kMarge - 20;
  const auto x = [&](double secondes) {
    const double d = std::clamp(secondes, bas, haut);
    return kMarge + largeur * std::log10(d / bas) / std::log10(haut / bas);
  };
  const int hauteur = kHautAxe + kBande * static_cast<int>(bandes.liste.size()) + 10;
  std::string svg = DebutSvg(hauteur, "durées des requêtes");
  const int decades = static_cast<int>(std::lround(std::log10(haut / bas)));
  for (double decade = bas; decade < haut * 1.01; decade *= 10) {
    for (const double chiffre : {1.0, 2.0, 5.0}) {
      if ((chiffre != 1 && decades > 4) || decade * chiffre > haut * 1.01) continue;
      svg += LigneGrille(x(decade * chiffre), kHautAxe - 6, hauteur - 10, Repere(decade * chiffre));
    }
  }
  for (std::size_t b = 0; b < bandes.liste.size(); ++b) {
    const int y = kHautAxe + kBande * static_cast<int>(b);
    const ResumeFamille& f = *bandes.liste[b];
    svg += NomBandeSvg(y, kBande, f);
    for (const auto& [classe, valeur] :
         {std::pair<const char*, double>{"mediane", f.durees.mediane}, {"p95", f.durees.p95}}) {
      const std::string xv = Nombre(x(valeur));
      svg += std::string("<line class=\"") + classe + "\" x1=\"" + xv + "\" x2=\"" + xv +
             "\" y1=\"" + std::to_string(y + 3) + "\" y2=\"" + std::to_string(y + kBande - 3) +
             "\"/>\n";
    }
  }
  parcourir([&](const ExecutionRequete& e) {
    const auto place = bandes.Place(e);
    if (!place) return;
    // Spread over the band's height, the same way each time, so that close marks stay apart.
    const int decalage = (e.rang * 37 + e.ligne * 11) % 21 - 10;
    svg += Marque(e, x(e.Duree()), kHautAxe + kBande * *place + kBande / 2 + decalage);
  });
  return svg + "</svg>\n";
}

// A round step for a time axis of `etendue` seconds: at most about eight ticks.
double PasTemps(double etendue) {
  for (const double pas : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0, 900.0,
                           1800.0, 3600.0, 7200.0, 10800.0, 21600.0, 43200.0, 86400.0}) {
    if (etendue / pas <= 8) return pas;
  }
  return 86400.0 * std::ceil(etendue / 86400.0 / 8);
}

// The campaign over time: each run at the moment it began (across) with its duration (up, on
// its band's own scale, from 0 to the band's longest), a band per family and line, failures red:
// when things went wrong, and whether the terminal slowed.
std::string GraphiqueTemps(const ParcoursExecutions& parcourir, const ResumeCampagne& r) {
  constexpr int kBandeTemps = 44;
  const Bandes bandes(r);
  Horloge::Instant origine = Horloge::Instant::max(), fin = Horloge::Instant::min();
  parcourir([&](const ExecutionRequete& e) {
    origine = std::min(origine, e.debut);
    fin = std::max(fin, e.debut);
  });
  const double etendue =
      origine > fin ? 0 : std::max(1.0, std::chrono::duration<double>(fin - origine).count());
  const double largeur = kLargeur - kMarge - 20;
  const int hauteur = kHautAxe + kBandeTemps * static_cast<int>(bandes.liste.size()) + 10;
  std::string svg = DebutSvg(hauteur, "la campagne dans le temps");
  const double pas = PasTemps(etendue);
  for (double t = 0; t <= etendue * 1.0001; t += pas) {
    svg += LigneGrille(kMarge + largeur * t / etendue, kHautAxe - 6, hauteur - 10,
                       t == 0 ? "0" : "+" + Repere(t));
  }
  for (std::size_t b = 0; b < bandes.liste.size(); ++b) {
    const int y = kHautAxe + kBandeTemps * static_cast<int>(b);
    const ResumeFamille& f = *bandes.liste[b];
    svg += NomBandeSvg(y, kBandeTemps, f);
    svg += "<text class=\"echelle\" x=\"" + std::to_string(kMarge + 2) + "\" y=\"" +
           std::to_string(y + 10) + "\">" + EchapperXml(Secondes(f.durees.maximum)) + "</text>\n";
    svg += "<line class=\"grille\" x1=\"" + std::to_string(kMarge) + "\" x2=\"" +
           std::to_string(kLargeur - 20) + "\" y1=\"" + std::to_string(y + kBandeTemps - 3) +
           "\" y2=\"" + std::to_string(y + kBandeTemps - 3) + "\"/>\n";
  }
  parcourir([&](const ExecutionRequete& e) {
    const auto place = bandes.Place(e);
    if (!place) return;
    const double plusLongue = bandes.liste[*place]->durees.maximum;
    const double part = plusLongue > 0 ? std::clamp(e.Duree() / plusLongue, 0.0, 1.0) : 0;
    const double t = std::chrono::duration<double>(e.debut - origine).count();
    const int bas = kHautAxe + kBandeTemps * *place + kBandeTemps - 3;
    svg += Marque(e, kMarge + largeur * t / etendue, bas - part * (kBandeTemps - 10));
  });
  return svg + "</svg>\n";
}

std::string Cellule(const std::string& texte, bool nombre = false) {
  return std::string(nombre ? "<td class=\"n\">" : "<td>") + EchapperXml(texte) + "</td>";
}

// What a step of a plan expected, a condition a line, those that did not hold in red with what
// came instead.
std::string CelluleConditions(const std::vector<ConditionJugee>& conditions) {
  std::string cellule = "<td>";
  for (const ConditionJugee& c : conditions) {
    cellule += (cellule.size() > 4 ? "<br>" : "") +
               std::string(c.tenue ? "<span>" : "<span class=\"manque\">") +
               EchapperXml(c.condition + (c.tenue ? "" : " — obtenu : « " + c.obtenu + " »")) +
               "</span>";
  }
  return cellule + "</td>";
}

// A plan's steps are few; a plan turned for hours is told by its first steps.
constexpr int kEtapesMontrees = 1000;

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
      "p.alerte{color:#b00;font-weight:bold}\nspan.manque{color:#d22;font-weight:bold}\n"
      "text.echelle{font-size:10px;fill:#777}\n"
      "text.axe{font-size:11px;text-anchor:middle}\ntext.bande{font-size:12px;text-anchor:end}\n"
      "</style>\n</head>\n<body>\n<h1>Campagne de test ZEF30</h1>\n<p>Début : " +
      EchapperXml(d.debut) + " · durée : " + Secondes(r.duree) + " · " +
      NombreRequetes(r.requetes + r.fin.perdues) + ", " + std::to_string(r.reussies) +
      (r.reussies > 1 ? " réussies, " : " réussie, ") +
      std::to_string(r.requetes + r.fin.perdues - r.reussies) + " en échec</p>\n";
  for (const auto& phrase : PhrasesFin(r.fin, r.requetes + r.fin.perdues)) {
    html += "<p class=\"alerte\">" + EchapperXml(phrase) + "</p>\n";
  }
  html += "<p>Console : " + EchapperXml(d.console) + "</p>\n<ul>\n";
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
      "échec), sur une échelle logarithmique ; trait plein : médiane, tirets : 95<sup>e</sup> "
      "centile.</p>\n" +
      Graphique(parcourir, r) +
      "<h2>La campagne dans le temps</h2>\n<p>Chaque requête au moment où elle a commencé, "
      "à la hauteur de sa durée (de 0 à la plus longue de sa bande, écrite à gauche) ; rouge : "
      "en échec.</p>\n" +
      GraphiqueTemps(parcourir, r);
  // The steps that said what they expect, each with its verdict.
  std::string etapes;
  int montrees = 0, jugees = 0;
  parcourir([&](const ExecutionRequete& e) {
    if (e.conditions.empty()) return;
    if (++jugees > kEtapesMontrees) return;
    ++montrees;
    etapes += "<tr>" + Cellule(e.ligne == 0 ? "" : std::to_string(e.ligne)) + Cellule(NomEtape(e)) +
              Cellule(e.reussie ? "conforme" : "NON CONFORME") + CelluleConditions(e.conditions) +
              Cellule(Secondes(e.Duree()), true) + "</tr>\n";
  });
  if (jugees > 0) {
    html += "<h2>Étapes du plan</h2>\n";
    if (jugees > montrees) {
      html += "<p>Les " + std::to_string(montrees) + " premières de " + std::to_string(jugees) +
              ".</p>\n";
    }
    html +=
        "<table>\n<tr><th>ligne</th><th>étape</th><th>verdict</th><th>attendu</th>"
        "<th>durée</th></tr>\n" +
        etapes + "</table>\n";
  }
  html += "<h2>Échecs, dans l’ordre du temps</h2>\n";
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
      "<th>ligne de résultat</th><th>état</th><th>attendu</th></tr>\n";
  for (const auto& echec : echecs) {
    const ExecutionRequete* e = &echec;
    html +=
        "<tr>" +
        Cellule("+" + Secondes(std::chrono::duration<double>(e->debut - origine).count()), true) +
        Cellule(e->ligne == 0 ? "" : std::to_string(e->ligne)) + Cellule(NomEtape(*e)) +
        Cellule(e->raison) + Cellule(e->ligneResultat) + Cellule(e->ligneEtat) +
        CelluleConditions(e->conditions) + "</tr>\n";
  }
  return html + "</table>\n</body>\n</html>\n";
}

}  // namespace zef30

#include "headless/ResumeCampagne.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "base/Json.h"
#include "base/Texte.h"
#include "headless/Campagne.h"

namespace zef30 {

namespace {

// `texte` filled with blanks to `largeur` characters (UTF-8 characters, not bytes).
std::string Colonne(const std::string& texte, std::size_t largeur) {
  const std::size_t caracteres = NombreCaracteres(texte);
  return texte + std::string(largeur > caracteres ? largeur - caracteres : 0, ' ') + " ";
}

// Beyond so many distinct reasons in one family, the others are counted together: the summary of
// a campaign of hours stays the same size whatever its terminal answers.
constexpr std::size_t kRaisonsMaximales = 50;
constexpr const char* kAutresRaisons = "autres";

// The families of a set of runs, with what they count, in the order each first began.
class Groupes {
 public:
  void Ajouter(const ExecutionRequete& e, int ligne) {
    auto place = places_.find({ligne, e.famille});
    if (place == places_.end()) {
      place = places_.emplace(std::make_pair(ligne, e.famille), familles_.size()).first;
      ResumeFamille nouvelle;
      nouvelle.famille = e.famille;
      nouvelle.ligne = ligne;
      familles_.push_back(std::move(nouvelle));
      premiers_.push_back(e.debut);
    }
    ResumeFamille& f = familles_[place->second];
    premiers_[place->second] = std::min(premiers_[place->second], e.debut);
    ++f.executions;
    if (e.sautee) {
      ++f.sautees;
      return;
    }
    if (e.reussie) {
      ++f.reussies;
      return;
    }
    const std::string& raison =
        f.echecs.size() < kRaisonsMaximales ||
                std::any_of(f.echecs.begin(), f.echecs.end(),
                            [&](const auto& r) { return r.first == e.raison; })
            ? e.raison
            : std::string(kAutresRaisons);
    const auto vue = std::find_if(f.echecs.begin(), f.echecs.end(),
                                  [&](const auto& r) { return r.first == raison; });
    if (vue == f.echecs.end()) {
      f.echecs.emplace_back(raison, 1);
    } else {
      ++vue->second;
    }
  }
  // The figures of each family's durations, read back one family at a time: only one family's
  // durations are in memory at once. `ligneDe` gives the line a run counts in.
  std::vector<ResumeFamille> Figures(const ParcoursExecutions& parcourir,
                                     const std::function<int(const ExecutionRequete&)>& ligneDe) {
    std::vector<std::size_t> ordre(familles_.size());
    for (std::size_t i = 0; i < ordre.size(); ++i) ordre[i] = i;
    // Records gathered from several lines come as they end, not as they began.
    std::stable_sort(ordre.begin(), ordre.end(),
                     [&](std::size_t a, std::size_t b) { return premiers_[a] < premiers_[b]; });
    std::vector<ResumeFamille> figures;
    for (const std::size_t i : ordre) {
      ResumeFamille& f = familles_[i];
      std::vector<double> durees;
      durees.reserve(static_cast<std::size_t>(f.executions));
      parcourir([&](const ExecutionRequete& e) {
        if (e.famille == f.famille && ligneDe(e) == f.ligne) durees.push_back(e.Duree());
      });
      f.durees = CalculerFigures(std::move(durees));
      figures.push_back(std::move(f));
    }
    return figures;
  }

 private:
  std::vector<ResumeFamille> familles_;
  std::vector<Horloge::Instant> premiers_;
  std::map<std::pair<int, std::string>, std::size_t> places_;
};

}  // namespace

FiguresDurees CalculerFigures(std::vector<double> durees) {
  if (durees.empty()) return {};
  std::sort(durees.begin(), durees.end());
  const std::size_t n = durees.size();
  FiguresDurees f;
  f.minimum = durees.front();
  f.maximum = durees.back();
  f.mediane = n % 2 == 1 ? durees[n / 2] : (durees[n / 2 - 1] + durees[n / 2]) / 2;
  const auto rang = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
  f.p95 = durees[std::clamp<std::size_t>(rang, 1, n) - 1];
  return f;
}

ResumeCampagne ResumerCampagne(const ParcoursExecutions& parcourir) {
  ResumeCampagne resume;
  Groupes parLigne, toutes;
  Horloge::Instant debut = Horloge::Instant::max(), fin = Horloge::Instant::min();
  parcourir([&](const ExecutionRequete& e) {
    if (std::find(resume.lignes.begin(), resume.lignes.end(), e.ligne) == resume.lignes.end())
      resume.lignes.push_back(e.ligne);
    ++resume.requetes;
    if (e.sautee) {
      ++resume.sautees;
    } else if (e.reussie) {
      ++resume.reussies;
    }
    debut = std::min(debut, e.debut);
    fin = std::max(fin, e.fin);
    parLigne.Ajouter(e, e.ligne);
    toutes.Ajouter(e, 0);
  });
  std::sort(resume.lignes.begin(), resume.lignes.end());
  if (resume.lignes.size() == 1 && resume.lignes.front() == 0) resume.lignes.clear();
  if (resume.requetes > 0) resume.duree = std::chrono::duration<double>(fin - debut).count();
  resume.familles = parLigne.Figures(parcourir, [](const ExecutionRequete& e) { return e.ligne; });
  // On one line, its families are all there is.
  if (resume.lignes.size() <= 1) return resume;
  std::stable_sort(
      resume.familles.begin(), resume.familles.end(),
      [](const ResumeFamille& a, const ResumeFamille& b) { return a.ligne < b.ligne; });
  for (auto& f : toutes.Figures(parcourir, [](const ExecutionRequete&) { return 0; }))
    resume.familles.push_back(std::move(f));
  return resume;
}

std::string NombreRequetes(int nombre) {
  return std::to_string(nombre) + (nombre > 1 ? " requêtes" : " requête");
}

std::vector<std::string> PhrasesFin(const FinCampagne& fin, int faites) {
  std::vector<std::string> phrases;
  if (fin.interrompue) {
    std::string phrase =
        "campagne interrompue après " +
        (fin.prevues > 0 ? std::to_string(faites) + " de " + std::to_string(fin.prevues)
                         : NombreRequetes(faites));
    if (!fin.arret.empty()) phrase += " (" + fin.arret + ")";
    phrases.push_back(phrase);
  }
  if (fin.horsJournal > 0) {
    phrases.push_back(NombreRequetes(fin.horsJournal) + " sur " + std::to_string(faites) +
                      (fin.horsJournal > 1 ? " manquent" : " manque") + " au journal " +
                      fin.journal + " (" + fin.erreurJournal + ")");
  }
  if (fin.perdues > 0) {
    phrases.push_back(NombreRequetes(fin.perdues) +
                      (fin.perdues > 1 ? " comptées mais absentes" : " comptée mais absente") +
                      " des rapports");
  }
  return phrases;
}

std::string CompterIssues(const ResumeCampagne& r) {
  const int faites = r.requetes + r.fin.perdues;
  return NombreRequetes(faites) + ", " + std::to_string(r.reussies) +
         (r.reussies > 1 ? " réussies, " : " réussie, ") +
         (r.sautees == 0
              ? ""
              : std::to_string(r.sautees) + (r.sautees > 1 ? " sautées, " : " sautée, ")) +
         std::to_string(faites - r.reussies - r.sautees) + " en échec";
}

std::string TexteResume(const ResumeCampagne& r, const std::locale& locale, bool tableau) {
  const int faites = r.requetes + r.fin.perdues;
  std::string texte = CompterIssues(r) + ", en " + FormaterSecondes(r.duree, locale) + "\n";
  for (const auto& phrase : PhrasesFin(r.fin, faites)) texte += phrase + "\n";
  if (!tableau) return texte;
  std::size_t largeur = 7;
  for (const auto& f : r.familles) largeur = std::max(largeur, f.famille.size());
  texte += Colonne("requête", largeur) + (r.lignes.empty() ? "" : Colonne("ligne", 6)) +
           Colonne("fois", 6) + Colonne("réussies", 8) + Colonne("échecs", 6) + Colonne("min", 9) +
           Colonne("médiane", 9) + Colonne("p95", 9) + "max\n";
  for (const auto& f : r.familles) {
    const auto s = [&](double secondes) { return Colonne(FormaterSecondes(secondes, locale), 9); };
    std::string ligne =
        Colonne(f.famille, largeur) +
        (r.lignes.empty() ? "" : Colonne(f.ligne == 0 ? "toutes" : std::to_string(f.ligne), 6)) +
        Colonne(std::to_string(f.executions), 6) + Colonne(std::to_string(f.reussies), 8) +
        Colonne(std::to_string(f.executions - f.reussies - f.sautees), 6) + s(f.durees.minimum) +
        s(f.durees.mediane) + s(f.durees.p95) + FormaterSecondes(f.durees.maximum, locale);
    texte += ligne + "\n";
    for (const auto& [raison, fois] : f.echecs) {
      texte += "    " + std::to_string(fois) + " × " + raison + "\n";
    }
  }
  return texte;
}

std::string JsonResume(const ResumeCampagne& r) {
  const int faites = r.requetes + r.fin.perdues;
  std::string json = "{\"resume\":true,\"requetes\":" + std::to_string(faites) +
                     ",\"reussies\":" + std::to_string(r.reussies) +
                     (r.sautees == 0 ? "" : ",\"sautees\":" + std::to_string(r.sautees)) +
                     ",\"echecs\":" + std::to_string(faites - r.reussies - r.sautees) +
                     ",\"duree\":" + SecondesMachine(r.duree);
  if (r.fin.interrompue) {
    json += ",\"interrompue\":true,\"arret\":" + EnChaineJson(r.fin.arret) +
            ",\"prevues\":" + std::to_string(r.fin.prevues);
  }
  if (r.fin.horsJournal > 0) {
    json += ",\"hors_journal\":" + std::to_string(r.fin.horsJournal) +
            ",\"perdues\":" + std::to_string(r.fin.perdues);
  }
  json += ",\"familles\":[";
  bool premiere = true;
  for (const auto& f : r.familles) {
    json += std::string(premiere ? "" : ",") + "{\"requete\":" + EnChaineJson(f.famille);
    premiere = false;
    if (!r.lignes.empty())
      json += ",\"ligne\":" + (f.ligne == 0 ? std::string("\"toutes\"") : std::to_string(f.ligne));
    json += ",\"executions\":" + std::to_string(f.executions) +
            ",\"reussies\":" + std::to_string(f.reussies) + ",\"echecs\":[";
    for (std::size_t i = 0; i < f.echecs.size(); ++i) {
      json += std::string(i == 0 ? "" : ",") + "{\"raison\":" + EnChaineJson(f.echecs[i].first) +
              ",\"fois\":" + std::to_string(f.echecs[i].second) + "}";
    }
    json += "],\"duree\":{\"min\":" + SecondesMachine(f.durees.minimum) +
            ",\"mediane\":" + SecondesMachine(f.durees.mediane) +
            ",\"p95\":" + SecondesMachine(f.durees.p95) +
            ",\"max\":" + SecondesMachine(f.durees.maximum) + "}}";
  }
  return json + "]}";
}

}  // namespace zef30

#include "requests/DiagrammeSequence.h"

#include <algorithm>
#include <cstdio>

#include "base/Xml.h"
#include "link/NommeurTrames.h"
#include "protocol/Trame.h"

namespace zef30 {

namespace {

constexpr double kLargeur = 980;
constexpr double kXConsole = 180;
constexpr double kXTerminal = 640;
constexpr double kHaut = 80;
constexpr double kPixelsParMs = 0.08;
constexpr double kEcartMin = 20;  // between two arrows, so that their labels stay apart
constexpr double kHauteurPli = 34;
constexpr const char* kCouleurConsole = "#1b1b1b";
constexpr const char* kCouleurTerminal = "#1f5fa8";

// At most `taille` bytes of `texte`, cut between two characters and marked: what one arrow or
// band says is bounded, so the picture is.
std::string Borner(std::string_view texte, std::size_t taille) {
  if (texte.size() <= taille) return std::string(texte);
  std::size_t fin = taille;
  while (fin > 0 && (static_cast<unsigned char>(texte[fin]) & 0xC0) == 0x80) --fin;
  return std::string(texte.substr(0, fin)) + "…";
}
constexpr std::size_t kEtiquetteMax = 160;
constexpr std::size_t kTitreMax = 2000;

std::string Nombre(double valeur) {
  char texte[32];
  std::snprintf(texte, sizeof texte, "%.1f", valeur);
  return texte;
}

// "12,3 s"
std::string Duree(double ms) {
  std::string texte = Nombre(ms / 1000.0);
  std::replace(texte.begin(), texte.end(), '.', ',');
  return texte + " s";
}

const char* NomControle(char octet) {
  switch (octet) {
    case ENQ:
      return "ENQ";
    case ACK:
      return "ACK";
    case NAK:
      return "NAK";
    case EOT:
      return "EOT";
    case ETX:
      return "ETX";
    case ETB:
      return "ETB";
    case DLE:
      return "DLE";
    default:
      return nullptr;
  }
}

}  // namespace

std::string ResumerSalve(const EnregistrementTrace& e) {
  std::vector<std::string> morceaux;
  std::size_t trame = 0;
  bool dansTrame = false;
  const std::string& o = e.octets;
  for (std::size_t i = 0; i < o.size(); ++i) {
    if (dansTrame) {
      // A frame ends with DLE, ETX or ETB and its check character.
      if (o[i] == DLE && i + 1 < o.size() && (o[i + 1] == ETX || o[i + 1] == ETB)) {
        dansTrame = false;
        i += 2;
        morceaux.push_back(trame < e.decodages.size() ? std::string(NomDecodage(e.decodages[trame]))
                                                      : "trame");
        ++trame;
      }
      continue;
    }
    if (o[i] == STX) {
      dansTrame = true;
    } else if (const char* nom = NomControle(o[i])) {
      morceaux.emplace_back(nom);
    } else if (morceaux.empty() || morceaux.back() != "…") {
      morceaux.emplace_back("…");
    }
  }
  // A frame that goes on in the next record, or whose end came in this one only.
  if (dansTrame) morceaux.emplace_back("début de trame");
  for (; trame < e.decodages.size(); ++trame)
    morceaux.emplace_back(NomDecodage(e.decodages[trame]));
  std::string texte;
  for (const auto& m : morceaux) texte += (texte.empty() ? "" : " + ") + m;
  return texte;
}

namespace {

// A NAK of the handshake (not a check character that happens to be 0x15).
bool PorteNak(const EnregistrementTrace& e) {
  return (" + " + ResumerSalve(e) + " + ").find(" + NAK + ") != std::string::npos;
}

bool Fautive(const EnregistrementTrace& e) {
  return std::any_of(e.trames.begin(), e.trames.end(),
                     [](const std::string& m) { return m.find("FAUSSE") != std::string::npos; });
}

struct Salve {
  const EnregistrementTrace* e;
  double y;
  std::optional<double> pli;  // the folded wait before it
  bool timeOut = false;
};

// The first field of an answer, as its band says it; empty when the record holds none.
std::string IssueDe(const EnregistrementTrace& e) {
  if (e.sens != Sens::VersConsole) return {};
  for (const auto& d : e.decodages) {
    const auto deux = d.find(" : ");
    if (NomDecodage(d) == "D affichage" || deux == std::string::npos) continue;
    const auto suite = d.substr(deux + 3);
    return suite.substr(0, suite.find(", "));
  }
  return {};
}

bool EstDemande(const EnregistrementTrace& e) {
  return e.sens == Sens::VersTerminal &&
         std::any_of(e.decodages.begin(), e.decodages.end(),
                     [](const std::string& d) { return !d.starts_with("trame inconnue"); });
}

// Handshake characters alone: the ENQ that opens an exchange, the ACK or NAK that answers it.
bool EstPoignee(const EnregistrementTrace& e) {
  return !e.octets.empty() &&
         e.octets.find_first_not_of(std::string{ENQ, ACK, NAK}) == std::string::npos;
}

std::string Texte(double x, double y, std::string_view attributs, std::string_view texte) {
  return "<text x=\"" + Nombre(x) + "\" y=\"" + Nombre(y) + "\"" + std::string(attributs) + ">" +
         EchapperXml(texte) + "</text>";
}

std::string Entete(double hauteur) {
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Nombre(kLargeur) + "\" height=\"" +
         Nombre(hauteur) + "\" viewBox=\"0 0 " + Nombre(kLargeur) + " " + Nombre(hauteur) +
         "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  return svg;
}

// A request's band, from `haut` to `bas`, with its name and its answer's first field; `detail`
// under them when the band stands without its arrows.
std::string Bande(const BandeEchange& b, double haut, double bas, std::string_view detail) {
  std::string svg = "<g class=\"demande\"><rect x=\"4\" y=\"" + Nombre(haut) + "\" width=\"" +
                    Nombre(kLargeur - 8) + "\" height=\"" + Nombre(bas - haut) +
                    "\" fill=\"#eef3e6\" stroke=\"#b9c9a0\"/>";
  svg += Texte(kXTerminal + 14, haut + 13, " font-weight=\"bold\"", Borner(b.nom, kEtiquetteMax));
  svg += Texte(kXTerminal + 14, haut + 27, "",
               b.issue.empty() ? "sans réponse" : Borner(b.issue, kEtiquetteMax));
  if (!detail.empty()) svg += Texte(12, haut + 13, " fill=\"#666666\"", detail);
  svg += "</g>\n";
  return svg;
}

// Every record its arrow, to scale, behind them the bands.
std::string DessinerFleches(const std::vector<EnregistrementTrace>& enregistrements,
                            const std::vector<BandeEchange>& bandes) {
  std::vector<Salve> salves;
  double y = kHaut;
  const EnregistrementTrace* precedent = nullptr;
  for (const EnregistrementTrace& e : enregistrements) {
    Salve s{&e, y, std::nullopt, false};
    if (precedent) {
      const double ecart = e.ms - precedent->ms;
      s.timeOut = ecart >= kTimeOutMs && e.sens == Sens::VersTerminal &&
                  precedent->sens == Sens::VersTerminal;
      if (ecart > kAttentePlieeMs) {
        s.pli = ecart;
        y += kHauteurPli + kEcartMin;
      } else {
        y += std::max(kEcartMin, ecart * kPixelsParMs);
      }
      s.y = y;
    }
    salves.push_back(s);
    precedent = &e;
  }
  const double hauteur = y + 60;
  std::string svg = Entete(hauteur);

  // The bands first, behind everything.
  for (const BandeEchange& b : bandes) {
    if (b.fin > salves.size() || b.debut >= b.fin) continue;
    svg += Bande(b, salves[b.debut].y - 14, salves[b.fin - 1].y + 8, {});
  }

  for (const double x : {kXConsole, kXTerminal}) {
    svg += "<line x1=\"" + Nombre(x) + "\" y1=\"50\" x2=\"" + Nombre(x) + "\" y2=\"" +
           Nombre(hauteur - 20) + "\" stroke=\"#888888\" stroke-dasharray=\"4 3\"/>\n";
  }
  svg += Texte(kXConsole, 36, " text-anchor=\"middle\" font-weight=\"bold\"", "console") + "\n";
  svg += Texte(kXTerminal, 36, " text-anchor=\"middle\" font-weight=\"bold\"", "terminal") + "\n";

  for (const Salve& s : salves) {
    const EnregistrementTrace& e = *s.e;
    if (s.pli) {
      const double yPli = s.y - kEcartMin - kHauteurPli / 2;
      const char* couleur = s.timeOut ? kCouleurFaute : "#888888";
      svg += "<g class=\"" + std::string(s.timeOut ? "time-out" : "attente") + "\"><line x1=\"" +
             Nombre(kXConsole - 40) + "\" y1=\"" + Nombre(yPli) + "\" x2=\"" +
             Nombre(kXTerminal + 40) + "\" y2=\"" + Nombre(yPli) + "\" stroke=\"" + couleur +
             "\" stroke-dasharray=\"2 4\"/><text x=\"" + Nombre((kXConsole + kXTerminal) / 2) +
             "\" y=\"" + Nombre(yPli - 3) + "\" text-anchor=\"middle\" fill=\"" + couleur + "\">" +
             (s.timeOut ? "time-out, " : "attente ") + Duree(*s.pli) + "</text></g>\n";
    } else if (s.timeOut) {
      svg += "<text class=\"time-out\" x=\"" + Nombre(kXConsole + 8) + "\" y=\"" + Nombre(s.y - 8) +
             "\" fill=\"" + kCouleurFaute + "\">time-out</text>\n";
    }
    const bool versTerminal = e.sens == Sens::VersTerminal;
    const double x1 = versTerminal ? kXConsole : kXTerminal;
    const double x2 = versTerminal ? kXTerminal : kXConsole;
    const double pointe = versTerminal ? x2 - 9 : x2 + 9;
    const std::string couleur = Fautive(e)     ? kCouleurFaute
                                : PorteNak(e)  ? kCouleurNak
                                : versTerminal ? kCouleurConsole
                                               : kCouleurTerminal;
    const std::string etiquette = Borner(ResumerSalve(e), kEtiquetteMax);
    std::string titre;
    for (const auto& d : e.decodages) {
      if (titre.size() > kTitreMax) break;
      titre += (titre.empty() ? "" : "\n") + d;
    }
    svg += "<g class=\"salve\" data-ms=\"" + Nombre(e.ms) + "\"><title>" +
           EchapperXml(titre.empty() ? etiquette : Borner(titre, kTitreMax)) + "</title>";
    svg += Texte(8, s.y + 4, " fill=\"#666666\"", Nombre(e.ms) + " ms");
    svg += "<line x1=\"" + Nombre(x1) + "\" y1=\"" + Nombre(s.y) + "\" x2=\"" + Nombre(x2) +
           "\" y2=\"" + Nombre(s.y) + "\" stroke=\"" + couleur + "\" stroke-width=\"1.5\"/>";
    svg += "<polygon points=\"" + Nombre(x2) + "," + Nombre(s.y) + " " + Nombre(pointe) + "," +
           Nombre(s.y - 4) + " " + Nombre(pointe) + "," + Nombre(s.y + 4) + "\" fill=\"" + couleur +
           "\"/>";
    svg += Texte((x1 + x2) / 2, s.y - 4, " text-anchor=\"middle\" fill=\"" + couleur + "\"",
                 etiquette) +
           "</g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

constexpr double kHauteurBande = 40;

// Too many records for an arrow each: one band a request, one under the other, and what to do.
std::string DessinerBandes(const std::vector<BandeEchange>& bandes, std::size_t omises,
                           std::size_t enregistrements) {
  const double hauteur = kHaut + kHauteurBande * static_cast<double>(bandes.size()) + 60;
  std::string svg = Entete(hauteur);
  svg += Texte(8, 24, " font-weight=\"bold\" class=\"trop\"",
               std::to_string(enregistrements) + " enregistrements : plus de " +
                   std::to_string(kFlechesMax) +
                   " flèches, chaque demande en bande sans ses flèches ; resserrez avec --from et "
                   "--to (en ms)") +
         "\n";
  double y = kHaut - 14;
  for (const BandeEchange& b : bandes) {
    svg += Bande(b, y, y + kHauteurBande - 6,
                 Nombre(b.msDebut) + " – " + Nombre(b.msFin) + " ms, " +
                     std::to_string(b.fin - b.debut) + " enregistrements");
    y += kHauteurBande;
  }
  if (omises > 0) {
    svg += Texte(8, y + 20, " class=\"trop\"",
                 "… et " + std::to_string(omises) + " demandes de plus, non dessinées") +
           "\n";
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace

void SuiviEchanges::Ajouter(const EnregistrementTrace& e) {
  const std::size_t i = nombre_++;
  // A request sent again after the terminal's NAK goes on with the same exchange.
  if (EstDemande(e) && !nakAvant_) {
    const std::size_t plancher = ouverte_ ? ouverte_->debut + 1 : 0;
    const std::size_t recul = std::min({poignees_, std::size_t{4}, i - plancher});
    const std::size_t debut = i - recul;
    const auto ms = [&](std::size_t k) { return k == i ? e.ms : derniersMs_[k % kGardes]; };
    if (debut > 0) Fermer(debut, ms(debut - 1));
    BandeEchange b;
    b.debut = debut;
    b.demande = i;
    b.fin = i + 1;
    for (const auto& d : e.decodages) b.nom = std::string(NomDecodage(d));
    b.msDebut = ms(debut);
    b.msFin = e.ms;
    ouverte_ = std::move(b);
  } else if (ouverte_ && ouverte_->issue.empty()) {
    ouverte_->issue = IssueDe(e);
  }
  nakAvant_ = e.sens == Sens::VersConsole && PorteNak(e);
  poignees_ = EstPoignee(e) ? poignees_ + 1 : 0;
  derniersMs_[i % kGardes] = e.ms;
}

void SuiviEchanges::Fermer(std::size_t fin, double msFin) {
  if (!ouverte_) return;
  ouverte_->fin = fin;
  ouverte_->msFin = msFin;
  if (bandes_.size() < maximum_) {
    bandes_.push_back(std::move(*ouverte_));
  } else {
    ++omises_;
  }
  ouverte_.reset();
}

std::vector<BandeEchange> SuiviEchanges::Finir() {
  if (nombre_ > 0) Fermer(nombre_, derniersMs_[(nombre_ - 1) % kGardes]);
  return std::move(bandes_);
}

std::vector<EnregistrementTrace> EchangeDe(const std::vector<EnregistrementTrace>& enregistrements,
                                           std::size_t i) {
  if (i >= enregistrements.size()) return {};
  SuiviEchanges suivi(enregistrements.size());
  for (const EnregistrementTrace& e : enregistrements) suivi.Ajouter(e);
  const auto bandes = suivi.Finir();
  // All of them before the first request.
  std::size_t debut = 0;
  std::size_t fin = bandes.empty() ? enregistrements.size() : bandes.front().debut;
  for (const BandeEchange& b : bandes) {
    if (b.debut <= i) {
      debut = b.debut;
      fin = b.fin;
    }
  }
  return {enregistrements.begin() + static_cast<long>(debut),
          enregistrements.begin() + static_cast<long>(fin)};
}

DiagrammeEnCours::DiagrammeEnCours(OptionsDiagramme options) : options_(options) {}

bool DiagrammeEnCours::Ajouter(const EnregistrementTrace& e) {
  if (options_.depuisMs && e.ms < *options_.depuisMs) return true;
  if (options_.jusquaMs && e.ms > *options_.jusquaMs) return false;
  ++nombre_;
  echanges_.Ajouter(e);
  if (trop_) return true;
  if (salves_.size() < kFlechesMax) {
    salves_.push_back(e);
  } else {
    // Past the arrows a picture can hold, only the bands are kept.
    trop_ = true;
    std::vector<EnregistrementTrace>().swap(salves_);
  }
  return true;
}

std::string DiagrammeEnCours::Finir() {
  const auto bandes = echanges_.Finir();
  if (trop_) return DessinerBandes(bandes, echanges_.Omises(), nombre_);
  return DessinerFleches(salves_, bandes);
}

std::string DessinerSequence(const std::vector<EnregistrementTrace>& enregistrements,
                             const OptionsDiagramme& options) {
  DiagrammeEnCours diagramme(options);
  for (const EnregistrementTrace& e : enregistrements) {
    if (!diagramme.Ajouter(e)) break;
  }
  return diagramme.Finir();
}

}  // namespace zef30

#include "requests/DiagrammeSequence.h"

#include <algorithm>
#include <cstdio>

#include "link/Trame.h"
#include "requests/DecodeurTrames.h"

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

std::string Echapper(std::string_view texte) {
  std::string sortie;
  for (const char c : texte) {
    switch (c) {
      case '&':
        sortie += "&amp;";
        break;
      case '<':
        sortie += "&lt;";
        break;
      case '>':
        sortie += "&gt;";
        break;
      case '"':
        sortie += "&quot;";
        break;
      default:
        // Control characters have no place in XML.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') sortie += c;
    }
  }
  return sortie;
}

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

// The first field of the request's answer, as its band says it.
std::string Issue(const std::vector<Salve>& salves, std::size_t debut, std::size_t fin) {
  for (std::size_t i = debut; i < fin; ++i) {
    if (salves[i].e->sens != Sens::VersConsole) continue;
    for (const auto& d : salves[i].e->decodages) {
      const auto deux = d.find(" : ");
      if (NomDecodage(d) == "D affichage" || deux == std::string::npos) continue;
      const auto suite = d.substr(deux + 3);
      return suite.substr(0, suite.find(", "));
    }
  }
  return "sans réponse";
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

// Where each exchange begins, in order: its request, with the handshake that opened it.
// `enregistrement(k)` gives record k of `n`.
template <typename Acces>
std::vector<std::size_t> DebutsEchanges(std::size_t n, Acces enregistrement) {
  std::vector<std::size_t> debuts;
  for (std::size_t i = 0; i < n; ++i) {
    if (!EstDemande(enregistrement(i))) continue;
    // A request sent again after the terminal's NAK goes on with the same exchange.
    if (i > 0 && enregistrement(i - 1).sens == Sens::VersConsole &&
        PorteNak(enregistrement(i - 1))) {
      continue;
    }
    const std::size_t plancher = debuts.empty() ? 0 : debuts.back() + 1;
    std::size_t debut = i;
    for (int k = 0; k < 4 && debut > plancher && EstPoignee(enregistrement(debut - 1)); ++k) {
      --debut;
    }
    debuts.push_back(debut);
  }
  return debuts;
}

}  // namespace

std::vector<EnregistrementTrace> EchangeDe(const std::vector<EnregistrementTrace>& enregistrements,
                                           std::size_t i) {
  if (i >= enregistrements.size()) return {};
  const auto debuts = DebutsEchanges(
      enregistrements.size(), [&](std::size_t k) -> const auto& { return enregistrements[k]; });
  const auto suivant = std::upper_bound(debuts.begin(), debuts.end(), i);
  const std::size_t debut = suivant == debuts.begin() ? 0 : *(suivant - 1);
  const std::size_t fin = suivant == debuts.end() ? enregistrements.size() : *suivant;
  return {enregistrements.begin() + static_cast<long>(debut),
          enregistrements.begin() + static_cast<long>(fin)};
}

std::string DessinerSequence(const std::vector<EnregistrementTrace>& enregistrements,
                             const OptionsDiagramme& options) {
  std::vector<Salve> salves;
  double y = kHaut;
  const EnregistrementTrace* precedent = nullptr;
  for (const EnregistrementTrace& e : enregistrements) {
    if (options.depuisMs && e.ms < *options.depuisMs) continue;
    if (options.jusquaMs && e.ms > *options.jusquaMs) break;
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

  std::string svg;
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Nombre(kLargeur) + "\" height=\"" +
         Nombre(hauteur) + "\" viewBox=\"0 0 " + Nombre(kLargeur) + " " + Nombre(hauteur) +
         "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

  // The bands first, behind everything.
  const auto debuts = DebutsEchanges(
      salves.size(), [&](std::size_t k) -> const auto& { return *salves[k].e; });
  for (std::size_t k = 0; k < debuts.size(); ++k) {
    const std::size_t debut = debuts[k];
    const std::size_t fin = k + 1 < debuts.size() ? debuts[k + 1] : salves.size();
    std::size_t demande = debut;
    while (!EstDemande(*salves[demande].e)) ++demande;
    const double haut = salves[debut].y - 14;
    const double bas = salves[fin - 1].y + 8;
    std::string nom;
    for (const auto& d : salves[demande].e->decodages) nom = std::string(NomDecodage(d));
    svg += "<g class=\"demande\"><rect x=\"4\" y=\"" + Nombre(haut) + "\" width=\"" +
           Nombre(kLargeur - 8) + "\" height=\"" + Nombre(bas - haut) +
           "\" fill=\"#eef3e6\" stroke=\"#b9c9a0\"/>";
    svg += "<text x=\"" + Nombre(kXTerminal + 14) + "\" y=\"" + Nombre(haut + 13) +
           "\" font-weight=\"bold\">" + Echapper(nom) + "</text>";
    svg += "<text x=\"" + Nombre(kXTerminal + 14) + "\" y=\"" + Nombre(haut + 27) + "\">" +
           Echapper(Issue(salves, demande + 1, fin)) + "</text></g>\n";
  }

  for (const double x : {kXConsole, kXTerminal}) {
    svg += "<line x1=\"" + Nombre(x) + "\" y1=\"50\" x2=\"" + Nombre(x) + "\" y2=\"" +
           Nombre(hauteur - 20) + "\" stroke=\"#888888\" stroke-dasharray=\"4 3\"/>\n";
  }
  svg += "<text x=\"" + Nombre(kXConsole) +
         "\" y=\"36\" text-anchor=\"middle\" font-weight=\"bold\">console</text>\n";
  svg += "<text x=\"" + Nombre(kXTerminal) +
         "\" y=\"36\" text-anchor=\"middle\" font-weight=\"bold\">terminal</text>\n";

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
    const std::string etiquette = ResumerSalve(e);
    std::string titre;
    for (const auto& d : e.decodages) titre += (titre.empty() ? "" : "\n") + d;
    svg += "<g class=\"salve\" data-ms=\"" + Nombre(e.ms) + "\"><title>" +
           Echapper(titre.empty() ? etiquette : titre) + "</title>";
    svg += "<text x=\"8\" y=\"" + Nombre(s.y + 4) + "\" fill=\"#666666\">" + Nombre(e.ms) +
           " ms</text>";
    svg += "<line x1=\"" + Nombre(x1) + "\" y1=\"" + Nombre(s.y) + "\" x2=\"" + Nombre(x2) +
           "\" y2=\"" + Nombre(s.y) + "\" stroke=\"" + couleur + "\" stroke-width=\"1.5\"/>";
    svg += "<polygon points=\"" + Nombre(x2) + "," + Nombre(s.y) + " " + Nombre(pointe) + "," +
           Nombre(s.y - 4) + " " + Nombre(pointe) + "," + Nombre(s.y + 4) + "\" fill=\"" + couleur +
           "\"/>";
    svg += "<text x=\"" + Nombre((x1 + x2) / 2) + "\" y=\"" + Nombre(s.y - 4) +
           "\" text-anchor=\"middle\" fill=\"" + couleur + "\">" + Echapper(etiquette) +
           "</text></g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace zef30

#include "link/TraceLigne.h"

#include <cmath>
#include <cstdio>

#include "base/Texte.h"
#include "protocol/Trame.h"

namespace zef30 {

namespace {

std::string Hexa(unsigned char octet) {
  std::string texte;
  AjouterHexa(texte, octet);
  return texte;
}

std::string_view Champ(std::string_view ligne, std::size_t& debut) {
  const auto fin = ligne.find(" | ", debut);
  const std::string_view champ =
      ligne.substr(debut, fin == std::string_view::npos ? fin : fin - debut);
  debut = fin == std::string_view::npos ? ligne.size() : fin + 3;
  return champ;
}

int ValeurHexa(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> LireHexa(std::string_view texte) {
  std::string octets;
  std::size_t i = 0;
  while (i < texte.size()) {
    if (texte[i] == ' ') {
      ++i;
      continue;
    }
    // Two hexadecimal digits, both: "0Z" is no byte.
    if (i + 1 >= texte.size()) return std::nullopt;
    const int fort = ValeurHexa(texte[i]);
    const int faible = ValeurHexa(texte[i + 1]);
    if (fort < 0 || faible < 0) return std::nullopt;
    octets += static_cast<char>(fort * 16 + faible);
    i += 2;
  }
  return octets;
}

}  // namespace

std::string EnHexa(std::string_view octets) {
  std::string texte;
  AjouterEnHexa(texte, octets);
  return texte;
}

void AjouterEnHexa(std::string& texte, std::string_view octets) {
  texte.reserve(texte.size() + octets.size() * 3);
  for (const char c : octets) {
    if (!texte.empty()) texte += ' ';
    AjouterHexa(texte, static_cast<unsigned char>(c));
  }
}

std::string FormaterEnregistrement(const EnregistrementTrace& e) {
  return FormaterEnregistrement(e, EnHexa(e.octets), TexteLisible(e.octets));
}

std::string FormaterEnregistrement(const EnregistrementTrace& e, std::string_view hexa,
                                   std::string_view lisible) {
  char tete[64];
  std::snprintf(tete, sizeof tete, "%11.3f %s", e.ms, e.sens == Sens::VersTerminal ? "C>T" : "T>C");
  std::string ligne = tete;
  if (e.pauseMs) {
    char pause[32];
    std::snprintf(pause, sizeof pause, " +%.3fs", *e.pauseMs / 1000.0);
    ligne += pause;
  }
  ligne.reserve(ligne.size() + hexa.size() + lisible.size() + 6 + 32 * e.trames.size());
  ligne += " | ";
  ligne += hexa;
  ligne += " | ";
  ligne += lisible;
  if (!e.trames.empty()) {
    ligne += " |";
    for (const auto& trame : e.trames) ligne += " [" + trame + "]";
  }
  return ligne;
}

std::string FormaterDecodages(const EnregistrementTrace& e) {
  std::string texte;
  for (const auto& decodage : e.decodages) {
    texte += kMarqueDecodage;
    texte += NommerControles(decodage);
    texte += '\n';
  }
  return texte;
}

std::string EnteteTrace(std::string_view debutMural) {
  return "# Trace de ligne ZEF30 commencée le " + std::string(debutMural) +
         " ; temps en ms depuis ce moment (horloge monotone) ; C>T console vers terminal, T>C "
         "terminal vers console";
}

void SuiviTrames::Ajouter(std::string_view octets, EnregistrementTrace& enregistrement,
                          const DecodeurTrace& decodeur) {
  for (const char octet : octets) {
    if (!dansTrame_) {
      if (octet == STX) {
        dansTrame_ = true;
        trame_.assign(1, STX);
      }
      continue;
    }
    trame_ += octet;
    const std::size_t n = trame_.size();
    // STX, at least one character, DLE, ETX or ETB, and the check character just taken.
    const bool finie =
        n >= 5 && trame_[n - 3] == DLE && (trame_[n - 2] == ETX || trame_[n - 2] == ETB);
    if (finie) {
      const std::string attendu = CalculerLrc(std::string_view(trame_).substr(0, n - 1));
      const std::string message = trame_.substr(1, n - 4);
      const bool affichage = message.starts_with('D');
      std::string marque = "trame " + TexteLisible(affichage ? "D" : Extraire(message, 1, 2)) +
                           " : LRC " + Hexa(static_cast<unsigned char>(trame_.back()));
      if (attendu.front() == trame_.back()) {
        marque += " juste";
      } else {
        marque += " FAUSSE, attendue " + Hexa(static_cast<unsigned char>(attendu.front()));
      }
      enregistrement.trames.push_back(std::move(marque));
      if (decodeur) enregistrement.decodages.push_back(decodeur(trame_, enregistrement.sens));
      enregistrement.affichage = enregistrement.affichage || affichage;
      dansTrame_ = false;
      trame_.clear();
    } else if (n > kTrameMax) {
      dansTrame_ = false;
      trame_.clear();
    }
  }
}

LecteurEnregistrements::Lecture LecteurEnregistrements::Lire(std::string_view ligne) {
  ++numero_;
  Lecture lecture;
  if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
  if (ligne.find_first_not_of(' ') == std::string_view::npos || ligne.front() == '#') {
    lecture.nature = Lecture::Nature::Autre;
    return lecture;
  }
  const auto refuser = [&](std::string_view raison) {
    lecture.nature = Lecture::Nature::Illisible;
    lecture.erreur = "ligne " + std::to_string(numero_) + " : " + std::string(raison);
    return lecture;
  };
  std::size_t position = 0;
  const std::string_view tete = Champ(ligne, position);
  const std::string_view hexa = Champ(ligne, position);
  char sens[4] = {};
  double ms = 0;
  const auto octets = LireHexa(hexa);
  if (tete.size() > 64 || std::sscanf(std::string(tete).c_str(), "%lf %3s", &ms, sens) != 2 ||
      !octets || (std::string_view(sens) != "C>T" && std::string_view(sens) != "T>C")) {
    return refuser("enregistrement illisible");
  }
  if (!std::isfinite(ms) || ms < 0) return refuser("moment impossible");
  if (dernierMs_ && ms < *dernierMs_) return refuser("moment antérieur à celui d’avant");
  dernierMs_ = ms;
  lecture.nature = Lecture::Nature::Enregistrement;
  lecture.enregistrement.ms = ms;
  lecture.enregistrement.sens =
      std::string_view(sens) == "C>T" ? Sens::VersTerminal : Sens::VersConsole;
  lecture.enregistrement.octets = *octets;
  return lecture;
}

Resultat<std::vector<EnregistrementTrace>> LireTrace(std::string_view texte) {
  std::vector<EnregistrementTrace> enregistrements;
  LecteurEnregistrements lecteur;
  for (const std::string_view ligne : DecouperLignes(texte)) {
    auto lecture = lecteur.Lire(ligne);
    if (lecture.nature == LecteurEnregistrements::Lecture::Nature::Illisible) {
      return Invalide(std::move(lecture.erreur));
    }
    if (lecture.nature == LecteurEnregistrements::Lecture::Nature::Enregistrement) {
      enregistrements.push_back(std::move(lecture.enregistrement));
    }
  }
  return enregistrements;
}

}  // namespace zef30

#include "protocol/DecodeurTrames.h"

#include <algorithm>
#include <utility>

#include "base/Texte.h"
#include "protocol/Trame.h"

namespace zef30 {

namespace {

std::string Cite(std::string_view octets) { return "« " + Cp1252VersUtf8(octets) + " »"; }

std::string TexteDevise(std::string_view code) {
  return code == "978" ? "EUR" : Cp1252VersUtf8(code);
}

// One field in words, or nothing for a constant that holds.
std::string DecrireChamp(const ChampMessage& champ, std::string_view brut, std::string_view devise,
                         const FormatMontant& format) {
  const std::string nom(champ.nom);
  switch (champ.lecture) {
    case Lecture::Texte:
      return nom + " " + Cite(brut);
    case Lecture::Nombre:
      return nom + " " + Cp1252VersUtf8(brut);
    case Lecture::Montant: {
      const auto montant = FormaterMontant(brut, format);
      if (!montant) return nom + " " + Cite(brut) + " illisible";
      return nom + " " + *montant + (devise.empty() ? "" : " " + TexteDevise(devise));
    }
    case Lecture::Devise:
      return {};
    case Lecture::Date:
      return nom + " " + Cp1252VersUtf8(Extraire(brut, 3, 2)) + "/" +
             Cp1252VersUtf8(Extraire(brut, 1, 2));
    case Lecture::Code: {
      const std::string texte = champ.texte ? champ.texte(std::string(brut)) : std::string();
      // A blank code is quoted, so that it shows.
      const std::string code = SansBlancs(brut).empty() ? Cite(brut) : Cp1252VersUtf8(brut);
      return nom + " " + code + (texte.empty() ? "" : " " + texte);
    }
    case Lecture::Carte:
      return nom + " " + MasquerCarte(brut);
    case Lecture::Secret:
      return nom + " (" + std::to_string(brut.size()) + " caractères)";
    case Lecture::Fixe:
      if (brut == champ.attendu) return {};
      return nom + " " + Cite(brut) + " au lieu de " + Cite(champ.attendu);
  }
  return {};
}

void Ajouter(std::string& texte, const std::string& morceau) {
  if (morceau.empty()) return;
  if (!texte.empty()) texte += ", ";
  texte += morceau;
}

}  // namespace

DecodeurTrames::DecodeurTrames(TableDispositions table, FormatMontant format)
    : table_(std::move(table)), format_(format) {}

const Disposition* DecodeurTrames::Choisir(std::string_view texte, bool reponse) const {
  std::vector<const Disposition*> candidates;
  for (const Disposition& d : table_) {
    if (d.reponse != reponse || !texte.starts_with(d.debut)) continue;
    if (!reponse) {
      if (d.longueurDemande != 0 && d.longueurDemande != static_cast<long>(texte.size())) continue;
      if (!candidates.empty() && candidates.front()->debut.size() >= d.debut.size()) continue;
      candidates.assign(1, &d);
      continue;
    }
    if (!std::string_view(demande_).starts_with(d.demande)) continue;
    if (d.longueurDemande != 0 && d.longueurDemande != static_cast<long>(demande_.size())) continue;
    candidates.push_back(&d);
  }
  if (candidates.empty()) return nullptr;
  // Several answers to one request (the list of dossiers): the first, then the next ones.
  return candidates[std::min<std::size_t>(static_cast<std::size_t>(reponses_),
                                          candidates.size() - 1)];
}

std::string DecodeurTrames::Decrire(const Disposition& d, std::string_view texte, long fin) const {
  std::string champs;
  const std::string devise = LireChamp(d, "devise", texte);
  for (const ChampMessage& champ : d.champs) {
    // Decoded as far as the data goes: nothing is read among the closing characters.
    if (champ.position > fin) continue;
    const long longueur = std::min(champ.longueur, fin - champ.position + 1);
    Ajouter(champs,
            DecrireChamp(champ, Extraire(texte, champ.position, longueur), devise, format_));
  }
  for (const GroupeChamps& g : d.groupes) {
    const long pas = std::max(1L, g.pas);
    const int nombre = g.nombre > 0 ? g.nombre : static_cast<int>((fin - g.debut + 1) / pas);
    for (int k = 0; k < nombre && g.debut + pas * k <= fin; ++k) {
      std::string record;
      for (const ChampMessage& champ : g.champs) {
        const long position = g.debut + pas * k + champ.position;
        if (position > fin) continue;
        const long longueur = std::min(champ.longueur, fin - position + 1);
        Ajouter(record, DecrireChamp(champ, Extraire(texte, position, longueur), devise, format_));
      }
      Ajouter(champs, std::string(g.nom) + " " + std::to_string(k + 1) + " (" + record + ")");
    }
  }
  return std::string(d.nom) + (champs.empty() ? "" : " : " + champs);
}

std::string DecodeurTrames::Decoder(std::string_view trame, bool versTerminal) {
  const std::size_t n = trame.size();
  const bool encadree = n >= 5 && trame.front() == STX && trame[n - 3] == DLE &&
                        (trame[n - 2] == ETX || trame[n - 2] == ETB);
  if (!encadree) return "trame inconnue";
  std::string remarques;
  if (CalculerLrc(trame.substr(0, n - 1)).front() != trame.back()) {
    remarques += ", caractère de contrôle faux";
  }
  // A first block waits for the terminal's next frame only: a request of the console, or a
  // frame of the terminal that stands on its own, leaves it alone.
  if (!premierBloc_.empty() && (versTerminal || TrameAutonome(trame))) FinirAttenteBloc();
  if (seul_) {
    remarques += ", le premier bloc d’avant resté seul";
    seul_ = false;
  }
  if (!versTerminal && trame[n - 2] == ETB) {
    premierBloc_ = std::string(trame);
    return "premier bloc (" + std::to_string(n) + " caractères), la suite au bloc suivant" +
           remarques;
  }
  std::string texte(trame);
  if (!versTerminal && !premierBloc_.empty()) {
    texte = JoindreBlocs(premierBloc_, trame);
    premierBloc_.clear();
    remarques += ", en deux blocs";
  }

  if (versTerminal) {
    const std::string message = texte.substr(1, n - 4);
    demande_ = message;
    reponses_ = 0;
    const Disposition* d = Choisir(message, false);
    if (!d) return "trame inconnue " + Cite(Extraire(message, 1, 2)) + remarques;
    return Decrire(*d, message, static_cast<long>(message.size())) + remarques;
  }

  const long fin = static_cast<long>(texte.size()) - 3;
  if (Caractere(texte, 2) == "D") {
    // Its first line hidden as the console's display hides it, when it may show a code.
    if (AffichageDeCode(texte)) {
      Disposition masquee = DispositionDe(Message::Affichage, table_);
      for (ChampMessage& champ : masquee.champs) {
        if (champ.nom == "ligne 1") champ.lecture = Lecture::Secret;
      }
      return Decrire(masquee, texte, fin) + remarques;
    }
    return Decrire(DispositionDe(Message::Affichage, table_), texte, fin) + remarques;
  }
  // Its code compared from after STX: the layouts name the code alone.
  const Disposition* d = Choisir(texte.substr(1), true);
  const auto longueur = LireLongueurTrame(texte);
  if (longueur && *longueur != fin - 6) {
    remarques += ", longueur annoncée " + std::to_string(*longueur) + ", reçue " +
                 std::to_string(std::max(0L, fin - 6));
  }
  if (!d) return "trame inconnue " + Cite(Extraire(texte, 2, 2)) + remarques;
  // Only the answers count among the answers to one request, not the terminal's messages.
  if (d->debut.size() == 2) ++reponses_;
  return Decrire(*d, texte, std::min(fin, longueur ? 6 + *longueur : fin)) + remarques;
}

void DecodeurTrames::Signaler(std::string_view octets) {
  if (!premierBloc_.empty() && octets.find(ENQ) != std::string_view::npos) FinirAttenteBloc();
}

void DecodeurTrames::FinirAttenteBloc() {
  premierBloc_.clear();
  seul_ = true;
}

bool DecodeurTrames::TrameAutonome(std::string_view trame) const {
  const long n = static_cast<long>(trame.size());
  // The size the first block announces for its second settles it.
  if (const auto longueur = LireLongueurTrame(premierBloc_)) {
    if (n == TailleSecondBloc(*longueur)) return false;
  }
  if (const auto longueur = LireLongueurTrame(trame);
      longueur && *longueur + kSupplementTrame == n) {
    return true;
  }
  // A message of the terminal's own, whose type is one letter (a display).
  const std::string_view message = trame.substr(1);
  return std::any_of(table_.begin(), table_.end(), [&](const Disposition& d) {
    return d.reponse && d.debut.size() == 1 && message.starts_with(d.debut);
  });
}

std::string_view NomDecodage(std::string_view decodage) {
  const auto fin = decodage.find(" : ");
  const auto virgule = decodage.find(", ");
  return decodage.substr(0, std::min(fin, virgule));
}

}  // namespace zef30

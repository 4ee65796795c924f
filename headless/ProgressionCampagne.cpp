#include "headless/ProgressionCampagne.h"

#include "base/Texte.h"
#include "headless/Campagne.h"
#include "link/TraceLigne.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

constexpr Horloge::Secondes kIntervalle = 100ms;
// A terminal line wider than this would wrap, and the next redraw would leave its start behind:
// the line fits the narrowest terminal, 80 columns, with the cursor after it.
constexpr std::size_t kCaracteresMax = 79;

}  // namespace

ProgressionCampagne::ProgressionCampagne(std::ostream& sortie, bool active, const Horloge& horloge,
                                         int prevues, std::optional<double> duree,
                                         std::locale locale)
    : sortie_(sortie),
      active_(active),
      horloge_(horloge),
      prevues_(prevues),
      duree_(duree),
      locale_(std::move(locale)),
      depart_(horloge.Maintenant()) {}

void ProgressionCampagne::Noter(const ExecutionRequete& e) {
  Compte& compte = lignes_[e.ligne];
  ++compte.faites;
  if (e.reussie) ++compte.reussies;
  compte.secondes += e.Duree();
  if (!e.reussie) {
    dernierEchec_ = (e.ligne != 0 ? "ligne " + std::to_string(e.ligne) + " " : "") + e.famille +
                    " #" + std::to_string(e.rang) + " — " + NommerControles(e.raison);
  }
  if (!active_) return;
  const Horloge::Instant maintenant = horloge_.Maintenant();
  if (montree_ && maintenant < Horloge::Plus(*montree_, kIntervalle)) return;
  montree_ = maintenant;
  sortie_ << "\r" << Ligne() << "\x1b[K" << std::flush;
  affichee_ = true;
}

void ProgressionCampagne::Terminer() {
  if (active_ && montree_) sortie_ << "\r\x1b[K" << std::flush;
  affichee_ = false;
}

void ProgressionCampagne::Effacer() {
  if (affichee_) Terminer();
}

FluxSousProgression::int_type FluxSousProgression::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  progression_.Effacer();
  return dessous_->sputc(traits_type::to_char_type(c));
}

std::streamsize FluxSousProgression::xsputn(const char* octets, std::streamsize n) {
  progression_.Effacer();
  return dessous_->sputn(octets, n);
}

int FluxSousProgression::sync() { return dessous_->pubsync(); }

std::string ProgressionCampagne::Ligne() const {
  std::string ligne;
  int faites = 0;
  double secondes = 0;
  for (const auto& [numero, c] : lignes_) {
    if (!ligne.empty()) ligne += " · ";
    if (numero != 0) ligne += "ligne " + std::to_string(numero) + " ";
    ligne += std::to_string(c.faites) + (prevues_ > 0 ? "/" + std::to_string(prevues_) : "") +
             " ✓" + std::to_string(c.reussies) + " ✗" + std::to_string(c.faites - c.reussies);
    faites += c.faites;
    secondes += c.secondes;
  }
  if (faites > 0) ligne += " · " + FormaterSecondes(secondes / faites, locale_) + "/requête";
  if (duree_) {
    const double ecoule = std::chrono::duration<double>(horloge_.Maintenant() - depart_).count();
    ligne += " · reste " + FormaterSecondes(*duree_ > ecoule ? *duree_ - ecoule : 0, locale_);
  }
  if (!dernierEchec_.empty()) ligne += " · dernier échec : " + dernierEchec_;
  // Cut on a character's first byte, never inside one.
  std::size_t caracteres = 0;
  for (std::size_t i = 0; i < ligne.size(); ++i) {
    if ((static_cast<unsigned char>(ligne[i]) & 0xC0) != 0x80 && ++caracteres > kCaracteresMax) {
      // The ellipsis takes the last column.
      std::size_t j = i;
      while (j > 0 && (static_cast<unsigned char>(ligne[--j]) & 0xC0) == 0x80) {
      }
      return ligne.substr(0, j) + "…";
    }
  }
  return ligne;
}

}  // namespace zef30

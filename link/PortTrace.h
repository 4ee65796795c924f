#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/Horloge.h"
#include "link/PortSerie.h"
#include "link/TraceLigne.h"

namespace zef30 {

// The line trace: a port in front of the real one that forwards every operation unchanged and
// records what was written and read, burst by burst, on the monotonic clock. Every request,
// listener and front-end is traced without knowing it.
//
// With a file, each record is written the moment its bytes pass (no buffer of ours), so a crash
// loses nothing already traced. A burst that goes on is the same record grown: it is written
// again over itself, which the file allows because a grown record is never shorter.
class PortTrace final : public PortSerie {
 public:
  // Called for each record: `remplace` true when it is the last one grown.
  using Observateur = std::function<void(const EnregistrementTrace&, bool remplace)>;

  // `debutMural`: the wall-clock moment the trace begins, as people read it (for the header).
  PortTrace(PortSerie& port, const Horloge& horloge, std::string debutMural);
  ~PortTrace() override;
  PortTrace(const PortTrace&) = delete;
  PortTrace& operator=(const PortTrace&) = delete;

  // Records go to `chemin` too, appended after what it holds. False, with the reason in words.
  bool EcrireDans(const std::string& chemin, std::string& erreur);
  const std::string& Fichier() const { return chemin_; }
  const std::string& Entete() const { return entete_; }
  void Observer(Observateur observateur) { observateur_ = std::move(observateur); }

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool EstOuvert() const override { return port_.EstOuvert(); }
  void Fermer() override { port_.Fermer(); }
  std::string DerniereErreur() const override { return port_.DerniereErreur(); }
  bool Essayer(int numero) override { return port_.Essayer(numero); }
  void DefinirTailleLecture(int taille) override { port_.DefinirTailleLecture(taille); }
  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override { return port_.NombreEnAttente(); }
  std::string Lire() override;
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override {
    port_.AttendreAuMoins(nombre, echeance);
  }
  int Descripteur() const override { return port_.Descripteur(); }

 private:
  void Consigner(Sens sens, std::string_view octets);
  void EcrireLigne(const std::string& ligne, bool remplace);

  PortSerie& port_;
  const Horloge& horloge_;
  const Horloge::Instant debut_;
  const std::string entete_;
  std::string chemin_;
  Observateur observateur_;
  int fd_ = -1;
  long long finFichier_ = 0;     // where the next record goes
  long long debutDernier_ = -1;  // where the last record begins, while it may still grow
  EnregistrementTrace courant_;  // the last burst
  bool enCours_ = false;
  Horloge::Instant dernierOctet_{};
  SuiviTrames trames_[2];  // one per direction
};

}  // namespace zef30

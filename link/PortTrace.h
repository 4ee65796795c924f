#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Horloge.h"
#include "link/PortSerie.h"
#include "link/TraceLigne.h"

namespace zef30 {

class DecodeurTrames;

// The line trace: a port in front of the real one that forwards every operation unchanged and
// records what was written and read, burst by burst, on the monotonic clock. Every request,
// listener and front-end is traced without knowing it.
//
// A record is written (to the file, and to the observer) as soon as its first bytes pass; while
// its burst goes on it is written again over itself, which the file allows because a grown
// record is never shorter: at once when a frame ends in it, otherwise at most every
// kDelaiEcriture, and once more when it is complete. So
// the file holds every record whole and exact, and a crash loses at most the bytes of the last
// kDelaiEcriture. What a byte costs never depends on the bytes before it: only the new bytes are
// formatted, and a record holds at most kOctetsParEnregistrement bytes.
class PortTrace final : public PortSerie {
 public:
  // Called for each record: `remplace` true when it is the last one grown.
  using Observateur = std::function<void(const EnregistrementTrace&, bool remplace)>;

  // More than the longest frame with the handshake characters around it, so that every burst of
  // an exchange is one record; a terminal that never pauses goes on in the next record (same
  // direction, no pause), and writing a record again costs the same after hours as at first.
  static constexpr std::size_t kOctetsParEnregistrement = 1024;
  // Seconds: the longest a growing record waits to be written again.
  static constexpr Horloge::Secondes kDelaiEcriture{0.1};

  // `debutMural`: the wall-clock moment the trace begins, as people read it (for the header).
  PortTrace(PortSerie& port, const Horloge& horloge, std::string debutMural);
  ~PortTrace() override;
  PortTrace(const PortTrace&) = delete;
  PortTrace& operator=(const PortTrace&) = delete;

  // Records go to `chemin` too, appended after what it holds; or why they cannot.
  Resultat<void> EcrireDans(const std::string& chemin);
  // Told once, in words, when the file refuses a write (a full disk, a file over its size
  // limit): the file then ends at the last whole record, with a note that says why, and
  // nothing more is written to it; the line and the observer go on as before.
  void SurEchecEcriture(std::function<void(const std::string&)> signaler) {
    signalerEchec_ = std::move(signaler);
  }
  // That failure, or empty.
  const std::string& EchecEcriture() const { return echec_; }
  const std::string& Fichier() const { return chemin_; }
  const std::string& Entete() const { return entete_; }
  void Observer(Observateur observateur) { observateur_ = std::move(observateur); }
  // Each frame's words, written under its record from now on: from the console's layouts, or
  // from `decodeur`.
  void NommerTrames();
  void Decoder(DecodeurTrace decodeur) { decodeur_ = std::move(decodeur); }

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool EstOuvert() const override { return port_.EstOuvert(); }
  void Fermer() override;
  std::string DerniereErreur() const override { return port_.DerniereErreur(); }
  bool Essayer(int numero) override { return port_.Essayer(numero); }
  std::string DecrireLigne(int numero) const override { return port_.DecrireLigne(numero); }
  void DefinirTailleLecture(int taille) override;
  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;
  std::string Lire() override;
  // Wakes when the record held back is due, writes it, and sleeps on.
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;
  int Descripteur() const override { return port_.Descripteur(); }
  std::optional<Horloge::Instant> ReveilAvant() const override;

 private:
  void Consigner(Sens sens, std::string_view octets);
  void Commencer(Sens sens, Horloge::Instant maintenant, std::optional<double> pauseMs);
  // The last record, written again wherever it goes, when bytes were added since.
  void Publier();
  // The same once the last writing is kDelaiEcriture old.
  void Rattraper();
  void EcrireLigne(const std::string& ligne, bool remplace);
  // A line of the file that is no record ("# ..."), after the last record.
  void Noter(const std::string& texte);
  // A write refused with `erreur` at `position`: the file cut back there, the recording ended.
  void ArreterFichier(long long position, int erreur);

  PortSerie& port_;
  const Horloge& horloge_;
  const Horloge::Instant debut_;
  const std::string entete_;
  std::string chemin_;
  Observateur observateur_;
  DecodeurTrace decodeur_;
  std::unique_ptr<DecodeurTrames> decodeurTrames_;  // the one of NommerTrames
  std::function<void(const std::string&)> signalerEchec_;
  std::string echec_;
  int fd_ = -1;
  long long finFichier_ = 0;     // where the next record goes
  long long debutDernier_ = -1;  // where the last record begins, while it may still grow
  EnregistrementTrace courant_;  // the last burst
  std::string hexa_;             // its bytes in hexadecimal, and as text
  std::string lisible_;
  bool enCours_ = false;
  bool publie_ = false;    // written at least once
  bool enRetard_ = false;  // bytes added since it was last written
  Horloge::Instant publication_{};
  Horloge::Instant dernierOctet_{};
  SuiviTrames trames_[2];  // one per direction
};

}  // namespace zef30

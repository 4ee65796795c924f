#pragma once

#include <string>

#include "link/PortSerie.h"
#include "link/TablePorts.h"

namespace zef30 {

// A serial line through termios: raw, 8N1, no flow control. Waits block in poll() on the
// descriptor, and what arrives is moved into our own buffer so that a wait for several
// characters sleeps until each new one instead of spinning on data already counted.
class PortPosix final : public PortSerie {
 public:
  explicit PortPosix(TablePorts table);
  ~PortPosix() override;
  PortPosix(const PortPosix&) = delete;
  PortPosix& operator=(const PortPosix&) = delete;

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool EstOuvert() const override { return fd_ >= 0; }
  void Fermer() override;
  std::string DerniereErreur() const override { return erreur_; }

  void DefinirTailleLecture(int taille) override { tailleLecture_ = taille; }
  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;
  std::string Lire() override;
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;

  const TablePorts& Table() const { return table_; }

 private:
  // Moves every character the system holds into `tampon_`; false once the line is gone.
  bool Recueillir();

  TablePorts table_;
  int fd_ = -1;
  int tailleLecture_ = 0;
  std::string tampon_;
  std::string erreur_;
};

}  // namespace zef30

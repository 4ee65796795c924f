#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zef30 {

// What the console keeps for the whole run; nothing of it is saved.
struct EtatConsole {
  std::int32_t NumeroPortCom = 1;
  std::int32_t CompteurNonDisponible = 0;
  std::string NumeroCarte;
  std::string DateValiditeCarte;
  double Prix = 0;
  double NumeroDossier = 0;
  std::string TexteTicket;
  bool ArretEcoute = false;
  // Click handlers running now: more than one only while a listener lets the window work.
  int GestionnairesEnCours = 0;
  // The status line as the running request had left it when a click was refused: shown again
  // when the request ends, if the refusal is still there.
  std::optional<std::string> EtatAvantRefus;
  // How the last listening ended: on its time limit or not, with a result or none, through its
  // error box or not. Set by every listening as it ends; a request reads it to tell a time-out or
  // a listening's failure from a refusal.
  struct FinEcoute {
    bool surLimite = false;
    bool sansResultat = false;
    bool erreur = false;
  };
  std::optional<FinEcoute> DerniereEcoute;
  std::string PisteIso2;
  // Dossier numbers of the last list, entries 1 to 80 at indexes 0 to 79.
  std::array<std::string, 80> DossiersEnCours;
};

}  // namespace zef30

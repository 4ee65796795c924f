#pragma once

#include <array>
#include <string>
#include <vector>

namespace zef30::simulateur {

// What the terminal answers to the requests that look after it: tele-collection and its report,
// tele-parameter state, ISO 2 track, clock and line speed. Fields are cut or padded to their
// widths on the line.
struct ScenarioSoins {
  // Seconds before each display frame while the terminal calls the bank or waits for a card.
  double pause = 1.0;

  // Tele-collection "AJ00204".
  std::string statutTelecollecte = "0";
  int acquereurs = 2;  // 1 or 2
  std::array<std::string, 2> numerosAcquereurs{"000001", "000002"};
  std::array<std::string, 2> codesTelecollecte{"0", "0"};
  int ecransTelecollecte = 2;       // display frames before the answer
  bool rapportTelecollecte = true;  // a report frame before the answer

  // Report of the last tele-collection "AJ00203": one block per entry, with that many
  // remittances (0 to 9) each of `montant` cents.
  std::string statutRapport = "0";
  std::string codeRapport = "0";
  std::vector<int> remisesParBloc{2, 1};
  std::string montant = "000000012345";

  // Tele-parameter state "AJ00205": one block per entry, with that many tables.
  std::string statutTeleParam = "0";
  std::string codeTeleParam = "0";
  std::vector<int> tablesParBloc{3, 1};
  std::string initialisee = "1";
  std::string active = "1";

  // ISO 2 track "AG000".
  std::string statutIso2 = "0";
  std::string piste = "4970100000000000=29121010000000000000000";
  int ecransIso2 = 2;  // display frames before the answer; 0 for a console that does not listen

  // Clock "AS" and line speed "AJ"/"01": the verdict character, "0" accepted.
  std::string verdictHeure = "0";
  std::string verdictVitesse = "0";
};

}  // namespace zef30::simulateur

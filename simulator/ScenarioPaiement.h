#pragma once

#include <string>

namespace zef30::simulateur {

// What the card holder and the bank side do during a payment, as the terminal plays it.
struct ScenarioPaiement {
  // The terminal mirrors its display on the console ("Ecran Hote"): display frames come while the
  // card holder acts, and a blank display ends the payment. Otherwise the terminal works first
  // and sends its answer alone.
  bool ecranHote = true;
  // The card holder's pace, in seconds: inserting the card, typing the code, the bank's reply.
  double pauseCarte = 1.5;
  double pauseCode = 2.0;
  double pauseReponse = 1.0;

  // Validity: status and diagnostic of the answer ("0", "00": accepted, the dossier opens).
  std::string statutValidite = "0";
  std::string diagnostic = "00";
  // Registration: a status imposed on every registration; empty: the terminal decides from its
  // open dossiers ("0", "6" for a zero amount, "9" for a dossier it does not hold).
  std::string statutEnregistrement;

  // The card presented: 16 characters, its end of validity as year and month ("2907").
  std::string carte = "4970100000001234";
  std::string finValidite = "2907";
  std::string autorisation = "A1B2C3";
  // The application a new dossier falls under: "CBEMV" or "CB".
  std::string application = "CBEMV";
  // The dossier list names the "CB" block before the "CBEMV" one.
  bool cbDabord = false;
};

}  // namespace zef30::simulateur

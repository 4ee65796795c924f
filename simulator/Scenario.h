#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "protocol/Trame.h"
#include "simulator/Perturbations.h"
#include "simulator/ScenarioPaiement.h"
#include "simulator/ScenarioSoins.h"

namespace zef30::simulateur {

// How the terminal answers the console's readiness probe (ENQ).
enum class ReponseSonde {
  Ack,           // ready
  Silence,       // nothing at all
  AckPuisAutre,  // ACK followed at once by `Scenario::autre`, both in one write
};

// How the terminal answers the EOT that hands it the line after it accepted a request.
enum class ReponseEot {
  Enq,      // it has its answer ready: ENQ
  Autre,    // `Scenario::autre` in place of ENQ
  Silence,  // nothing
};

// One payment application as the consultation lists it (fields cut or padded to their widths).
struct Application {
  std::string nom;                // 6 characters
  std::string version;            // 7 characters
  std::string checksum;           // 4 characters
  std::string etat = "0";         // "0" initialised, "1" not initialised
  std::string etatFichier = "0";  // "0" empty, "1" not empty, "2" full
};

// An answer chosen for every request whose message begins with a given text.
struct ReponseChoisie {
  std::string message;   // the answer message (code, length, data), framed by the terminal
  bool brut = false;     // `message` goes on the line as it stands, without a frame (noise)
  bool silence = false;  // nothing in place of the answer
  bool finEtb = false;   // its one block ended by DLE ETB instead of DLE ETX
};

// What the simulated terminal does. The defaults make a ready terminal that accepts every frame
// at once and answers every known request with a sound answer, at the speed of a real line.
struct Scenario {
  // Handshake.
  ReponseSonde sonde = ReponseSonde::Ack;
  // NAKs given to each request frame before it is accepted; 3 or more: always refused.
  int naks = 0;
  ReponseEot reponseEot = ReponseEot::Enq;
  // The terminal's work on a request, between the console's EOT and its reply, in seconds.
  double delaiEnq = 0;
  // The character of `ReponseSonde::AckPuisAutre` and `ReponseEot::Autre`.
  std::string autre = "?";
  // The console's ACK after ENQ is met with silence instead of the answer.
  bool silenceAuLieuDeReponse = false;
  // Sent on the console's final ACK (EOT); empty: silence.
  std::string caractereFinal = std::string(1, EOT);
  // When not empty, every reply of the terminal (probe, frame, EOT, ACK) is these bytes instead.
  std::string bruit;

  // Pacing: characters at the line's speed (10 bits a character), or everything at once.
  bool rafale = false;
  int bauds = 9600;

  // Card switch "AA000": the four status characters, positions 7 to 10 of the answer.
  std::string statutSwitch = "0100";

  // Consultation "AJ00202".
  std::string enteteConsultation = "020";  // positions 7 to 9, not read by the console
  std::string numeroSerie = "ZEF30SIM0001";
  std::string nombreApplications = "04";
  std::array<Application, 4> applications{{
      {"PAIEM1", "01.00.0", "3F2A"},
      {"PAIEM2", "01.00.0", "7C11"},
      {"FIDELI", "02.01.0", "0B9E"},
      {"TELEPA", "01.03.2", "D4C0"},
  }};

  // Tele-collection, reports, ISO 2 track, clock and speed.
  ScenarioSoins soins;

  // Payments: validity, registration, dossiers.
  ScenarioPaiement paiement;

  // Answers chosen by the beginning of the request message ("AJ00205", "AK0290"...): the longest
  // beginning that matches wins over the families the terminal knows.
  std::map<std::string, ReponseChoisie> reponses;

  // Faults made on purpose (none by default).
  Perturbations fautes;

  // Frames the terminal sends while it works on the requests whose message begins with the key
  // (the longest that matches): before its answer (display frames while the card holder acts, a
  // report before the tele-collection's answer) and after it (its display blanked). Each goes on
  // the console's ACK of the one before.
  std::map<std::string, std::vector<std::string>> avantReponse;
  std::map<std::string, std::vector<std::string>> apresReponse;
  // Traffic of its own, as in maintenance mode: its ENQ, then these frames, each on the
  // console's ACK; played every `periodeSpontane` seconds while the line is idle (0: never).
  std::vector<std::string> spontane;
  double periodeSpontane = 0;
};

}  // namespace zef30::simulateur

#include "requests/Dossiers.h"

#include <cmath>
#include <string>
#include <vector>

#include "base/Texte.h"
#include "protocol/Trame.h"
#include "receipts/Tickets.h"
#include "requests/LigneResultat.h"
#include "requests/Paiement.h"

namespace zef30 {

namespace {
constexpr const char* kContexte = "DemInfo";
constexpr NumerosEchec kNumeros{-700, -700};
// The three closing characters of a frame (DLE, ETX or ETB, check character): a number never
// runs into them, so an entry that a count puts past the frame's end stays empty.
constexpr std::size_t kFinTrame = 3;
using TableDossiers = decltype(EtatConsole::DossiersEnCours);
const std::string kAck(1, ACK);

// One application block of the list's header: its name and its count of open dossiers.
struct Bloc {
  bool cbemv = false;
  int nombre = 0;
};

// Block 1 or 2 of the header.
Bloc LireBloc(const std::string& entete, int numero) {
  constexpr auto kListe = Message::ReponseListeDossiers;
  const bool premier = numero == 1;
  const NomChamp<kListe> application =
      premier ? NomChamp<kListe>("application 1") : NomChamp<kListe>("application 2");
  const NomChamp<kListe> dossiers =
      premier ? NomChamp<kListe>("dossiers 1") : NomChamp<kListe>("dossiers 2");
  Bloc bloc;
  bloc.cbemv = Extraire(LireChamp<kListe>(application, entete), 1, 5) == "CBEMV";
  const auto nombre = LireNombre(LireChamp<kListe>(dossiers, entete));
  if (nombre && *nombre >= 0 && *nombre == std::trunc(*nombre))
    bloc.nombre = static_cast<int>(*nombre);
  return bloc;
}

// The dossier numbers of one frame into the table from entry `premier` (from 0) on, as far as
// the table has room; an entry the frame does not hold whole stays empty.
void Ranger(const std::string& trame, int nombre, std::size_t premier, TableDossiers& table) {
  const Disposition& d = DispositionDe(Message::NumerosDossiers);
  const GroupeChamps& numeros = d.groupes.front();
  const std::size_t fin = trame.size() > kFinTrame ? trame.size() - kFinTrame : 0;
  for (std::size_t k = 0; k < static_cast<std::size_t>(nombre) && premier + k < table.size(); ++k) {
    const long position = numeros.debut + numeros.pas * static_cast<long>(k);
    if (static_cast<std::size_t>(position - 1 + kLargeurDossier) > fin) break;
    table[premier + k] = LireChampGroupe<Message::NumerosDossiers>({"dossier", "numéro"},
                                                                   static_cast<int>(k), trame);
  }
}
}  // namespace

ResultatRequete DemanderListeDossiers(Console& console) {
  auto& table = console.etat.DossiersEnCours;
  // Whatever becomes of this list, no number of an earlier one may pass for one of its own.
  table.fill({});
  Liaison& liaison = console.liaison;
  if (!liaison.AttendreTerminalPret()) return PasPret();
  const std::string entete = TexteReponse(liaison.EchangerListeDossiers(
      std::string(DispositionDe(Message::DemandeListeDossiers).debut), 25, kDelaiReponse));
  constexpr auto kListe = Message::ReponseListeDossiers;
  if (LireChamp<kListe>("statut", entete) != "0") return 1;
  const std::string blocs = LireChamp<kListe>("nombre de blocs", entete);
  if (blocs != "01" && blocs != "02") return 0;
  const Bloc premier = LireBloc(entete, 1);
  const Bloc second = blocs == "02" ? LireBloc(entete, 2) : Bloc{};

  // The terminal hands over one frame of numbers per block, in the order of the blocks.
  constexpr int kAttenduNumeros = 11;
  constexpr auto kBloc = Liaison::LectureParLongueur::Bloc;
  std::string trameA;
  if (liaison.EnvoyerTrame(kAck, 1, kDelaiReponse) == std::string(1, ENQ)) {
    trameA = liaison.EnvoyerTrameParLongueur(kBloc, kAck, kAttenduNumeros, kDelaiReponse).lu;
  }
  for (int i = 0; i < 2; ++i) liaison.EnvoyerTrame(kAck, 1, kDelaiReponse);
  std::string trameB;
  if (LireChamp<Message::NumerosDossiers>("suite", trameA) == "1") {
    trameB = liaison.EnvoyerTrameParLongueur(kBloc, kAck, kAttenduNumeros, kDelaiReponse).lu;
    liaison.EnvoyerTrame(kAck, 1, kDelaiReponse);
  }

  // "CBEMV" numbers from entry 1, then the others from the entry after the "CBEMV" count,
  // whichever block came first and however many numbers each frame holds.
  const bool cbemvDabord = premier.cbemv || !second.cbemv;
  const int nombreCbemv = cbemvDabord ? premier.nombre : second.nombre;
  Ranger(cbemvDabord ? trameA : trameB, nombreCbemv, 0, table);
  Ranger(cbemvDabord ? trameB : trameA, cbemvDabord ? second.nombre : premier.nombre,
         static_cast<std::size_t>(nombreCbemv), table);
  return static_cast<std::int16_t>(premier.nombre + second.nombre);
}

ResultatRequete DemanderInfoDossier(Console& console) {
  EtatConsole& etat = console.etat;
  etat.TexteTicket.clear();
  const auto dossier = ChampDossier(console, kContexte);
  if (!dossier) return Invalide({});
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  const std::string reponse = TexteReponse(console.liaison.EchangerReponseLongue(
      ComposerMessage<Message::DemandeInfoDossier>({{"dossier", *dossier}}), kDelaiReponse));
  const Disposition& d = DispositionDe(Message::ReponseInfoDossier);
  constexpr auto kReponse = Message::ReponseInfoDossier;
  if (LireChamp<kReponse>("statut", reponse) != "0" ||
      LireChamp<kReponse>("dossier", reponse) != "1") {
    return 1;
  }
  etat.TexteTicket = ConstruireTicketDossier(reponse, DebutRecu<Message::ReponseInfoDossier>());
  // The card of this dossier, not whatever an earlier payment left in the boxes.
  ReleverCarte(etat, reponse, d);
  return 0;
}

IssueRequete cmdDemConf_Click(Console& console) {
  const SuiviIssue suivi(console);
  Fenetre& fenetre = console.fenetre;
  fenetre.ViderListeDossiers();
  const ResultatRequete resultat =
      SousSablier(fenetre, [&] { return DemanderListeDossiers(console); });
  const std::int16_t nombre = NumeroResultat(resultat, kNumeros);
  std::string ligne = "Demande liste doss = " + std::to_string(nombre);
  fenetre.AjouterLigne(ligne);
  if (nombre == 0) {
    fenetre.AjouterLigne("Pas de Dossier en cours");
    return suivi.Conclure(true, false, std::move(ligne));
  }
  // Every entry the count announces, empty where the frames held no number for it. A refusal
  // counts "1" like a single dossier, but no frame filled its entry; nothing sent counts less
  // than none.
  bool numero = false;
  std::vector<std::string> liste;
  const auto& table = console.etat.DossiersEnCours;
  for (int i = 1; i <= nombre && static_cast<std::size_t>(i) <= table.size(); ++i) {
    const std::string dossier = Cp1252VersUtf8(table[static_cast<std::size_t>(i - 1)]);
    fenetre.AjouterLigne("Dossier No " + std::to_string(i) + " = " + dossier);
    numero = numero || !dossier.empty();
    liste.push_back(dossier);
  }
  fenetre.RemplirListeDossiers(liste);
  return suivi.Conclure(numero, !resultat, std::move(ligne));
}

IssueRequete cmdDemAbdn_Click(Console& console) {
  const SuiviIssue suivi(console);
  Fenetre& fenetre = console.fenetre;
  ResultatRequete resultat = 0;
  {
    Sablier sablier(fenetre);
    if (!LireDossierSaisi(console, kContexte)) return suivi.Conclure(false, true, "");
    resultat = DemanderInfoDossier(console);
  }
  const std::string ligne = "Demande info Dossier No " + EnDecimal(console.etat.NumeroDossier);
  if (!resultat || *resultat != 0) {
    fenetre.AjouterLigne(ligne + " = pas trouvé");
    return suivi.Conclure(false, !resultat, ligne + " = pas trouvé");
  }
  fenetre.AjouterLigne(ligne + " = OK");
  MontrerTicket(console);
  return suivi.Conclure(true, false, ligne + " = OK");
}

}  // namespace zef30

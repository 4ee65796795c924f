// A piloted console on the simulated terminal: commands written into a socket pair as a test
// framework would, one at a time, each answer read back with a bound before the next goes.
#include "headless/Pilotage.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/Horloge.h"
#include "console/Poste.h"
#include "headless/FenetreTexte.h"
#include "headless/JournalCampagne.h"
#include "link/PortAiguillage.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/LignesPilote.h"

namespace zef30 {
namespace {

// Long enough for a validity on a loaded machine; only a broken console waits it out.
constexpr int kLimiteMs = 30'000;

simulateur::Scenario Rapide() {
  simulateur::Scenario scenario;
  scenario.paiement.pauseCarte = scenario.paiement.pauseCode = scenario.paiement.pauseReponse = 0;
  return scenario;
}

// The whole console on the simulated terminal, its session served on a thread of its own as
// main serves it; the test holds the other end of the channel.
class ConsolePilotee {
 public:
  ConsolePilotee() : terminal_(Rapide()) {
    const std::string chemin = terminal_.OuvrirPseudoTerminal().ValeurOu({});
    table_.Associer(1, chemin);
    table_.Decrire(1, "terminal simulé");
    terminal_.Demarrer();
    port_ = std::make_unique<PortAiguillage>(table_);
    poste_ = std::make_unique<Poste>(*port_, horloge_, fenetre_, dossier_.Chemin());
    (void)::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_);
    client_ = essai::ClientPilote(fds_[1]);
    canal_ = std::make_unique<CanalDescripteurs>(fds_[0], fds_[0]);
    journal_ = std::make_unique<JournalCampagne>(dossier_.Fichier("campagne.jsonl"));
    pilote_ =
        std::make_unique<PiloteSansFenetre>(poste_->console, fenetre_, *canal_, journal_.get());
    fin_ = std::async(std::launch::async, [this] {
      pilote_->Session().Executer();
      return pilote_->Session().CodeSortie(false);
    });
  }
  ~ConsolePilotee() {
    // A listening left running by a failed case ends too.
    client_.Envoyer(R"({"id":"fin","arret":true})");
    FermerEntree();
    if (fin_.valid()) fin_.wait();
    for (const int fd : fds_) ::close(fd);
  }

  essai::ClientPilote& Client() { return client_; }
  // The end of input, as a framework that closes the console's standard input.
  void FermerEntree() { ::shutdown(fds_[1], SHUT_WR); }
  // The session's exit code once it has ended by itself, within the bound; -1 when it has not.
  int CodeFin() {
    if (fin_.wait_for(std::chrono::milliseconds(kLimiteMs)) != std::future_status::ready) return -1;
    return fin_.get();
  }
  int Enregistrements() const { return journal_->Nombre(); }

 private:
  simulateur::TerminalSimule terminal_;
  TablePorts table_;
  essai::DossierTemporaire dossier_;
  HorlogeSysteme horloge_;
  FenetreTexte fenetre_;
  std::unique_ptr<PortAiguillage> port_;
  std::unique_ptr<Poste> poste_;
  int fds_[2] = {-1, -1};
  std::unique_ptr<CanalDescripteurs> canal_;
  std::unique_ptr<JournalCampagne> journal_;
  std::unique_ptr<PiloteSansFenetre> pilote_;
  std::future<int> fin_;
  essai::ClientPilote client_;
};

// What "dossier" holds in a request's answer; empty when it holds none.
std::string Dossier(const std::string& reponse) {
  const std::string cle = "\"dossier\":\"";
  const auto debut = reponse.find(cle);
  if (debut == std::string::npos) return {};
  const auto fin = reponse.find('"', debut + cle.size());
  return reponse.substr(debut + cle.size(), fin - debut - cle.size());
}

TEST(SessionPilote, AnswersEachCommandOnItsLineAndGoesOnAfterABadOne) {
  struct Etape {
    // The command, "{dossier}" in it standing for the dossier the last request left.
    std::string commande;
    // Pieces of the answers to come, in their order, each in the answer of the piece before it
    // or in a later one; answers between them (events) skipped.
    std::vector<std::string> reponses;
    // Sent once the console says a listening runs.
    bool pendantEcoute = false;
  };
  struct Cas {
    const char* nom;
    std::vector<Etape> etapes;
    int requetes;  // recorded in the journal
    int code;      // once the input has ended
  };
  const std::string tropLongue =
      "{\"id\":9,\"etat\":true,\"x\":\"" + std::string(70'000, 'a') + "\"}";
  const Cas cas[] = {
      {"a validity, the registration of its dossier, that dossier's cancellation",
       {{R"({"id":1,"requete":"validite","entrees":{"prix":1250},"attendu":["réussie"]})",
         {R"({"id":1,"numero":1,"requete":"validite","reussie":true,)"}},
        {R"({"id":2,"requete":)", {R"({"id":2,"erreur":")"}},
        {R"({"id":3,"requete":"enregistrement","entrees":{"dossier":{dossier}}})",
         {R"({"id":3,"numero":2,"requete":"enregistrement","reussie":true,)"}},
        // The terminal closed the dossier when it registered it.
        {R"({"id":4,"requete":"annulation","entrees":{"dossier":"{dossier}"},)"
         R"("attendu":"échec ; état contient \"dossier inconnu\""})",
         {R"({"id":4,"numero":3,"requete":"annulation","reussie":true,)"}},
        {R"({"id":5,"fin":true})",
         {R"({"id":5,"fin":true,"requetes":3,"reussies":3,"journal":")"}}},
       3,
       0},
      {"the state, before and after a price",
       {{R"({"id":1,"etat":true})", {R"({"id":1,"etat":{"Prix":0,"NumeroDossier":)"}},
        {R"({"id":"p","requete":"prix","entrees":{"prix":"1250"}})",
         {R"({"id":"p","numero":1,"requete":"prix","reussie":true,)"}},
        {R"({"id":3,"etat":true})",
         {R"({"id":3,"etat":{"Prix":1250,)", R"j(terminal simulé)","ecoute":false}})j"}}},
       1,
       0},
      {"a stop during a listening that only it ends, and one when none runs",
       {{R"({"id":1,"requete":"maintenance"})", {}},
        {R"({"id":2,"arret":true})", {R"({"id":2,"arret":true})"}, true},
        {"", {R"({"id":1,"numero":1,"requete":"maintenance","reussie":true,)"}},
        {R"({"id":3,"arret":true})", {R"({"id":3,"erreur":"aucune écoute en cours"})"}}},
       1,
       0},
      {"a second request and the end refused while one runs",
       {{R"({"id":1,"requete":"maintenance"})", {}},
        {R"({"id":2,"requete":"switch"})",
         {R"j({"id":2,"erreur":"une requête est en cours (id 1)"})j"},
         true},
        {R"({"id":3,"fin":true})", {R"({"id":3,"erreur":"une requête est en cours"})"}},
        {R"({"id":4,"arret":true})",
         {R"({"id":4,"arret":true})", R"({"id":1,"numero":1,"requete":"maintenance",)"}}},
       1,
       0},
      {"the display lines before the record",
       {{R"({"id":"v","requete":"validite","entrees":{"prix":1250},"evenements":true})",
         {R"({"id":"v","evenement":"affichage","texte":"INSEREZ CARTE)", R"(CODE ?)",
          R"({"id":"v","numero":1,"requete":"validite",)"}}},
       1,
       0},
      {"an unknown request, a line past the bound, then a command",
       {{R"({"id":1,"requete":"inconnue"})", {R"({"id":1,"erreur":"requête inconnue)"}},
        {tropLongue, {R"({"id":null,"erreur":"ligne de plus de 64 Kio)"}},
        {R"({"id":3,"etat":true})", {R"({"id":3,"etat":{)"}}},
       0,
       0},
      {"a failed request",
       {{R"({"id":1,"requete":"annulation","entrees":{"dossier":"424242"}})",
         {R"({"id":1,"numero":1,"requete":"annulation","reussie":false,)"}}},
       1,
       1},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    ConsolePilotee console;
    std::string dossier;
    for (const Etape& etape : c.etapes) {
      SCOPED_TRACE(etape.commande.substr(0, 120));
      // Asked until it says so: the request's own waits read the commands.
      if (etape.pendantEcoute) {
        ASSERT_TRUE(console.Client().AttendreEcoute(kLimiteMs));
      }
      std::string commande = etape.commande;
      if (const auto place = commande.find("{dossier}"); place != std::string::npos) {
        commande.replace(place, 9, dossier);
      }
      if (!commande.empty()) console.Client().Envoyer(commande);
      std::string ligne;
      for (const std::string& attendue : etape.reponses) {
        // A piece may be further on in the answer the piece before it was found in.
        if (ligne.find(attendue) != std::string::npos) continue;
        std::string passees;
        ligne = console.Client().Attendre(attendue, kLimiteMs, &passees);
        ASSERT_NE(ligne, "") << "no answer holds " << attendue << ", only:\n" << passees;
        if (!Dossier(ligne).empty()) dossier = Dossier(ligne);
      }
    }
    console.FermerEntree();
    EXPECT_EQ(console.CodeFin(), c.code);
    EXPECT_EQ(console.Enregistrements(), c.requetes);
  }
}

}  // namespace
}  // namespace zef30

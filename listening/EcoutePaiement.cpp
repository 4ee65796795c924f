#include "listening/EcoutePaiement.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "base/Texte.h"
#include "listening/Ecoute.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/Trame.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

constexpr Horloge::Secondes kLimitePaiement = 300s;
// With the answer in, a terminal that shows nothing for this long is one that keeps its display
// to itself: the listening would only end on its limit.
constexpr Horloge::Secondes kSilenceAffichage = 20s;

const char* const kIndiceAffichage =
    "réponse reçue, mais aucun affichage du terminal depuis 20 s : l’écoute attend que "
    "l’afficheur s’efface et s’arrêtera sinon au bout de 5 min. « Ecran Hote » est coché alors "
    "que le terminal garde son affichage pour lui : requête sans « Ecran Hote » (ecran=non) ou "
    "terminal qui envoie son affichage (--sim paiement.ecran-hote=oui)";

class EcouteurPaiement : public Ecouteur {
 public:
  explicit EcouteurPaiement(const char* nom)
      : Ecouteur({.nom = nom,
                  .panneauVisible = Panneau::PanelAnnulation,
                  .panneauAffichage = Panneau::PanelAnnulation,
                  .attenteCaractere = 2s,
                  .attenteControle = 2s,
                  .limite = kLimitePaiement}) {}

  SuiteEcoute SurTrame(Ecoute& ecoute, const std::string& trame) override {
    if (EstTrameAffichage(trame)) {
      dernierSigne_ = ecoute.console.liaison.HorlogeLiaison().Maintenant();
      // "EFF" once the terminal has blanked its display: "D" and 32 blanks.
      etatAffichage_ = Extraire(trame, 2, 33) == "D" + std::string(32, ' ') ? "EFF" : "MESS";
    }
    return TraiterReponse(ecoute, trame, true);
  }

  SuiteEcoute SurBloc(Ecoute& ecoute, const std::string& trame) override {
    return TraiterReponse(ecoute, trame, false);
  }

  SuiteEcoute ApresPassage(Ecoute& ecoute) override {
    if (etatAffichage_ + etatReponse_ != "EFFMESS") {
      SignalerSilence(ecoute);
      return false;
    }
    // The terminal's last character, if any, is taken off the line without entering the trace.
    if (const auto dernier = ecoute.Attendre(1s); !dernier) return dernier.Erreur();
    return true;
  }

  std::string Rendre(const Ecoute&) const override { return reponse_; }

 protected:
  // The answer frame, and a second block read on when its length field calls for one;
  // `acquittee` when the listener has acknowledged it already.
  virtual SuiteEcoute TraiterReponse(Ecoute& ecoute, const std::string& trame, bool acquittee) = 0;

  void LireSecondBloc(Ecoute& ecoute, const std::string& trame, int taille) {
    Liaison& liaison = ecoute.console.liaison;
    const Liaison::TailleLecture toutLire(liaison, 0);
    reponse_ = JoindreBlocs(trame, liaison.EnvoyerTrame(std::string(1, ACK), taille, 10s));
  }

  // Once the answer is in, when no display frame has come for kSilenceAffichage: one hint.
  void SignalerSilence(Ecoute& ecoute) {
    if (etatReponse_ != "MESS" || indiceDonne_) return;
    const Horloge& horloge = ecoute.console.liaison.HorlogeLiaison();
    if (!reponseLe_) reponseLe_ = horloge.Maintenant();
    const Horloge::Instant depuis = std::max(*reponseLe_, dernierSigne_);
    if (horloge.Maintenant() - depuis < kSilenceAffichage) return;
    indiceDonne_ = true;
    ecoute.console.fenetre.DonnerIndice(kIndiceAffichage);
  }

  std::string etatAffichage_;
  std::string etatReponse_;
  std::string reponse_;
  Horloge::Instant dernierSigne_{};            // the last display frame
  std::optional<Horloge::Instant> reponseLe_;  // when the answer was seen in
  bool indiceDonne_ = false;
};

class EcouteurValidite final : public EcouteurPaiement {
 public:
  EcouteurValidite() : EcouteurPaiement("Écoute de la demande de validité") {}

  // The first line may hold what the card holder types: it is not shown.
  std::string Affichage(std::string_view trame) const override {
    if (!AffichageDeCode(trame)) return TexteAffichage(trame);
    return std::string(16, ' ') + "\r\n" + Extraire(trame, 19, 16);
  }

 private:
  SuiteEcoute TraiterReponse(Ecoute& ecoute, const std::string& trame, bool) override {
    if (!EstReponse(trame, "Ak")) return false;
    const auto longueur = LireLongueurTrame(trame);
    const int taille = longueur ? TailleSecondBloc(*longueur) : kTailleBlocMax;
    if (taille > 0) {
      LireSecondBloc(ecoute, trame, taille);
    } else {
      reponse_ = trame;
    }
    etatReponse_ = "MESS";
    return false;
  }
};

class EcouteurEnregistrement final : public EcouteurPaiement {
 public:
  EcouteurEnregistrement() : EcouteurPaiement("Écoute de la demande d’enregistrement") {}

 private:
  SuiteEcoute TraiterReponse(Ecoute& ecoute, const std::string& trame, bool acquittee) override {
    if (!EstReponse(trame, "Al")) return false;
    if (Caractere(trame, 7) == "9") {
      reponse_ = trame;
      // The refusal ends the listening at once, but the terminal closes it on that ACK: its
      // last character is taken off the line, or it would answer the next request's probe.
      if (!acquittee) return true;
      if (const auto dernier = ecoute.Attendre(kDelaiReponse); !dernier) return dernier.Erreur();
      return true;
    }
    const auto longueur = LireLongueurTrame(trame);
    if (!longueur) {
      return Invalide("longueur « " + Cp1252VersUtf8(Extraire(trame, 4, 3)) +
                      " » de la réponse illisible");
    }
    LireSecondBloc(ecoute, trame, TailleSecondBloc(*longueur));
    etatReponse_ = "MESS";
    return false;
  }
};

}  // namespace

std::string EcouterDemVAl(Console& console) { return Ecouter<EcouteurValidite>(console); }

std::string EcouterDemEnr(Console& console) { return Ecouter<EcouteurEnregistrement>(console); }

}  // namespace zef30

#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/Fenetre.h"
#include "console/Gestionnaires.h"
#include "window/ExecuteurPlan.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPoint;
class QPushButton;
class QRadioButton;

namespace zef30 {

// The operator's window "Test ZEF30": every control at its fixed place, found by its name. A click
// only forwards to the handler of its request family, with the console it was given.
class FenPresentation final : public QWidget, public Fenetre {
 public:
  explicit FenPresentation(QWidget* parent = nullptr);
  ~FenPresentation() override;

  // The console the clicks act on; until then a click does nothing.
  void AttacherConsole(Console& console);
  // The line a close gives back (closed, its trace written out) when it ends the console while a
  // request runs; `sortir` ends the program then (the process ends at once without it).
  void AttacherLigne(PortSerie& ligne);
  void DefinirSortie(std::function<void()> sortir);
  void DefinirExecuteurPlan(ExecuteurPlan executeur);
  // "Exécuter un plan…" once its file is chosen: the plan runs in the window, its lines in List1,
  // the operator's clicks and keys refused until it ends (but those of an operator step's box).
  // Refused while a request or a plan runs.
  void ExecuterPlan(const std::string& chemin);
  // Start-up: port 1, the port list from the scan of `port` (the console's), the display panel's
  // caption cleared.
  void Form_Load(PortSerie& port);

  void AjouterLigne(const std::string& ligne) override;
  void AfficherEtat(const std::string& contexte, const std::string& message) override;
  std::string LireEtat() const override;
  void AfficherCarte(const std::string& numero, const std::string& dateValidite) override;
  void EffacerCarte() override;
  std::string LireTexte(ZoneTexte zone) const override;
  void EcrireTexte(ZoneTexte zone, const std::string& texte) override;
  bool EcranHoteCoche() const override;
  bool ModeVenteChoisi() const override;
  void RemplirListeDossiers(const std::vector<std::string>& dossiers) override;
  void ViderListeDossiers() override;
  void DefinirLegende(Panneau panneau, const std::string& texte) override;
  void DefinirVisible(Panneau panneau, bool visible) override;
  void Rafraichir(Panneau panneau) override;
  void PointeurOccupe(bool occupe) override;
  void BoiteMessage(const std::string& titre, const std::string& texte) override;
  void CederAuxEvenements() override;
  void AjouterTexte(ZoneTexte zone, const std::string& texte) override;
  void DefinirCouleurFond(Panneau panneau, std::optional<Couleur> couleur) override;
  void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) override;
  void RefuserSaisiesEnAttente() override;
  // The link's wait while a request runs (PortFenetre): until `nombre` characters are waiting
  // on `port`, its line is gone or `echeance` has come. Meanwhile the window repaints and a
  // close ends the console, but nothing the operator clicks or types reaches a control: it is
  // dropped, and the status line says it was not taken.
  void AttendreLigne(PortSerie& port, int nombre, Horloge::Instant echeance);

 protected:
  void closeEvent(QCloseEvent* evenement) override;
  bool eventFilter(QObject* objet, QEvent* evenement) override;

 private:
  void ConstruireControles();
  void BrancherBouton(QPushButton* bouton, Gestionnaire gestionnaire, bool pendantUneRequete);
  // Runs one click handler through the console's guard, which keeps a second request off the line
  // while one runs; a handler that fails must not take the console down with it.
  void Executer(Gestionnaire gestionnaire, bool pendantUneRequete);
  QLabel* LabelDe(Panneau panneau) const;
  // One sleep in the window's event loop: until the line has a character, `echeance` (or the
  // moment the port has work due) has come, or an event of the window has been handled. When
  // `nombre` characters are already waiting or the time is up, only what is waiting is handled.
  void Dormir(PortSerie& port, int nombre, Horloge::Instant echeance);

  // Keeping the text of txtSelection in a file: Ctrl+S and the box's own menu.
  void BrancherEnregistrement();
  void MontrerMenuTexte(const QPoint& position);
  void EnregistrerSous();
  void EnregistrerEnTicket();
  // Combo1 shows the entry of the port the next request opens.
  void MontrerPortProchaineRequete();

  // "Exécuter un plan…": the plan's file, then the plan.
  void ChoisirPlan();
  // An operator step: OK goes on, Abandon ends the plan.
  bool DemanderOperateur(const std::string& texte);

  Console* console_ = nullptr;
  ExecuteurPlan executeurPlan_;
  bool planEnCours_ = false;
  PortSerie* ligne_ = nullptr;
  std::function<void()> sortir_;
  int pointeursOccupes_ = 0;
  // While more than zero, the operator's clicks and keys are dropped (a request holds the line).
  int saisiesRefusees_ = 0;
  // The entry of Combo1 that shows the port of the next request; -1 when none.
  int portChoisi_ = -1;

  QPlainTextEdit* txtSelection_ = nullptr;
  QListWidget* List1_ = nullptr;
  QListWidget* List2_ = nullptr;
  QLabel* PanelAnnulation_ = nullptr;
  QLabel* PanelRefus_ = nullptr;
  QLabel* LabelTemps_ = nullptr;
  QLabel* Label6_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QLineEdit* TextPrix_ = nullptr;
  QLineEdit* Text2_ = nullptr;
  QLineEdit* TextNoCB_ = nullptr;
  QLineEdit* TextDateVal_ = nullptr;
  QCheckBox* Check1_ = nullptr;
  QRadioButton* Option1_ = nullptr;
  QRadioButton* Option2_ = nullptr;
  QComboBox* Combo1_ = nullptr;
  QAction* enregistrerSous_ = nullptr;
  QAction* enregistrerTicket_ = nullptr;
  // The folder the operator last saved into during this run.
  QString dossierEnregistrement_;

  // The exact text last put into txtSelection: the box shows CR LF and other control characters
  // its own way, and a listener that reads the box back must get the characters it put there.
  // It is trusted while the box's document has not changed since the console last wrote to it.
  std::string texteSelection_;
  int revisionSelection_ = -1;
};

}  // namespace zef30

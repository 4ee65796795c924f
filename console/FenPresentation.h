#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/Fenetre.h"

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
  // Start-up: port 1, the port list from the scan, the display panel's caption cleared.
  void Form_Load();

  void AjouterLigne(const std::string& ligne) override;
  void AfficherEtat(const std::string& contexte, const std::string& message) override;
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

 protected:
  void closeEvent(QCloseEvent* evenement) override;
  bool eventFilter(QObject* objet, QEvent* evenement) override;

 private:
  using Gestionnaire = void (*)(Console&);

  void ConstruireControles();
  void BrancherBouton(QPushButton* bouton, Gestionnaire gestionnaire, bool pendantUneRequete);
  // Runs one click handler. A click that arrives while another handler runs (listeners let the
  // window handle events) is dropped, so two requests never share the line at once; only a
  // handler marked `pendantUneRequete` (stopping a listener) gets through.
  void Executer(Gestionnaire gestionnaire, bool pendantUneRequete);
  QLabel* LabelDe(Panneau panneau) const;

  // Keeping the text of txtSelection in a file: Ctrl+S and the box's own menu.
  void BrancherEnregistrement();
  void MontrerMenuTexte(const QPoint& position);
  void EnregistrerSous();
  void EnregistrerEnTicket();

  Console* console_ = nullptr;
  int gestionnairesEnCours_ = 0;
  int pointeursOccupes_ = 0;

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
  std::string texteSelection_;
  QString texteSelectionAffiche_;
};

}  // namespace zef30

#include "window/FenPresentation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <utility>

#include "base/ErreursSysteme.h"
#include "console/Demarrage.h"
#include "console/Gestionnaires.h"
#include "console/ListeDossiers.h"
#include "requests/BoutonsConsole.h"

// The icon is built into the window's static library: asking for it here keeps it in the program.
static void ChargerIcone() { Q_INIT_RESOURCE(Icone); }

namespace zef30 {

namespace {

constexpr int kLargeur = 863;
constexpr int kHauteur = 802;

QString EnQString(const std::string& texte) { return QString::fromStdString(texte); }

// Places a new control of kind T at its fixed place, named as the handlers and tests know it.
template <typename T>
T* Placer(QWidget* fenetre, const char* nom, int gauche, int haut, int largeur, int hauteur) {
  auto* controle = new T(fenetre);
  controle->setObjectName(QString::fromLatin1(nom));
  controle->setGeometry(gauche, haut, largeur, hauteur);
  return controle;
}

// A label shows its text as written: what comes from the terminal is never read as markup.
QLabel* PlacerLabel(QWidget* fenetre, const char* nom, const char* legende, int gauche, int haut,
                    int largeur, int hauteur) {
  auto* label = Placer<QLabel>(fenetre, nom, gauche, haut, largeur, hauteur);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setText(QString::fromUtf8(legende));
  return label;
}

void MettreEnGras(QWidget* controle, double points) {
  QFont police = controle->font();
  police.setBold(true);
  police.setPointSizeF(points);
  controle->setFont(police);
}

void Colorer(QWidget* controle, QPalette::ColorRole role, const QColor& couleur) {
  QPalette palette = controle->palette();
  palette.setColor(role, couleur);
  controle->setPalette(palette);
}

// The part of the banner that Picture1's frame shows: everything written on it stays inside.
constexpr int kBanniereVisibleLargeur = 305;
constexpr int kBanniereVisibleHauteur = 65;
constexpr int kMarge = 8;

// The largest pixel size, from `taille` down, at which `texte` is no wider than `largeur`.
QFont PoliceQuiTient(QFont police, int taille, const QString& texte, int largeur) {
  for (; taille > 6; --taille) {
    police.setPixelSize(taille);
    if (QFontMetrics(police).horizontalAdvance(texte) <= largeur) break;
  }
  police.setPixelSize(taille);
  return police;
}

// The banner of Picture1, drawn here rather than shipped: wider than its frame, shown clipped,
// so the mark and its line stand one above the other in the frame's part.
QPixmap DessinerBanniere() {
  QPixmap banniere(770, 85);
  QPainter peintre(&banniere);
  QLinearGradient degrade(0, 0, banniere.width(), 0);
  degrade.setColorAt(0, QColor(0, 51, 102));
  degrade.setColorAt(1, QColor(0, 128, 160));
  peintre.fillRect(banniere.rect(), degrade);
  peintre.setPen(QColor(255, 255, 192));
  const int largeur = kBanniereVisibleLargeur - 2 * kMarge;
  const QString marque = QStringLiteral("ZEF30");
  const QString ligne = QString::fromUtf8("Console de test du terminal");
  QFont police = peintre.font();
  police.setBold(true);
  police = PoliceQuiTient(police, 30, marque, largeur);
  peintre.setFont(police);
  const int hauteurMarque = QFontMetrics(police).height();
  peintre.drawText(QRect(kMarge, 2, largeur, hauteurMarque), Qt::AlignLeft | Qt::AlignVCenter,
                   marque);
  police.setBold(false);
  police = PoliceQuiTient(police, 13, ligne, largeur);
  peintre.setFont(police);
  peintre.drawText(
      QRect(kMarge, 2 + hauteurMarque, largeur, kBanniereVisibleHauteur - 4 - hauteurMarque),
      Qt::AlignLeft | Qt::AlignVCenter, ligne);
  return banniere;
}

// Buttons, the check box and the option buttons stand in places drawn for a narrow system font.
// They share one font: the window's, made smaller by quarter points until every caption fits its
// place whole, whatever font the desktop gives.
void AjusterPoliceDesLegendes(QWidget* fenetre) {
  const auto boutons = fenetre->findChildren<QAbstractButton*>();
  QFont police = fenetre->font();
  const auto toutesTiennent = [&boutons, &police] {
    for (QAbstractButton* bouton : boutons) bouton->setFont(police);
    for (QAbstractButton* bouton : boutons) {
      if (bouton->sizeHint().width() > bouton->width()) return false;
    }
    return true;
  };
  while (!toutesTiennent() && police.pointSizeF() > 6) {
    police.setPointSizeF(police.pointSizeF() - 0.25);
  }
}

// What the operator does with the pointer and the keyboard, in any window of the program.
bool EstSaisie(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
      return true;
    default:
      return false;
  }
}

// Keeps the operator's clicks and keys from every control of the program while `refuser` says
// so; `signaler` is told of each press, once.
class FiltreSaisies final : public QObject {
 public:
  FiltreSaisies(QObject* parent, std::function<bool()> refuser, std::function<void()> signaler)
      : QObject(parent), refuser_(std::move(refuser)), signaler_(std::move(signaler)) {}

 protected:
  bool eventFilter(QObject* objet, QEvent* evenement) override {
    if (!EstSaisie(evenement->type()) || !refuser_()) {
      return QObject::eventFilter(objet, evenement);
    }
    const auto type = evenement->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
        type == QEvent::KeyPress) {
      signaler_();
    }
    return true;
  }

 private:
  std::function<bool()> refuser_;
  std::function<void()> signaler_;
};

}  // namespace

FenPresentation::FenPresentation(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FenPresentation"));
  setWindowTitle(QStringLiteral("Test ZEF30"));
  ChargerIcone();
  setWindowIcon(QIcon(QStringLiteral(":/zef30/zef30-console.svg")));
  setFixedSize(kLargeur, kHauteur);
  // The places were drawn for a small system font: at the usual 9 or 10 points the captions of
  // the 145-pixel buttons would not fit.
  QFont police = font();
  police.setPointSizeF(8);
  setFont(police);
  ConstruireControles();
  AjusterPoliceDesLegendes(this);
  BrancherEnregistrement();
  QCoreApplication::instance()->installEventFilter(new FiltreSaisies(
      this, [this] { return saisiesRefusees_ > 0; },
      [this] {
        if (console_ != nullptr) SignalerSaisieRefusee(*console_);
      }));
}

FenPresentation::~FenPresentation() {
  while (pointeursOccupes_ > 0) PointeurOccupe(false);
}

void FenPresentation::ConstruireControles() {
  txtSelection_ = Placer<QPlainTextEdit>(this, "txtSelection", 8, 8, 313, 305);
  List1_ = Placer<QListWidget>(this, "List1", 328, 8, 369, 368);
  // One line of text per entry: no need to measure each one as thousands of lines come in.
  List1_->setUniformItemSizes(true);
  PlacerLabel(this, "Label7", "List No Dossier", 712, 8, 97, 17);
  List2_ = Placer<QListWidget>(this, "List2", 712, 24, 113, 342);

  // The terminal's display: its designer caption is cleared at start-up, and a listener shows it.
  PanelAnnulation_ = PlacerLabel(this, "PanelAnnulation", "Inserez", 8, 320, 313, 65);
  MettreEnGras(PanelAnnulation_, 18);
  PanelAnnulation_->setAlignment(Qt::AlignCenter);
  PanelAnnulation_->setAutoFillBackground(true);
  Colorer(PanelAnnulation_, QPalette::Window, QColor(255, 255, 192));
  PanelAnnulation_->hide();

  Text1_ = Placer<QLineEdit>(this, "Text1", 8, 392, 689, 25);
  Text1_->setReadOnly(true);

  PlacerLabel(this, "Label1", "Prix", 152, 424, 33, 25)
      ->setAlignment(Qt::AlignRight | Qt::AlignTop);
  TextPrix_ = Placer<QLineEdit>(this, "TextPrix", 192, 424, 113, 25);
  TextPrix_->setText(QStringLiteral("100"));

  PanelRefus_ = PlacerLabel(this, "PanelRefus", "", 520, 424, 193, 41);
  MettreEnGras(PanelRefus_, 12);
  PanelRefus_->setAlignment(Qt::AlignCenter);

  PlacerLabel(this, "Label5", "No Dossier", 168, 472, 97, 17);
  Label6_ = PlacerLabel(this, "Label6", "", 320, 480, 145, 17);
  MettreEnGras(Label6_, 9.75);
  Label6_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Colorer(Label6_, QPalette::WindowText, QColor(192, 0, 0));

  LabelTemps_ = PlacerLabel(this, "LabelTemps", "", 512, 480, 209, 57);
  MettreEnGras(LabelTemps_, 12);
  LabelTemps_->setAlignment(Qt::AlignCenter);

  const QFont arial(QStringLiteral("Arial"));
  Text2_ = Placer<QLineEdit>(this, "Text2", 168, 488, 137, 25);
  TextNoCB_ = Placer<QLineEdit>(this, "TextNoCB", 160, 552, 145, 25);
  for (QLineEdit* zone : {Text2_, TextNoCB_}) {
    QFont police = arial;
    police.setPointSizeF(9.75);
    zone->setFont(police);
  }
  PlacerLabel(this, "Label3", "N° CB", 160, 536, 73, 17);
  PlacerLabel(this, "Label4", "Date Validité", 160, 584, 73, 25);
  TextDateVal_ = Placer<QLineEdit>(this, "TextDateVal", 248, 584, 57, 25);

  Option1_ = Placer<QRadioButton>(this, "Option1", 168, 624, 97, 17);
  Option1_->setText(QStringLiteral("Mode Vente"));
  Option2_ = Placer<QRadioButton>(this, "Option2", 168, 648, 105, 13);
  Option2_->setText(QString::fromUtf8("Mode Vidéo"));
  Option2_->setChecked(true);
  Check1_ = Placer<QCheckBox>(this, "Check1", 304, 648, 81, 17);
  Check1_->setText(QStringLiteral("Ecran Hote"));
  Check1_->setChecked(true);

  PlacerLabel(this, "Label2", "Port COM:", 472, 632, 57, 25);
  Combo1_ = Placer<QComboBox>(this, "Combo1", 472, 648, 73, 21);
  Combo1_->setEditable(true);
  // Only an entry of the list chooses the port: what is typed is never added to the list, and
  // Enter after typing does not choose the entry that happens to bear the same text.
  Combo1_->setInsertPolicy(QComboBox::NoInsert);
  Combo1_->setCompleter(nullptr);
  Combo1_->lineEdit()->installEventFilter(this);
  connect(Combo1_, &QComboBox::activated, this, [this](int index) {
    if (console_ == nullptr || index < 0) return;
    // The box also picks the entry that bears the text typed into it when it loses the focus:
    // that is no pick, and the box shows again the port chosen.
    if (Combo1_->lineEdit()->isModified()) {
      Combo1_->setCurrentIndex(portChoisi_);
      if (portChoisi_ < 0) Combo1_->clearEditText();
      Combo1_->lineEdit()->setModified(false);
      return;
    }
    Combo1_Click(console_->etat, console_->liaison, Combo1_->itemText(index).toStdString());
    // The box shows the port the next request takes: once a request has opened one, a later
    // pick does not change it.
    MontrerPortProchaineRequete();
  });

  auto* picture = Placer<QLabel>(this, "Picture1", 160, 672, 305, 65);
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setPixmap(DessinerBanniere());

  // In the table's order, which is the order the operator tabs through them.
  for (const BoutonConsole& b : BoutonsConsole()) {
    auto* bouton = Placer<QPushButton>(this, b.nom, b.gauche, b.haut, 145, 25);
    bouton->setText(QString::fromUtf8(b.legende));
    bouton->setAutoDefault(false);
    BrancherBouton(bouton, b.gestionnaire, b.pendantUneRequete);
  }
  auto* plan = Placer<QPushButton>(this, "cmdExecuterPlan", 480, 744, 145, 25);
  plan->setText(QString::fromUtf8("Exécuter un plan…"));
  plan->setAutoDefault(false);
  connect(plan, &QPushButton::clicked, this, [this] { ChoisirPlan(); });
  // Nothing in the console offers the line-speed change to the operator.
  findChild<QPushButton*>(QStringLiteral("cmdDemVitesse"))->hide();

  // A click on a dossier number copies it into Text2, ready for the dossier information request.
  connect(List2_, &QListWidget::itemClicked, this, [this](QListWidgetItem* entree) {
    if (entree != nullptr) List2_Click(*this, entree->text().toStdString());
  });
}

void FenPresentation::BrancherBouton(QPushButton* bouton, Gestionnaire gestionnaire,
                                     bool pendantUneRequete) {
  connect(bouton, &QPushButton::clicked, this,
          [this, gestionnaire, pendantUneRequete] { Executer(gestionnaire, pendantUneRequete); });
}

void FenPresentation::Executer(Gestionnaire gestionnaire, bool pendantUneRequete) {
  if (console_ == nullptr) return;
  try {
    ExecuterGestionnaire(*console_, gestionnaire, pendantUneRequete);
  } catch (const std::exception& erreur) {
    // A handler that fails must not take the console down with it.
    BoiteMessage("Test ZEF30", DecrireException(erreur));
  }
}

void FenPresentation::AttacherConsole(Console& console) { console_ = &console; }

void FenPresentation::DefinirExecuteurPlan(ExecuteurPlan executeur) {
  executeurPlan_ = std::move(executeur);
}

void FenPresentation::ChoisirPlan() {
  if (console_ == nullptr || !executeurPlan_) return;
  const QString chemin =
      QFileDialog::getOpenFileName(this, QString::fromUtf8("Exécuter un plan…"), QString(),
                                   QString::fromUtf8("Plans (*.txt);;Tous les fichiers (*)"));
  if (!chemin.isEmpty()) ExecuterPlan(chemin.toStdString());
}

void FenPresentation::ExecuterPlan(const std::string& chemin) {
  if (console_ == nullptr || !executeurPlan_) return;
  if (planEnCours_ || console_->etat.GestionnairesEnCours > 0) {
    SignalerSaisieRefusee(*console_);
    return;
  }
  planEnCours_ = true;
  ++saisiesRefusees_;
  try {
    executeurPlan_(
        *console_, chemin, [this](const std::string& ligne) { AjouterLigne(ligne); },
        [this](const std::string& texte) { return DemanderOperateur(texte); });
  } catch (const std::exception& erreur) {
    // A plan that fails must not take the console down with it.
    BoiteMessage("Test ZEF30", DecrireException(erreur));
  }
  --saisiesRefusees_;
  planEnCours_ = false;
}

bool FenPresentation::DemanderOperateur(const std::string& texte) {
  // The person answers the box: their clicks count again until they have.
  const int refusees = std::exchange(saisiesRefusees_, 0);
  const int occupes = pointeursOccupes_;
  while (pointeursOccupes_ > 0) PointeurOccupe(false);
  QMessageBox boite(this);
  boite.setObjectName(QStringLiteral("BoiteOperateur"));
  boite.setWindowTitle(QString::fromUtf8("Opérateur"));
  boite.setTextFormat(Qt::PlainText);
  boite.setText(EnQString(texte));
  boite.setStandardButtons(QMessageBox::Ok | QMessageBox::Abort);
  boite.setDefaultButton(QMessageBox::Ok);
  boite.button(QMessageBox::Abort)->setText(QStringLiteral("Abandon"));
  const bool continuer = boite.exec() == QMessageBox::Ok;
  for (int i = 0; i < occupes; ++i) PointeurOccupe(true);
  saisiesRefusees_ = refusees;
  return continuer;
}

void FenPresentation::AttacherLigne(PortSerie& ligne) { ligne_ = &ligne; }

void FenPresentation::DefinirSortie(std::function<void()> sortir) { sortir_ = std::move(sortir); }

void FenPresentation::Form_Load(PortSerie& port) {
  if (console_ == nullptr) return;
  const auto ports = DemarrerConsole(console_->etat, console_->liaison, port);
  Combo1_->clear();
  int largeur = 0;
  for (const auto& port : ports) {
    Combo1_->addItem(EnQString(port));
    largeur = std::max(largeur, Combo1_->fontMetrics().horizontalAdvance(EnQString(port)));
  }
  // The box keeps its place; its list is as wide as its longest line.
  Combo1_->view()->setMinimumWidth(largeur + 2 * Combo1_->fontMetrics().averageCharWidth() + 24);
  MontrerPortProchaineRequete();
  PanelAnnulation_->setText(QString());
}

void FenPresentation::MontrerPortProchaineRequete() {
  portChoisi_ = -1;
  for (int i = 0; i < Combo1_->count(); ++i) {
    if (NumeroEntree(Combo1_->itemText(i).toStdString()) ==
        console_->liaison.PortProchaineRequete())
      portChoisi_ = i;
  }
  Combo1_->setCurrentIndex(portChoisi_);
  if (portChoisi_ < 0) Combo1_->clearEditText();
  Combo1_->lineEdit()->setModified(false);
  // The box is narrow: the whole line is in its tip.
  Combo1_->setToolTip(portChoisi_ < 0 ? QString() : Combo1_->itemText(portChoisi_));
}

void FenPresentation::closeEvent(QCloseEvent* evenement) {
  evenement->accept();
  // Closing the window ends the program whatever runs. A handler still running has the line and
  // may wait for minutes: the line is given back as it was found, with the last of its trace
  // written out; the other files are whole as they are written.
  if (console_ != nullptr && (console_->etat.GestionnairesEnCours > 0 || planEnCours_)) {
    if (ligne_ != nullptr) ligne_->Fermer();
    std::fflush(nullptr);
    if (sortir_) {
      sortir_();
    } else {
      std::_Exit(0);
    }
  }
}

bool FenPresentation::eventFilter(QObject* objet, QEvent* evenement) {
  if (objet == Combo1_->lineEdit() && evenement->type() == QEvent::KeyPress) {
    const int touche = static_cast<QKeyEvent*>(evenement)->key();
    if (touche == Qt::Key_Return || touche == Qt::Key_Enter) return true;
  }
  return QWidget::eventFilter(objet, evenement);
}

void FenPresentation::AjouterLigne(const std::string& ligne) {
  List1_->addItem(EnQString(ligne));
  List1_->setCurrentRow(List1_->count() - 1);
  List1_->scrollToBottom();
}

void FenPresentation::AfficherEtat(const std::string& contexte, const std::string& message) {
  Text1_->setText(EnQString(TexteEtat(contexte, message)));
  Text1_->repaint();
}

std::string FenPresentation::LireEtat() const { return Text1_->text().toStdString(); }

void FenPresentation::AfficherCarte(const std::string& numero, const std::string& dateValidite) {
  TextNoCB_->setText(EnQString(numero));
  TextDateVal_->setText(EnQString(dateValidite));
}

void FenPresentation::EffacerCarte() {
  TextNoCB_->clear();
  TextDateVal_->clear();
}

std::string FenPresentation::LireTexte(ZoneTexte zone) const {
  switch (zone) {
    case ZoneTexte::txtSelection:
      if (txtSelection_->document()->revision() == revisionSelection_) return texteSelection_;
      return txtSelection_->toPlainText().toStdString();
    case ZoneTexte::Text2:
      return Text2_->text().toStdString();
    case ZoneTexte::TextPrix:
      return TextPrix_->text().toStdString();
  }
  return {};
}

void FenPresentation::EcrireTexte(ZoneTexte zone, const std::string& texte) {
  QWidget* controle = nullptr;
  switch (zone) {
    case ZoneTexte::txtSelection:
      txtSelection_->setPlainText(EnQString(texte));
      texteSelection_ = texte;
      revisionSelection_ = txtSelection_->document()->revision();
      controle = txtSelection_;
      break;
    case ZoneTexte::Text2:
      Text2_->setText(EnQString(texte));
      controle = Text2_;
      break;
    case ZoneTexte::TextPrix:
      TextPrix_->setText(EnQString(texte));
      controle = TextPrix_;
      break;
  }
  // A request writes here before it waits on the line: show it now, not after.
  if (controle != nullptr) controle->repaint();
}

bool FenPresentation::EcranHoteCoche() const { return Check1_->isChecked(); }

bool FenPresentation::ModeVenteChoisi() const { return Option1_->isChecked(); }

void FenPresentation::RemplirListeDossiers(const std::vector<std::string>& dossiers) {
  for (const auto& dossier : dossiers) List2_->addItem(EnQString(dossier));
}

void FenPresentation::ViderListeDossiers() { List2_->clear(); }

QLabel* FenPresentation::LabelDe(Panneau panneau) const {
  switch (panneau) {
    case Panneau::PanelAnnulation:
      return PanelAnnulation_;
    case Panneau::PanelRefus:
      return PanelRefus_;
    case Panneau::LabelTemps:
      return LabelTemps_;
    case Panneau::Label6:
      return Label6_;
  }
  return Label6_;
}

void FenPresentation::DefinirLegende(Panneau panneau, const std::string& texte) {
  // The terminal's two display lines are separated by CR LF: one line break on the label.
  LabelDe(panneau)->setText(EnQString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void FenPresentation::DefinirCouleurFond(Panneau panneau, std::optional<Couleur> couleur) {
  QLabel* label = LabelDe(panneau);
  if (couleur) {
    label->setAutoFillBackground(true);
    Colorer(label, QPalette::Window, QColor(couleur->rouge, couleur->vert, couleur->bleu));
  } else {
    Colorer(label, QPalette::Window, palette().color(QPalette::Window));
  }
  label->repaint();
}

void FenPresentation::DefinirVisible(Panneau panneau, bool visible) {
  LabelDe(panneau)->setVisible(visible);
}

void FenPresentation::Rafraichir(Panneau panneau) { LabelDe(panneau)->repaint(); }

void FenPresentation::PointeurOccupe(bool occupe) {
  if (occupe) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++pointeursOccupes_;
  } else if (pointeursOccupes_ > 0) {
    QApplication::restoreOverrideCursor();
    --pointeursOccupes_;
  }
}

void FenPresentation::BoiteMessage(const std::string& titre, const std::string& texte) {
  // The operator answers the box with the ordinary pointer, then the busy one comes back.
  const int occupes = pointeursOccupes_;
  while (pointeursOccupes_ > 0) PointeurOccupe(false);
  QMessageBox boite(this);
  boite.setWindowTitle(EnQString(titre));
  boite.setTextFormat(Qt::PlainText);
  boite.setText(EnQString(texte));
  boite.setStandardButtons(QMessageBox::Ok);
  boite.exec();
  for (int i = 0; i < occupes; ++i) PointeurOccupe(true);
}

void FenPresentation::CederAuxEvenements() { QCoreApplication::processEvents(); }

void FenPresentation::AjouterTexte(ZoneTexte zone, const std::string& texte) {
  if (zone != ZoneTexte::txtSelection) {
    Fenetre::AjouterTexte(zone, texte);
    return;
  }
  // At the end of the document, whatever the operator selected: the cost of the added text only.
  const bool suivi = txtSelection_->document()->revision() == revisionSelection_;
  QTextCursor curseur(txtSelection_->document());
  curseur.movePosition(QTextCursor::End);
  curseur.insertText(EnQString(texte));
  if (suivi) {
    texteSelection_ += texte;
    revisionSelection_ = txtSelection_->document()->revision();
  }
  txtSelection_->ensureCursorVisible();
}

void FenPresentation::Dormir(PortSerie& port, int nombre, Horloge::Instant echeance) {
  const int fd = port.Descripteur();
  if (fd < 0) {
    // A port that is no system line keeps its own time: it waits by itself.
    QCoreApplication::processEvents();
    port.AttendreAuMoins(nombre, echeance);
    return;
  }
  // Awake again by the moment the port has work of its own due (the line trace's next writing):
  // the caller then asks the port again, and waits on.
  if (const auto reveil = port.ReveilAvant()) echeance = std::min(echeance, *reveil);
  const auto reste =
      std::chrono::ceil<std::chrono::milliseconds>(echeance - std::chrono::steady_clock::now());
  if (port.NombreEnAttente() >= nombre || reste.count() <= 0) {
    // Nothing to sleep for: what the window has waiting, the operator's clicks included.
    QCoreApplication::processEvents();
    return;
  }
  // Asleep until the line has a character, the deadline comes, or any event of the window
  // (a click, a repaint) has been handled; events already waiting are handled first.
  QSocketNotifier ligne(static_cast<qintptr>(fd), QSocketNotifier::Read);
  QTimer echeanceAtteinte;
  echeanceAtteinte.setSingleShot(true);
  echeanceAtteinte.setTimerType(Qt::PreciseTimer);
  echeanceAtteinte.start(reste);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void FenPresentation::AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) {
  Dormir(port, 1, echeance);
}

void FenPresentation::AttendreLigne(PortSerie& port, int nombre, Horloge::Instant echeance) {
  ++saisiesRefusees_;
  if (port.Descripteur() < 0) {
    Dormir(port, nombre, echeance);
  } else {
    for (;;) {
      // What came: taken in, a line gone found out, the trace's due writing done.
      port.AttendreAuMoins(nombre, std::chrono::steady_clock::now());
      if (!port.EstOuvert() || port.NombreEnAttente() >= nombre) break;
      if (std::chrono::steady_clock::now() >= echeance) break;
      Dormir(port, nombre, echeance);
    }
  }
  --saisiesRefusees_;
}

void FenPresentation::RefuserSaisiesEnAttente() {
  ++saisiesRefusees_;
  QCoreApplication::processEvents();
  --saisiesRefusees_;
}

}  // namespace zef30

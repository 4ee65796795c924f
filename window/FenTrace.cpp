#include "window/FenTrace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <vector>

#include "console/FichierIni.h"
#include "requests/DiagrammeSequence.h"

namespace zef30 {

FenTrace::FenTrace(PortTrace& trace, QWidget* parent) : QWidget(parent, Qt::Window), trace_(trace) {
  setObjectName(QStringLiteral("FenTrace"));
  setWindowTitle(QStringLiteral("Trace"));
  resize(900, 500);

  texte_ = new QPlainTextEdit(this);
  texte_->setObjectName(QStringLiteral("texteTrace"));
  texte_->setReadOnly(true);
  texte_->setLineWrapMode(QPlainTextEdit::NoWrap);
  texte_->setMaximumBlockCount(kEnregistrementsMax);
  QFont fixe(QStringLiteral("Monospace"));
  fixe.setStyleHint(QFont::TypeWriter);
  texte_->setFont(fixe);

  filtre_ = new QComboBox(this);
  filtre_->setObjectName(QStringLiteral("filtreTrace"));
  filtre_->addItem(QStringLiteral("Tout"));
  filtre_->addItem(QString::fromUtf8("Sans les trames d’affichage"));
  filtre_->addItem(QString::fromUtf8("Trames d’affichage seulement"));
  connect(filtre_, &QComboBox::currentIndexChanged, this, [this] { Redessiner(); });

  noms_ = new QCheckBox(QString::fromUtf8("Noms décodés"), this);
  noms_->setObjectName(QStringLiteral("nomsTrace"));
  connect(noms_, &QCheckBox::toggled, this, [this] {
    for (Ligne& ligne : lignes_) ligne.texte = Texte(ligne.enregistrement);
    Redessiner();
  });

  detail_ = new QPlainTextEdit(this);
  detail_->setObjectName(QStringLiteral("detailTrace"));
  detail_->setReadOnly(true);
  detail_->setMaximumHeight(120);
  detail_->setFont(fixe);
  connect(texte_, &QPlainTextEdit::cursorPositionChanged, this, [this] { MontrerDetail(); });

  auto* diagramme = new QPushButton(QString::fromUtf8("Diagramme de l’échange…"), this);
  diagramme->setObjectName(QStringLiteral("diagrammeTrace"));
  connect(diagramme, &QPushButton::clicked, this, [this] { DemanderDiagramme(); });

  auto* enregistrer = new QPushButton(QStringLiteral("Enregistrer…"), this);
  enregistrer->setObjectName(QStringLiteral("enregistrerTrace"));
  connect(enregistrer, &QPushButton::clicked, this, [this] { DemanderEnregistrement(); });

  auto* barre = new QHBoxLayout;
  barre->addWidget(filtre_);
  barre->addWidget(noms_);
  barre->addStretch();
  barre->addWidget(diagramme);
  barre->addWidget(enregistrer);
  auto* disposition = new QVBoxLayout(this);
  disposition->addLayout(barre);
  disposition->addWidget(texte_);
  disposition->addWidget(detail_);

  trace_.Observer([this](const EnregistrementTrace& e, bool remplace) { Recevoir(e, remplace); });
}

bool FenTrace::Montree(const Ligne& ligne) const {
  switch (filtre_->currentIndex()) {
    case SansAffichage:
      return !ligne.enregistrement.affichage;
    case AffichageSeul:
      return ligne.enregistrement.affichage;
    default:
      return true;
  }
}

std::string FenTrace::Texte(const EnregistrementTrace& e) const {
  if (!noms_->isChecked()) return FormaterEnregistrement(e);
  return FormaterEnregistrement(e, ResumerSalve(e), TexteLisible(e.octets));
}

std::optional<std::size_t> FenTrace::Selection() const {
  const int bloc = texte_->textCursor().blockNumber();
  int montree = -1;
  for (std::size_t i = 0; i < lignes_.size(); ++i) {
    if (Montree(lignes_[i]) && ++montree == bloc) return i;
  }
  return std::nullopt;
}

void FenTrace::MontrerDetail() {
  const auto i = Selection();
  QString texte;
  if (i) {
    const EnregistrementTrace& e = lignes_[*i].enregistrement;
    texte = QString::fromStdString(TexteLisible(e.octets));
    for (const auto& d : e.decodages) texte += QLatin1Char('\n') + QString::fromStdString(d);
  }
  detail_->setPlainText(texte);
}

void FenTrace::Recevoir(const EnregistrementTrace& enregistrement, bool remplace) {
  // Closed, the window only keeps the record: a flood of frames is read with nobody to look at
  // the trace, and each frame would otherwise wait for its line to be made and laid out.
  if (!isVisible()) {
    if (remplace && !lignes_.empty()) {
      lignes_.back() = Ligne{enregistrement, {}};
    } else {
      lignes_.push_back(Ligne{enregistrement, {}});
      if (lignes_.size() > static_cast<std::size_t>(kEnregistrementsMax)) lignes_.pop_front();
    }
    enRetard_ = true;
    return;
  }
  Ligne ligne{enregistrement, Texte(enregistrement)};
  const bool etaitMontree = remplace && !lignes_.empty() && Montree(lignes_.back());
  if (remplace && !lignes_.empty()) {
    lignes_.back() = std::move(ligne);
  } else {
    lignes_.push_back(std::move(ligne));
    if (lignes_.size() > static_cast<std::size_t>(kEnregistrementsMax)) lignes_.pop_front();
  }
  if (etaitMontree) {
    // The burst grew: its line is the last one shown, written again.
    QTextCursor curseur(texte_->document()->lastBlock());
    curseur.select(QTextCursor::BlockUnderCursor);
    curseur.removeSelectedText();
  }
  if (Montree(lignes_.back())) {
    texte_->appendPlainText(QString::fromStdString(lignes_.back().texte));
  }
}

void FenTrace::showEvent(QShowEvent* evenement) {
  QWidget::showEvent(evenement);
  if (enRetard_) Redessiner();
}

void FenTrace::Redessiner() {
  enRetard_ = false;
  for (Ligne& ligne : lignes_) {
    if (ligne.texte.empty()) ligne.texte = Texte(ligne.enregistrement);
  }
  QString tout;
  for (const Ligne& ligne : lignes_) {
    if (Montree(ligne)) tout += QString::fromStdString(ligne.texte) + QLatin1Char('\n');
  }
  if (tout.endsWith(QLatin1Char('\n'))) tout.chop(1);
  texte_->setPlainText(tout);
}

bool FenTrace::Enregistrer(const QString& chemin, QString& erreur) const {
  if (QFile::exists(chemin) && !QFile::remove(chemin)) {
    erreur = chemin + QString::fromUtf8(" : impossible de remplacer ce fichier");
    return false;
  }
  if (!trace_.Fichier().empty()) {
    if (QFile::copy(QString::fromStdString(trace_.Fichier()), chemin)) return true;
    erreur = chemin + QString::fromUtf8(" : impossible d’y copier la trace");
    return false;
  }
  QFile fichier(chemin);
  if (!fichier.open(QIODevice::WriteOnly)) {
    erreur = chemin + QStringLiteral(" : ") + fichier.errorString();
    return false;
  }
  std::string texte = trace_.Entete() + "\n";
  for (const Ligne& ligne : lignes_) {
    texte += FormaterEnregistrement(ligne.enregistrement) + "\n" +
             FormaterDecodages(ligne.enregistrement);
  }
  if (fichier.write(texte.data(), static_cast<qint64>(texte.size())) !=
      static_cast<qint64>(texte.size())) {
    erreur = chemin + QStringLiteral(" : ") + fichier.errorString();
    return false;
  }
  return true;
}

void FenTrace::DemanderEnregistrement() {
  const QString chemin = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer la trace"),
                                                      QStringLiteral("trace.txt"));
  if (chemin.isEmpty()) return;
  QString erreur;
  if (!Enregistrer(chemin, erreur)) QMessageBox::warning(this, QStringLiteral("Trace"), erreur);
}

bool FenTrace::EnregistrerDiagramme(const QString& chemin, QString& erreur) const {
  const auto i = Selection();
  if (!i) {
    erreur = QString::fromUtf8("Choisissez d’abord un enregistrement de l’échange");
    return false;
  }
  const std::vector<EnregistrementTrace> tous = [this] {
    std::vector<EnregistrementTrace> v;
    for (const Ligne& ligne : lignes_) v.push_back(ligne.enregistrement);
    return v;
  }();
  if (const auto ecrit =
          RemplacerFichier(chemin.toStdString(), DessinerSequence(EchangeDe(tous, *i)));
      !ecrit) {
    erreur = chemin + QStringLiteral(" : ") + QString::fromStdString(ecrit.Erreur().texte);
    return false;
  }
  return true;
}

void FenTrace::DemanderDiagramme() {
  const QString chemin = QFileDialog::getSaveFileName(
      this, QString::fromUtf8("Diagramme de l’échange"), QStringLiteral("echange.svg"));
  if (chemin.isEmpty()) return;
  QString erreur;
  if (!EnregistrerDiagramme(chemin, erreur)) {
    QMessageBox::warning(this, QStringLiteral("Trace"), erreur);
  }
}

void BrancherFenTrace(QWidget& principale, FenTrace& fenTrace) {
  auto* raccourci = new QShortcut(QKeySequence(Qt::Key_F12), &principale);
  raccourci->setContext(Qt::WindowShortcut);
  QObject::connect(raccourci, &QShortcut::activated, &fenTrace, [&fenTrace] {
    fenTrace.show();
    fenTrace.raise();
    fenTrace.activateWindow();
  });
}

}  // namespace zef30

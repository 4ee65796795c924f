#include "window/FenTrace.h"

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

  auto* enregistrer = new QPushButton(QStringLiteral("Enregistrer…"), this);
  enregistrer->setObjectName(QStringLiteral("enregistrerTrace"));
  connect(enregistrer, &QPushButton::clicked, this, [this] { DemanderEnregistrement(); });

  auto* barre = new QHBoxLayout;
  barre->addWidget(filtre_);
  barre->addStretch();
  barre->addWidget(enregistrer);
  auto* disposition = new QVBoxLayout(this);
  disposition->addLayout(barre);
  disposition->addWidget(texte_);

  trace_.Observer([this](const EnregistrementTrace& e, bool remplace) { Recevoir(e, remplace); });
}

bool FenTrace::Montree(const Ligne& ligne) const {
  switch (filtre_->currentIndex()) {
    case SansAffichage:
      return !ligne.affichage;
    case AffichageSeul:
      return ligne.affichage;
    default:
      return true;
  }
}

void FenTrace::Recevoir(const EnregistrementTrace& enregistrement, bool remplace) {
  Ligne ligne{FormaterEnregistrement(enregistrement), enregistrement.affichage};
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

void FenTrace::Redessiner() {
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
  for (const Ligne& ligne : lignes_) texte += ligne.texte + "\n";
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

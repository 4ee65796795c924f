#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QPlainTextEdit>
#include <memory>

#include "console/SauvegardeTexte.h"
#include "window/FenPresentation.h"

namespace zef30 {

void FenPresentation::BrancherEnregistrement() {
  // Ctrl+S works wherever the focus is in the window: txtSelection holds the only text to keep.
  enregistrerSous_ = new QAction(QString::fromUtf8("Enregistrer sous…"), this);
  enregistrerSous_->setShortcut(QKeySequence::Save);
  enregistrerSous_->setShortcutContext(Qt::WindowShortcut);
  addAction(enregistrerSous_);
  connect(enregistrerSous_, &QAction::triggered, this, &FenPresentation::EnregistrerSous);

  enregistrerTicket_ = new QAction(QStringLiteral("Enregistrer comme ticket"), this);
  connect(enregistrerTicket_, &QAction::triggered, this, &FenPresentation::EnregistrerEnTicket);

  txtSelection_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(txtSelection_, &QWidget::customContextMenuRequested, this,
          &FenPresentation::MontrerMenuTexte);
}

void FenPresentation::MontrerMenuTexte(const QPoint& position) {
  // The box's usual menu (copy, select all…), with the two ways of keeping its text below.
  const std::unique_ptr<QMenu> menu(txtSelection_->createStandardContextMenu());
  menu->setObjectName(QStringLiteral("MenuTexte"));
  menu->addSeparator();
  menu->addAction(enregistrerSous_);
  menu->addAction(enregistrerTicket_);
  menu->exec(txtSelection_->viewport()->mapToGlobal(position));
}

void FenPresentation::EnregistrerSous() {
  if (console_ == nullptr) return;
  // A dialog would hold up a running listener, and the terminal with it, for as long as it is
  // open; the receipt file of the minute needs no dialog.
  if (console_->etat.GestionnairesEnCours > 0) {
    AjouterLigne(
        "Enregistrer sous… : attendez la fin de la demande en cours, ou choisissez "
        "« Enregistrer comme ticket »");
    return;
  }
  const auto octets = TexteAffichePourFichier(*this);
  if (!octets) return;
  // The dated name of a receipt file, in the folder last used or else the program folder.
  const QString dossier = dossierEnregistrement_.isEmpty()
                              ? QFile::decodeName(console_->fichiers.DossierProgramme().c_str())
                              : dossierEnregistrement_;
  const QString nom =
      QFileInfo(QFile::decodeName(console_->fichiers.CheminTicket().c_str())).fileName();
  const QString chemin = QFileDialog::getSaveFileName(
      this, QString::fromUtf8("Enregistrer le texte affiché"), QDir(dossier).filePath(nom),
      QStringLiteral("Textes (*.txt);;Tous les fichiers (*)"));
  if (chemin.isEmpty()) return;
  dossierEnregistrement_ = QFileInfo(chemin).absolutePath();
  EnregistrerTexteSous(*this, QFile::encodeName(chemin).toStdString(), *octets);
}

void FenPresentation::EnregistrerEnTicket() {
  if (console_ == nullptr) return;
  const auto octets = TexteAffichePourFichier(*this);
  if (octets) EnregistrerTexteEnTicket(*this, console_->fichiers, *octets);
}

}  // namespace zef30

#pragma once

#include <QWidget>
#include <deque>
#include <string>

#include "link/PortTrace.h"

class QComboBox;
class QPlainTextEdit;

namespace zef30 {

// The "Trace" window: the line trace live, the last kEnregistrementsMax records of it, with a
// filter for the terminal's display frames and a "save" action for the whole trace.
class FenTrace final : public QWidget {
 public:
  static constexpr int kEnregistrementsMax = 5000;

  explicit FenTrace(PortTrace& trace, QWidget* parent = nullptr);

  // The whole trace into `chemin`: a copy of the file being written, or, without --trace, its
  // header and the records this window holds. False, with the reason, when it cannot be written.
  bool Enregistrer(const QString& chemin, QString& erreur) const;

 private:
  enum Filtre { Tout, SansAffichage, AffichageSeul };
  struct Ligne {
    std::string texte;
    bool affichage = false;
  };

  void Recevoir(const EnregistrementTrace& enregistrement, bool remplace);
  bool Montree(const Ligne& ligne) const;
  void Redessiner();
  void DemanderEnregistrement();

  PortTrace& trace_;
  std::deque<Ligne> lignes_;
  QPlainTextEdit* texte_ = nullptr;
  QComboBox* filtre_ = nullptr;
};

// F12 in `principale` opens the Trace window (or brings it to the front), without a control more.
void BrancherFenTrace(QWidget& principale, FenTrace& fenTrace);

}  // namespace zef30

#pragma once

#include <QWidget>
#include <deque>
#include <optional>
#include <string>

#include "link/PortTrace.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;

namespace zef30 {

// The "Trace" window: the line trace live, the last kEnregistrementsMax records of it, with a
// filter for the terminal's display frames and a "save" action for the whole trace. Under the
// list, the selected record's frames in words; the list can name what each burst carries in
// place of its hexadecimal, and the selected record's exchange can be saved as a sequence chart.
class FenTrace final : public QWidget {
 public:
  static constexpr int kEnregistrementsMax = 5000;

  explicit FenTrace(PortTrace& trace, QWidget* parent = nullptr);

  // The whole trace into `chemin`: a copy of the file being written, or, without --trace, its
  // header and the records this window holds. False, with the reason, when it cannot be written.
  bool Enregistrer(const QString& chemin, QString& erreur) const;
  // The sequence chart (SVG) of the exchange of the selected record into `chemin`.
  bool EnregistrerDiagramme(const QString& chemin, QString& erreur) const;

 private:
  enum Filtre { Tout, SansAffichage, AffichageSeul };
  struct Ligne {
    EnregistrementTrace enregistrement;
    std::string texte;  // empty until the window shows it
  };

 protected:
  // What came while the window was closed is written out when it opens, not as it came.
  void showEvent(QShowEvent* evenement) override;

 private:
  void Recevoir(const EnregistrementTrace& enregistrement, bool remplace);
  bool Montree(const Ligne& ligne) const;
  std::string Texte(const EnregistrementTrace& enregistrement) const;
  // Every record shown again, the texts of those not written yet made first.
  void Redessiner();
  void DemanderEnregistrement();
  void DemanderDiagramme();
  // The record of the line the cursor is on, as an index into lignes_.
  std::optional<std::size_t> Selection() const;
  void MontrerDetail();

  PortTrace& trace_;
  std::deque<Ligne> lignes_;
  QPlainTextEdit* texte_ = nullptr;
  QComboBox* filtre_ = nullptr;
  QCheckBox* noms_ = nullptr;
  QPlainTextEdit* detail_ = nullptr;
  // Records came while the window was closed: the list is written again when it opens.
  bool enRetard_ = false;
};

// F12 in `principale` opens the Trace window (or brings it to the front), without a control more.
void BrancherFenTrace(QWidget& principale, FenTrace& fenTrace);

}  // namespace zef30

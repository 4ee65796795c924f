#include "window/MiseAEcran.h"

#include <QCloseEvent>
#include <QScrollBar>

namespace zef30 {

namespace {

class CadreDefilant final : public QScrollArea {
 public:
  explicit CadreDefilant(QWidget& fenetre) {
    setObjectName(QStringLiteral("CadreDefilant"));
    setWindowTitle(fenetre.windowTitle());
    setWindowIcon(fenetre.windowIcon());
    setFrameShape(QFrame::NoFrame);
    setWidget(&fenetre);
    setMaximumSize(fenetre.size() + QSize(verticalScrollBar()->sizeHint().width(),
                                          horizontalScrollBar()->sizeHint().height()));
  }
  ~CadreDefilant() override { takeWidget(); }
  CadreDefilant(const CadreDefilant&) = delete;
  CadreDefilant& operator=(const CadreDefilant&) = delete;

 protected:
  // The window decides what closing means while a request runs.
  void closeEvent(QCloseEvent* evenement) override {
    if (widget() != nullptr) widget()->close();
    evenement->accept();
  }
};

}  // namespace

std::unique_ptr<QScrollArea> MettreAEcran(QWidget& fenetre, const QSize& disponible) {
  if (disponible.width() >= fenetre.width() && disponible.height() >= fenetre.height()) {
    return nullptr;
  }
  auto cadre = std::make_unique<CadreDefilant>(fenetre);
  cadre->resize(disponible.boundedTo(cadre->maximumSize()));
  return cadre;
}

}  // namespace zef30

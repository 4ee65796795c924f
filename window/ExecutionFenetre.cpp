#include "window/ExecutionFenetre.h"

#include <QApplication>
#include <QScreen>
#include <iostream>
#include <optional>
#include <utility>

#include "console/Console.h"
#include "console/Poste.h"
#include "window/FenPresentation.h"
#include "window/FenTrace.h"
#include "window/MiseAEcran.h"
#include "window/PilotageFenetre.h"
#include "window/PortFenetre.h"
#include "window/TraductionsQt.h"

namespace zef30 {

int ExecuterFenetre(int& argc, char** argv, const char* programme, int numeroPort,
                    const Horloge& horloge, PortTrace& trace, const std::string& dossier,
                    const ExecuteurPlan& executeurPlan, const OuvreurPilotage& ouvrirPilotage) {
  QApplication application(argc, argv);
  // Desktops find the console's entry and icon by this name.
  QApplication::setDesktopFileName(QString::fromLatin1(programme));
  const auto traductions = ChargerTraductionsQt(QLocale::system());
  if (traductions) QApplication::installTranslator(traductions.get());
  FenPresentation fenetre;
  // The link's waits are the window's: it repaints, a close is heard, the operator's clicks
  // during a request are dropped.
  PortFenetre ligne(trace, fenetre);
  Poste poste(ligne, horloge, fenetre, dossier);
  poste.ChoisirPort(numeroPort);
  fenetre.AttacherLigne(ligne);
  SignalerErreursPort(poste.liaison, fenetre);
  SignalerEchecTrace(trace, fenetre, std::cerr);

  fenetre.AttacherConsole(poste.console);
  fenetre.DefinirExecuteurPlan(executeurPlan);
  fenetre.Form_Load(trace);
  FenTrace fenTrace(trace);
  BrancherFenTrace(fenetre, fenTrace);
  std::optional<PilotageFenetre> pilotage;
  if (ouvrirPilotage) {
    auto ouvert = ouvrirPilotage(poste.console);
    if (!ouvert) {
      std::cerr << programme << " : " << ouvert.Erreur().texte << '\n';
      return 2;
    }
    pilotage.emplace(fenetre, std::move(*ouvert), [](int code) { QApplication::exit(code); });
  }
  const QScreen* ecran = QGuiApplication::primaryScreen();
  const auto cadre =
      MettreAEcran(fenetre, ecran != nullptr ? ecran->availableGeometry().size() : fenetre.size());
  if (cadre) {
    cadre->showMaximized();
  } else {
    fenetre.show();
  }
  return application.exec();
}

}  // namespace zef30

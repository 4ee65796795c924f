#include "window/ExecutionFenetre.h"

#include <QApplication>
#include <QScreen>
#include <iostream>

#include "console/Console.h"
#include "console/FichiersConsole.h"
#include "window/FenPresentation.h"
#include "window/FenTrace.h"
#include "window/MiseAEcran.h"
#include "window/TraductionsQt.h"

namespace zef30 {

int ExecuterFenetre(int& argc, char** argv, const char* programme, EtatConsole& etat,
                    Liaison& liaison, PortTrace& trace, const std::string& dossier) {
  QApplication application(argc, argv);
  // Desktops find the console's entry and icon by this name.
  QApplication::setDesktopFileName(QString::fromLatin1(programme));
  const auto traductions = ChargerTraductionsQt(QLocale::system());
  if (traductions) QApplication::installTranslator(traductions.get());
  FenPresentation fenetre;
  FichiersConsole fichiers(dossier, fenetre);
  Console console{etat, liaison, fenetre, fichiers};
  SignalerErreursPort(liaison, fenetre);
  SignalerEchecTrace(trace, fenetre, std::cerr);

  fenetre.AttacherConsole(console);
  fenetre.Form_Load(trace);
  FenTrace fenTrace(trace);
  BrancherFenTrace(fenetre, fenTrace);
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

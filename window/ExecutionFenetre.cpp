#include "window/ExecutionFenetre.h"

#include <QApplication>

#include "console/Console.h"
#include "console/FichiersConsole.h"
#include "window/FenPresentation.h"
#include "window/FenTrace.h"

namespace zef30 {

int ExecuterFenetre(int& argc, char** argv, const char* programme, EtatConsole& etat,
                    Liaison& liaison, PortTrace& trace, const std::string& dossier) {
  QApplication application(argc, argv);
  // Desktops find the console's entry and icon by this name.
  QApplication::setDesktopFileName(QString::fromLatin1(programme));
  FenPresentation fenetre;
  FichiersConsole fichiers(dossier, fenetre);
  Console console{etat, liaison, fenetre, fichiers};
  SignalerErreursPort(liaison, fenetre);

  fenetre.AttacherConsole(console);
  fenetre.Form_Load(trace);
  FenTrace fenTrace(trace);
  BrancherFenTrace(fenetre, fenTrace);
  fenetre.show();
  return application.exec();
}

}  // namespace zef30

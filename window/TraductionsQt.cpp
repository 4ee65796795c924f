#include "window/TraductionsQt.h"

#include <QLibraryInfo>

namespace zef30 {

std::unique_ptr<QTranslator> ChargerTraductionsQt(const QLocale& langue) {
  if (langue.language() != QLocale::French && langue.language() != QLocale::C) return nullptr;
  auto traductions = std::make_unique<QTranslator>();
  if (!traductions->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return nullptr;
  }
  return traductions;
}

}  // namespace zef30

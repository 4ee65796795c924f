#pragma once

#include <QLocale>
#include <QTranslator>
#include <memory>

namespace zef30 {

// Qt's own texts (the text box's menu, the file dialog, the buttons of message boxes) in French,
// as the rest of the window is, when the user's language is French or not set (the C locale).
// Null when the user chose another language, or when Qt's French translations are not installed
// (qt6-translations-l10n): Qt then speaks its own English.
std::unique_ptr<QTranslator> ChargerTraductionsQt(const QLocale& langue);

}  // namespace zef30

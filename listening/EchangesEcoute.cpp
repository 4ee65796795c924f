// Placeholders until the listeners land: every exchange fails as a terminal that never answered.
#include "listening/EchangesEcoute.h"

#include "link/Trame.h"

namespace zef30 {

std::string EchangerDemarrage(Console&, std::string_view, int, double) { return {}; }

std::string EchangerDemEnr(Console&, std::string_view, int&, double, bool) {
  return std::string(ERR_MESSAGE);
}

std::string EchangerDemTC(Console&, std::string_view, int, double, bool) {
  return std::string(ERR_MESSAGE);
}

std::string EchangerDemVal(Console&, std::string_view, int, double) {
  return std::string(ERR_MESSAGE);
}

std::string EchangerDemISO2(Console&, std::string_view, int, double, bool) {
  return std::string(ERR_MESSAGE);
}

std::string EchangerDemVal2(Console&, std::string_view, int&, double) {
  return std::string(ERR_MESSAGE);
}

}  // namespace zef30

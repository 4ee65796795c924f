// The link's exchanges and receive operations against a terminal that sends anything: no crash,
// no read out of bounds, and no wait beyond the sum of the link's own time-outs.
#include <cstdlib>
#include <functional>

#include "fuzz/EntreesFuzz.h"
#include "protocol/Trame.h"

namespace {

using zef30::Liaison;
using Secondes = zef30::Horloge::Secondes;
using namespace std::chrono_literals;

struct Operation {
  Secondes delai;  // the caller's time-out, which bounds the whole exchange with the link's own
  std::function<void(Liaison&, Secondes)> jouer;
};

const Operation kOperations[] = {
    {10s, [](Liaison& l, Secondes d) { static_cast<void>(l.Echanger("AA000", 13, d)); }},
    {10s, [](Liaison& l, Secondes d) { static_cast<void>(l.Echanger("AJ00202", 102, d)); }},
    {10s, [](Liaison& l, Secondes d) { static_cast<void>(l.Echanger("AJ00203", 322, d)); }},
    {10s, [](Liaison& l, Secondes d) { static_cast<void>(l.Echanger("AL011", 364, d)); }},
    {10s,
     [](Liaison& l, Secondes d) { static_cast<void>(l.EchangerListeDossiers("AJ00207", 25, d)); }},
    {10s, [](Liaison& l, Secondes d) { static_cast<void>(l.EchangerReponseLongue("AJ00205", d)); }},
    {180s, [](Liaison& l, Secondes d) { static_cast<void>(l.EchangerReponseLongue("AK0290", d)); }},
    {180s,
     [](Liaison& l, Secondes d) { static_cast<void>(l.EchangerValiditeForfait("AK0160", d)); }},
    {10s, [](Liaison& l, Secondes) { l.AttendreTerminalPret(); }},
    {10s,
     [](Liaison& l, Secondes d) {
       l.EnvoyerTrameParLongueur(Liaison::LectureParLongueur::BlocCourt, "\x06", 252, d);
     }},
    {10s,
     [](Liaison& l, Secondes d) {
       l.EnvoyerTrameParLongueur(Liaison::LectureParLongueur::Entiere, "\x06", 25, d);
     }},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  if (taille < 1) return 0;
  const Operation& operation = kOperations[donnees[0] % std::size(kOperations)];
  zef30::fuzz::ConsoleFuzz c(
      std::string_view(reinterpret_cast<const char*>(donnees) + 1, taille - 1));
  // As every request procedure does, the probe first.
  c.liaison.AttendreTerminalPret();
  operation.jouer(c.liaison, operation.delai);
  // The probe, three sends of the frame, EOT, the caller's wait, two blocks and the closing
  // character.
  const double limite = 10 + 3 * 10 + 10 + operation.delai.count() + 2 * 10 + 10;
  if (c.horloge.Ecoule() > limite) std::abort();
  return 0;
}

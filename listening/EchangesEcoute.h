#pragma once

#include <string>
#include <string_view>

#include "base/Resultat.h"
#include "console/Console.h"

namespace zef30 {

// The exchanges of the requests that make the terminal work for a long time. Each opens like
// Echanger (frame, up to three sends while the terminal answers NAK, EOT, the terminal's ENQ
// within `delaiEnq` seconds); then it hands the line to a listener, which acknowledges the
// terminal, mirrors its display and ends with its answer, or reads the answer directly.
// None sends ACK for the ENQ before handing over: the listener's first act is to send it.
// Failure: an Echange failure when the opening failed; a listener that fails gives an empty
// text, passed on as the answer.

// Restart "AU000": always listened to; the listening trace.
Resultat<std::string> EchangerDemarrage(Console& console, std::string_view message,
                                        Horloge::Secondes delaiEnq);

// Registration: the answer frame, listened to when `ecouter`, otherwise read directly (first
// block, its short part awaited as `attendu` characters, and a second block unless the status is
// "9").
Resultat<std::string> EchangerDemEnr(Console& console, std::string_view message, int attendu,
                                     Horloge::Secondes delaiEnq, bool ecouter);

// Tele-collection: the terminal's "Aj" answer frame counted from its STX, on both paths, or an
// empty text when it never came; what the terminal sent before it is left in TexteTicket.
// It goes on whatever answered EOT.
Resultat<std::string> EchangerDemTC(Console& console, std::string_view message,
                                    Horloge::Secondes delaiEnq, bool ecouter);

// Validity, dossier form: always listened to; the answer frame.
Resultat<std::string> EchangerDemVal(Console& console, std::string_view message,
                                     Horloge::Secondes delaiEnq);

// ISO 2 track "AG000": the "Ag" answer frame, listened to when `ecouter`, otherwise read
// directly; then the final ACK.
Resultat<std::string> EchangerDemISO2(Console& console, std::string_view message,
                                      Horloge::Secondes delaiEnq, bool ecouter);

// Validity, flat form: always listened to; a very long answer is read on, then the final ACK.
Resultat<std::string> EchangerDemVal2(Console& console, std::string_view message,
                                      Horloge::Secondes delaiEnq);

}  // namespace zef30

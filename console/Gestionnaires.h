#pragma once

#include <optional>

#include "console/Console.h"
#include "console/IssueRequete.h"

namespace zef30 {

// A click handler: it runs its request and says how it ended.
using Gestionnaire = IssueRequete (*)(Console&);

// Runs the click handler of a button, for every front-end. While another handler runs (a listener
// lets the window handle clicks), a second request would share the line with it and corrupt both
// handshakes: the click is not taken, and the status line says so. A handler that only stops a
// listener (`pendantUneRequete`, "Sortie Ecoute") always gets through. Its outcome when it ran;
// nullopt when the click was not taken.
// When the request ends, a refusal still on the status line gives way to what the request had
// shown there before the refusal (its own status; an empty line when the line was empty).
// Once the handler has ended, what the operator did while it ran and the window has not yet
// handled is dropped (Fenetre::RefuserSaisiesEnAttente), never run after it.
std::optional<IssueRequete> ExecuterGestionnaire(Console& console, Gestionnaire gestionnaire,
                                                 bool pendantUneRequete);

// A click or a key the window did not take while a request holds the line: the status line says
// so, until the request ends.
void SignalerSaisieRefusee(Console& console);

}  // namespace zef30

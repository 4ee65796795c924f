#pragma once

#include <chrono>

#include "headless/ExecutionRequete.h"

namespace zef30::essai {

// A record of a run of `famille` on `ligne`, `ms` long, failed for `raison` when one is given;
// each one ranked and started a second after the one made before it.
inline ExecutionRequete Execution(const char* famille, int ligne, int ms, const char* raison = "") {
  static int rang = 0;
  ExecutionRequete e;
  e.famille = famille;
  e.ligne = ligne;
  e.rang = ++rang;
  e.debut = Horloge::Instant{} + std::chrono::seconds(rang);
  e.fin = e.debut + std::chrono::milliseconds(ms);
  e.reussie = *raison == '\0';
  e.raison = raison;
  return e;
}

}  // namespace zef30::essai

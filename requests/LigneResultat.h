#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zef30 {

// A handler's result line: the request's name, " = ", then `ok` for 0, `pasOk` for 1, or
// "Erreur n°" followed by any other result.
std::string LigneResultat(std::string_view nom, std::int16_t resultat, std::string_view ok,
                          std::string_view pasOk);

}  // namespace zef30

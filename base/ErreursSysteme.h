#pragma once

#include <exception>
#include <string>

namespace zef30 {

// What a system error number means, in French whatever the environment's language: the console
// speaks French, and the system's own text would come in English inside a French sentence. The
// errors the console meets (files, lines, network) have their words here; any other gets the
// system's text, so that nothing is lost.
std::string DecrireErreurSysteme(int numeroErreur);

// What an exception says, in the same words: a system error (a file system's too) by its number,
// memory that ran out as such, any other by its own text.
std::string DecrireException(const std::exception& exception);

}  // namespace zef30

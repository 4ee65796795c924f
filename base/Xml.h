#pragma once

#include <string>
#include <string_view>

namespace zef30 {

// A text as XML or HTML content or attribute value: valid UTF-8 (VersUtf8Valide), the five
// special characters as entities, and the control characters XML 1.0 forbids (all below 0x20
// but tab, line feed and carriage return) as their names between angle brackets, "<STX>".
// The reports and the sequence chart all write their texts through it.
std::string EchapperXml(std::string_view texte);

}  // namespace zef30

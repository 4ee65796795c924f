#include "base/Texte.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace zef30 {

std::string Extraire(std::string_view texte, long position, long longueur) {
  if (position < 1 || longueur <= 0) return {};
  const auto debut = static_cast<std::size_t>(position - 1);
  if (debut >= texte.size()) return {};
  return std::string(texte.substr(debut, static_cast<std::size_t>(longueur)));
}

std::string Caractere(std::string_view texte, long position) {
  return Extraire(texte, position, 1);
}

namespace {

// Code points of the bytes 0x80 to 0x9F; the five bytes Windows-1252 leaves undefined keep
// their own value, as the system's own conversion does.
constexpr std::array<char32_t, 32> kPlage80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

void AjouterUtf8(std::string& sortie, char32_t c) {
  if (c < 0x80) {
    sortie += static_cast<char>(c);
  } else if (c < 0x800) {
    sortie += static_cast<char>(0xC0 | (c >> 6));
    sortie += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    sortie += static_cast<char>(0xE0 | (c >> 12));
    sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    sortie += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c > 0x10FFFF) {
    AjouterUtf8(sortie, 0xFFFD);
  } else {
    sortie += static_cast<char>(0xF0 | (c >> 18));
    sortie += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    sortie += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    sortie += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string_view SansBlancs(std::string_view texte, std::string_view blancs) {
  const auto debut = texte.find_first_not_of(blancs);
  if (debut == std::string_view::npos) return {};
  return texte.substr(debut, texte.find_last_not_of(blancs) - debut + 1);
}

std::vector<std::string_view> Decouper(std::string_view texte, std::string_view separateurs) {
  std::vector<std::string_view> morceaux;
  std::size_t debut = 0;
  while (debut < texte.size()) {
    const auto fin = texte.find_first_of(separateurs, debut);
    morceaux.push_back(texte.substr(debut, fin == std::string_view::npos ? fin : fin - debut));
    debut = fin == std::string_view::npos ? texte.size() : fin + 1;
  }
  return morceaux;
}

std::vector<std::string_view> DecouperLignes(std::string_view texte) {
  auto lignes = Decouper(texte, "\n");
  for (auto& ligne : lignes) {
    if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
  }
  return lignes;
}

std::string Cp1252VersUtf8(std::string_view octets) {
  std::string sortie;
  sortie.reserve(octets.size());
  for (char brut : octets) {
    const auto octet = static_cast<unsigned char>(brut);
    if (octet < 0x80) {
      sortie += brut;
    } else if (octet < 0xA0) {
      AjouterUtf8(sortie, kPlage80[octet - 0x80]);
    } else {
      AjouterUtf8(sortie, octet);
    }
  }
  return sortie;
}

namespace {

bool Suite(std::string_view texte, std::size_t position, unsigned char bas = 0x80,
           unsigned char haut = 0xBF) {
  if (position >= texte.size()) return false;
  const auto octet = static_cast<unsigned char>(texte[position]);
  return octet >= bas && octet <= haut;
}

// The length of the well-formed UTF-8 character at `i`, or 0: no overlong form, no surrogate,
// nothing beyond U+10FFFF.
std::size_t LongueurUtf8(std::string_view t, std::size_t i) {
  const auto octet = static_cast<unsigned char>(t[i]);
  if (octet < 0x80) return 1;
  if (octet >= 0xC2 && octet <= 0xDF) return Suite(t, i + 1) ? 2 : 0;
  if (octet >= 0xE0 && octet <= 0xEF) {
    const bool deuxieme = octet == 0xE0   ? Suite(t, i + 1, 0xA0)
                          : octet == 0xED ? Suite(t, i + 1, 0x80, 0x9F)
                                          : Suite(t, i + 1);
    return deuxieme && Suite(t, i + 2) ? 3 : 0;
  }
  if (octet >= 0xF0 && octet <= 0xF4) {
    const bool deuxieme = octet == 0xF0   ? Suite(t, i + 1, 0x90)
                          : octet == 0xF4 ? Suite(t, i + 1, 0x80, 0x8F)
                                          : Suite(t, i + 1);
    return deuxieme && Suite(t, i + 2) && Suite(t, i + 3) ? 4 : 0;
  }
  return 0;
}

}  // namespace

std::string VersUtf8Valide(std::string_view octets) {
  std::string sortie;
  sortie.reserve(octets.size());
  for (std::size_t i = 0; i < octets.size();) {
    const std::size_t longueur = LongueurUtf8(octets, i);
    if (longueur == 0) {
      sortie += Cp1252VersUtf8(octets.substr(i, 1));
      ++i;
    } else {
      sortie.append(octets.substr(i, longueur));
      i += longueur;
    }
  }
  return sortie;
}

std::string Citer(std::string_view mot) {
  constexpr std::size_t kCaracteresCites = 40;
  // A byte that is no UTF-8 is one character once converted.
  std::size_t fin = 0;
  for (std::size_t vus = 0; fin < mot.size() && vus < kCaracteresCites; ++vus) {
    const std::size_t longueur = LongueurUtf8(mot, fin);
    fin += longueur == 0 ? 1 : longueur;
  }
  // Only what is quoted is converted: a word of megabytes costs no more than a short one.
  return NommerControles(VersUtf8Valide(mot.substr(0, fin))) + (fin < mot.size() ? "…" : "");
}

namespace {

// The names of the control characters of the line's handshake.
const char* NomControle(unsigned char octet) {
  switch (octet) {
    case 0x02:
      return "STX";
    case 0x03:
      return "ETX";
    case 0x04:
      return "EOT";
    case 0x05:
      return "ENQ";
    case 0x06:
      return "ACK";
    case 0x10:
      return "DLE";
    case 0x15:
      return "NAK";
    case 0x17:
      return "ETB";
    default:
      return nullptr;
  }
}

// Control characters by name or as <HH>; bytes from 0x7F up the same when `ascii`.
std::string Lisible(std::string_view octets, bool ascii) {
  std::string texte;
  texte.reserve(octets.size());
  for (const char c : octets) {
    const auto octet = static_cast<unsigned char>(c);
    if (const char* nom = NomControle(octet)) {
      texte += '<';
      texte += nom;
      texte += '>';
    } else if (octet >= 0x20 && (octet < 0x7F || !ascii)) {
      texte += c;
    } else {
      texte += '<';
      AjouterHexa(texte, octet);
      texte += '>';
    }
  }
  return texte;
}

}  // namespace

void AjouterHexa(std::string& texte, unsigned char octet) {
  // A trace's record grows by these at every byte, so no formatting call.
  constexpr std::string_view kChiffres = "0123456789ABCDEF";
  texte += kChiffres[octet >> 4];
  texte += kChiffres[octet & 0x0F];
}

std::string TexteLisible(std::string_view octets) { return Lisible(octets, true); }

std::string NommerControles(std::string_view texte) { return Lisible(texte, false); }

std::string_view SansBom(std::string_view texte) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (texte.starts_with(kBom)) texte.remove_prefix(kBom.size());
  return texte;
}

std::optional<std::int32_t> LireEntierStrict(std::string_view texte) {
  if (texte.empty()) return std::nullopt;
  for (char c : texte) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::int32_t valeur = 0;
  const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
  if (erreur != std::errc() || fin != texte.data() + texte.size()) return std::nullopt;
  return valeur;
}

std::optional<double> LireNombre(std::string_view texte) {
  std::string_view coeur = SansBlancs(texte);
  bool negatif = false;
  if (!coeur.empty() && (coeur.front() == '+' || coeur.front() == '-')) {
    negatif = coeur.front() == '-';
    coeur.remove_prefix(1);
  }
  if (coeur.empty() || coeur.front() == '+' || coeur.front() == '-') return std::nullopt;
  bool chiffre = false;
  bool point = false;
  for (char c : coeur) {
    if (c >= '0' && c <= '9') {
      chiffre = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!chiffre) return std::nullopt;
  double valeur = 0;
  const auto [ptr, erreur] = std::from_chars(coeur.data(), coeur.data() + coeur.size(), valeur);
  if (erreur != std::errc() || ptr != coeur.data() + coeur.size()) return std::nullopt;
  return negatif ? -valeur : valeur;
}

std::locale LocaleUtilisateur() {
  try {
    return std::locale("");
  } catch (const std::runtime_error&) {
    return std::locale::classic();
  }
}

std::size_t NombreCaracteres(std::string_view utf8) {
  std::size_t n = 0;
  for (const char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace zef30

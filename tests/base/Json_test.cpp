// Reading JSON from texts of unknown origin: the values it holds, every escape, every refusal
// with where and why, numbers read with their bounds.
#include "base/Json.h"

#include <gtest/gtest.h>

#include <string>

namespace zef30 {
namespace {

// A value as the rows write it: strings quoted, numbers after '#' as they were written.
std::string Montrer(const ValeurJson& v) {
  switch (v.genre) {
    case ValeurJson::Genre::Nul:
      return "null";
    case ValeurJson::Genre::Booleen:
      return v.booleen ? "true" : "false";
    case ValeurJson::Genre::Nombre:
      return "#" + v.texte;
    case ValeurJson::Genre::Chaine:
      return "\"" + v.texte + "\"";
    case ValeurJson::Genre::Tableau: {
      std::string t = "[";
      for (const auto& e : v.elements) t += (t.size() > 1 ? "," : "") + Montrer(e);
      return t + "]";
    }
    case ValeurJson::Genre::Objet: {
      std::string t = "{";
      for (const auto& m : v.membres)
        t += (t.size() > 1 ? "," : "") + m.nom + ":" + Montrer(m.valeur);
      return t + "}";
    }
  }
  return "?";
}

TEST(LireJson, ReadsEveryValueAndEscapeAndSaysWhyItRefuses) {
  const std::string profond32 = std::string(32, '[') + std::string(32, ']');
  const std::string profond33 = std::string(33, '[') + std::string(33, ']');
  const struct {
    std::string texte;
    std::string lu;  // the value shown, or the start of the error
  } cas[] = {
      // Values.
      {"null", "null"},
      {" \t\r\ntrue\n", "true"},
      {"false", "false"},
      {"0", "#0"},
      {"-12.5e+3", "#-12.5e+3"},
      {"1E-2", "#1E-2"},
      {"123456789012345678901234567890", "#123456789012345678901234567890"},
      {"1e999", "#1e999"},
      {"\"\"", "\"\""},
      {"[]", "[]"},
      {"{}", "{}"},
      {"[1, [2, {\"a\" : null}], \"x\"]", "[#1,[#2,{a:null}],\"x\"]"},
      {"{\"b\":1,\"a\":\"x\",\"c\":[]}", "{b:#1,a:\"x\",c:[]}"},  // in their order
      {profond32, std::string(32, '[') + std::string(32, ']')},
      // Escapes.
      {R"("\"\\\/\b\f\n\r\t")", "\"\"\\/\b\f\n\r\t\""},
      {R"("\u0041\u00e9\u20AC")", "\"Aé€\""},
      {R"("\u0000")", std::string("\"\0\"", 3)},
      {R"("\uD83D\uDE00")", "\"\xF0\x9F\x98\x80\""},  // a surrogate pair: one character
      {R"("\uD83Dx")", "\"\xEF\xBF\xBDx\""},          // half a pair: U+FFFD
      {R"("\uDE00\uD83D")", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {R"("\uD83D\u0041")",
       "\"\xEF\xBF\xBD"
       "A\""},
      {"\"été\"", "\"été\""},
      {"\"\xE9t\xE9 \x80\"", "\"été €\""},  // not UTF-8: Windows-1252
      {"\"a\x7F\"", "\"a\x7F\""},
      // Refusals: where and why.
      {"", "JSON illisible à l’octet 1 : une valeur attendue, la fin est venue"},
      {"   ", "JSON illisible à l’octet 4 : une valeur attendue"},
      {"{\"a\":1,\"a\":2}", "JSON illisible à l’octet 8 : membre « a » en double"},
      {"{\"a\":1 \"b\":2}", "JSON illisible à l’octet 8 : « , » ou « } » attendu"},
      {"{\"a\" 1}", "JSON illisible à l’octet 6 : « : » attendu"},
      {"{a:1}", "JSON illisible à l’octet 2 : le nom d’un membre entre guillemets attendu"},
      {"{\"a\":1,}", "JSON illisible à l’octet 8 : le nom d’un membre"},
      {"[1,]", "JSON illisible à l’octet 4 : une valeur attendue (objet"},
      {"[1 2]", "JSON illisible à l’octet 4 : « , » ou « ] » attendu"},
      {"[1", "JSON illisible à l’octet 3 : « , » ou « ] » attendu"},
      {"\"abc", "JSON illisible à l’octet 5 : guillemet fermant manquant"},
      {"\"abc\\", "JSON illisible à l’octet 6 : guillemet fermant manquant"},
      {R"("a\qb")", "JSON illisible à l’octet 4 : échappement « \\q » inconnu"},
      {R"("\u12G4")", "JSON illisible à l’octet 4 : quatre chiffres hexadécimaux attendus"},
      {R"("\u12")", "JSON illisible à l’octet 4 : quatre chiffres"},
      {"\"a\tb\"", "JSON illisible à l’octet 3 : un caractère de contrôle dans une chaîne"},
      {"\"a\nb\"", "JSON illisible à l’octet 3 : un caractère de contrôle"},
      {"01", "JSON illisible à l’octet 2 : rien après la valeur"},
      {"-", "JSON illisible à l’octet 2 : un chiffre attendu dans un nombre"},
      {"+1", "JSON illisible à l’octet 1 : une valeur attendue"},
      {"1.", "JSON illisible à l’octet 3 : un chiffre attendu après le point"},
      {".5", "JSON illisible à l’octet 1 : une valeur attendue"},
      {"1e+", "JSON illisible à l’octet 4 : un chiffre attendu dans l’exposant"},
      {"tru", "JSON illisible à l’octet 1 : une valeur attendue"},
      {"nul", "JSON illisible à l’octet 1 : une valeur attendue"},
      {"truex", "JSON illisible à l’octet 5 : rien après la valeur"},
      {"{} {}", "JSON illisible à l’octet 4 : rien après la valeur"},
      {profond33, "JSON illisible à l’octet 33 : plus de 32 niveaux imbriqués"},
      {std::string(100000, '['), "JSON illisible à l’octet 33 : plus de 32 niveaux"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.texte.substr(0, 80));
    const auto lu = LireJson(c.texte);
    const std::string vu = lu ? Montrer(*lu) : lu.Erreur().texte;
    EXPECT_EQ(vu.substr(0, c.lu.size()), c.lu);
    if (lu) {
      EXPECT_EQ(vu, c.lu);
    }
  }
}

// Numbers kept as written are read with bounds: nothing overflows, however long or large.
TEST(ValeurJson, ReadsNumbersWithinTheirBounds) {
  const struct {
    std::string texte;
    std::optional<std::int64_t> entier;  // within -1000..1000
    std::optional<double> reel;
  } cas[] = {
      {"1250", std::nullopt, 1250},
      {"1000", 1000, 1000},
      {"-1000", -1000, -1000},
      {"-0", 0, 0},
      {"30.5", std::nullopt, 30.5},
      {"1e2", std::nullopt, 100},
      {"1001", std::nullopt, 1001},
      {"9223372036854775808", std::nullopt, 9223372036854775808.0},
      {"123456789012345678901234567890", std::nullopt, 1.2345678901234568e29},
      {"1e999", std::nullopt, std::nullopt},
      {"-1e999", std::nullopt, std::nullopt},
      {"1e-999", std::nullopt, std::nullopt},
      {"\"12\"", std::nullopt, std::nullopt},  // a string is no number
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.texte);
    const auto lu = LireJson(c.texte);
    ASSERT_TRUE(lu);
    EXPECT_EQ(lu->Entier(-1000, 1000), c.entier);
    EXPECT_EQ(lu->Reel(), c.reel);
  }
  EXPECT_EQ(LireJson("1250")->Entier(0, 99999999), 1250);
}

// What a broken object still says: the members read whole before its fault.
TEST(MembresAvantFaute, KeepsTheMembersBeforeTheFault) {
  const struct {
    std::string texte;
    std::string lu;
  } cas[] = {
      {R"({"id": 7, "requete": )", "{id:#7}"},
      {R"({"id": "a", "x": [1, 2)", "{id:\"a\"}"},
      {R"({"id": 7)", "{id:#7}"},
      {R"({"id": 7, "id": 8})", "{id:#7}"},
      {R"({"id": "a\q"})", "{}"},
      {R"([{"id": 7})", "{}"},
      {"", "{}"},
  };
  for (const auto& c : cas) {
    ValeurJson objet;
    objet.genre = ValeurJson::Genre::Objet;
    objet.membres = MembresAvantFaute(c.texte);
    EXPECT_EQ(Montrer(objet), c.lu) << c.texte;
  }
}

}  // namespace
}  // namespace zef30

#include "app/OptionsDecrites.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/OptionsLigne.h"

namespace zef30 {
namespace {

TEST(TexteOptions, NameTextAndLinesOfEightyColumns) {
  const std::string longue(70, 'x');
  const struct {
    OptionDecrite option;
    std::string aide;
  } cas[] = {
      {{"--json", "", "une ligne"}, "  --json              une ligne\n"},
      {{"--port", "N=CHEMIN", "le port"}, "  --port N=CHEMIN     le port\n"},
      // Too long for its column: the text on the next line.
      {{"--sim-scenario", "FICHIER", "un fichier"},
       "  --sim-scenario FICHIER\n                      un fichier\n"},
      // 58 columns of text at most, counted in characters, not bytes.
      {{"--a", "", "é é é é é é é é é é é é é é é é é é é é é é é é é é é é é é"},
       "  --a                 é é é é é é é é é é é é é é é é é é é é é é é é é é é é é\n"
       "                      é\n"},
      // A word longer than the column keeps its line; "\n" starts a new one.
      {{"--run", "R", "parmi :\n" + longue},
       "  --run R             parmi :\n" + std::string(22, ' ') + longue + "\n"},
      // French punctuation never begins a line, nor « ends one.
      {{"--b", "", std::string(54, 'y') + " ab ; c"},
       "  --b                 " + std::string(54, 'y') + "\n                      ab ; c\n"},
      {{"--c", "", std::string(54, 'y') + " « ab"},
       "  --c                 " + std::string(54, 'y') + "\n                      « ab\n"},
  };
  for (const auto& c : cas) EXPECT_EQ(TexteOptions({c.option}), c.aide) << c.option.nom;
}

TEST(OptionsManuel, EachOptionIsATaggedParagraph) {
  const struct {
    OptionDecrite option;
    std::string roff;
  } cas[] = {
      {{"--json", "", "une ligne"}, ".TP\n.B \\-\\-json\nune ligne\n"},
      {{"--port", "N=CHEMIN", "a-b\nc"}, ".TP\n.BI \"\\-\\-port\" \" N=CHEMIN\"\na\\-b\n.br\nc\n"},
      {{"-o", "F", ".point, 'x' \\ \"y\""},
       ".TP\n.BI \"\\-o\" \" F\"\n\\&.point,\\: 'x' \\e \\(dqy\\(dq\n"},
  };
  for (const auto& c : cas)
    EXPECT_EQ(OptionsManuel({c.option}), ".ad l\n" + c.roff + ".ad\n") << c.option.nom;
}

TEST(OptionsConsoleDecrites, EveryOptionDescribedIsOneTheConsoleReads) {
  for (const OptionDecrite& option : OptionsConsoleDecrites()) {
    const auto lu =
        option.argument.empty() ? LireOptions({option.nom}) : LireOptions({option.nom, "x"});
    EXPECT_EQ(lu.erreur.find("option inconnue"), std::string::npos) << option.nom << lu.erreur;
    // And each one is in a form of the synopsis.
    const std::string synopsis = TexteSynopsis("", "zef30-console", SynopsisConsole());
    EXPECT_NE(synopsis.find(option.nom + (option.argument.empty() ? "" : " ")), std::string::npos)
        << option.nom;
  }
}

// The README shows the console's synopsis as --help has it.
TEST(SynopsisConsole, TheReadmeShowsIt) {
  std::ifstream fichier(ZEF30_RACINE "/README.md");
  ASSERT_TRUE(fichier);
  std::stringstream texte;
  texte << fichier.rdbuf();
  const std::string readme = texte.str();
  const std::string attendu = TexteSynopsis("", "build/app/zef30-console", SynopsisConsole());
  EXPECT_NE(readme.find("\n```\n" + attendu + "```\n"), std::string::npos)
      << "the README's synopsis should read:\n"
      << attendu;
}

}  // namespace
}  // namespace zef30

// The options of a campaign as the command line gives them, and the arguments of each line's
// process.
#include <gtest/gtest.h>

#include "app/OptionsLigne.h"
#include "headless/LignesCampagne.h"

namespace zef30 {
namespace {

TEST(OptionsCampagne, ReadsTurnsDurationLinesAndReportsOrSaysWhy) {
  struct Cas {
    std::vector<std::string> arguments;
    std::string lu;  // repetitions/duration/lines/junit/report/verbose, or the error's start
  };
  const Cas cas[] = {
      {{"--repeat", "200", "--lines=1,3", "--junit", "j.xml", "--report", "r.html", "--verbose"},
       "200/-/1,3/j.xml/r.html/1"},
      {{"--for", "1h30m"}, "1/5400////0"},
      {{"--for=8h", "--repeat", "0"}, "0/28800////0"},
      {{"--for", "45"}, "1/45////0"},
      {{"--for", "2.5min"}, "1/150////0"},
      {{"--for", "8 heures"}, "--for demande une durée"},
      {{"--for", "0"}, "--for demande une durée"},
      {{"--repeat", "-1"}, "--repeat demande un nombre"},
      {{"--lines", "1,21"}, "--lines : « 21 » n’est pas un port de 1 à 20"},
      {{"--lines", "2,2"}, "--lines : le port 2 est donné deux fois"},
      {{"--junit"}, "--junit demande une valeur"},
  };
  for (const Cas& k : cas) {
    std::vector<std::string> arguments = {"--headless", "--run", "switch"};
    arguments.insert(arguments.end(), k.arguments.begin(), k.arguments.end());
    const auto lecture = LireOptions(arguments);
    std::string lu = lecture.erreur;
    if (lecture.options) {
      const OptionsCampagne& c = lecture.options->campagne;
      std::string lignes;
      for (const int l : c.lignes) lignes += (lignes.empty() ? "" : ",") + std::to_string(l);
      lu = std::to_string(c.repetitions) + "/" +
           (c.duree ? std::to_string(static_cast<int>(*c.duree)) : "-") + "/" + lignes + "/" +
           c.junit.value_or("") + "/" + c.rapport.value_or("") + "/" + (c.bavard ? "1" : "0");
    }
    EXPECT_EQ(lu.substr(0, k.lu.size()), k.lu) << k.arguments.front();
  }
  // Without --headless there is no campaign.
  EXPECT_EQ(LireOptions({"--repeat", "3"}).erreur.substr(0, 10), "--repeat, ");
}

TEST(OptionsCampagne, EachLineRunsTheCampaignAloneInItsFolder) {
  EXPECT_EQ(ArgumentsLigne({"--headless", "--port", "2=/dev/pts/4", "--lines=1,2", "--run", "s",
                            "--junit", "j.xml", "--data-dir", "D", "--trace=t.txt", "--json",
                            "--verbose", "--repeat", "3"},
                           2, "D/ligne-2", TraceDeLigne("t.txt", 2)),
            (std::vector<std::string>{"--headless", "--port", "2=/dev/pts/4", "--run", "s",
                                      "--repeat", "3", "--lines", "2", "--data-dir", "D/ligne-2",
                                      "--json", "--trace", "t-ligne-2.txt"}));
  EXPECT_EQ(TraceDeLigne("/tmp/a.b/trace", 3), "/tmp/a.b/trace-ligne-3");
}

}  // namespace
}  // namespace zef30

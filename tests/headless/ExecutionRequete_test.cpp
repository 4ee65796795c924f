// Reading a journal's record back: any line that is not a whole record is none.
#include "headless/ExecutionRequete.h"

#include <gtest/gtest.h>

#include <string>

namespace zef30 {
namespace {

TEST(LireExecutionJson, TakesNoLineThatIsNotAWholeRecord) {
  const std::string debut = R"({"numero":3,"requete":"switch","reussie":true,)";
  const struct {
    std::string ligne;
    bool record;
  } cas[] = {
      {debut + R"("debut":1.5,"fin":2})", true},
      {debut + R"("debut":1.5,"fin":2} )" + "\r", true},
      {R"({"requete":"switch","debut":1,"fin":2})", false},
      {R"({"numero":3,"debut":1,"fin":2})", false},
      {debut + R"("debut":2,"fin":1})", false},
      // Beyond what the clock holds.
      {debut + R"("debut":1,"fin":5555555555555555555555555555555555555555555555555555.5})", false},
      {debut + R"("debut":-1e300,"fin":1})", false},
      {debut + R"("debut":1,"fin":2,"fin":3})", false},  // a member twice
      {debut + R"("debut":1,"fin":2} {})", false},       // more after it
      {debut + R"("debut":1,"fin":2)", false},           // cut by a kill
      {R"({"resume":true,"interrompue":true})", false},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(LireExecutionJson(c.ligne).has_value(), c.record) << c.ligne;
  }
}

}  // namespace
}  // namespace zef30

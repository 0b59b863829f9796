// "--json" for tree and get, read back with a real JSON parser (jq).
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoJson : public testing::Test {
 protected:
  // The result of `filter` on the JSON that kivo printed for `arguments`.
  std::string query(const std::vector<std::string>& arguments, const std::string& filter) {
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    const ProgramRun parsed = jq(run.out, filter);
    EXPECT_EQ(parsed.status, 0) << "not JSON: " << run.out << parsed.err;
    return parsed.out;
  }

  HostConfiguration config;
};

TEST_F(KivoJson, TreeIsNestedObjectsWithEveryNodeOfTheOutline) {
  const std::string main = config.main();
  EXPECT_EQ(query({"tree", "--json", main, "/settings"},
                  "[.name, .label, .element, (.children | length),"
                  " .children[0].name, .children[0].attributes.width,"
                  " .children[1].label, (.children[1].attributes | keys | join(\",\")),"
                  " (.children[1].children | length)] | join(\"|\")"),
            "settings|Settings|node|2|window|800|Sound|volume|0\n");
  const size_t outlineLines = countLines(runKivo({"tree", main}).out, "");
  EXPECT_EQ(query({"--json", "tree", main}, "[.. | objects | select(has(\"children\"))] | length"),
            std::to_string(outlineLines) + "\n");
}

TEST_F(KivoJson, ValuesArriveWholeWithQuotesBackslashesLineBreaksAndNonLatinText) {
  const std::string value = std::string("say \"hi\" \\ ") + std::string(60, 'x') + "\nжизнь 漢字\t!";
  const ProgramRun set = runKivo({"set", config.main(), "/settings/window", "note=" + value});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(query({"tree", config.main(), "/settings/window", "--json"}, ".attributes.note"),
            value + "\n");
  EXPECT_EQ(query({"get", "--json", config.main(), "/settings/window"}, ".note"), value + "\n");
}

TEST_F(KivoJson, GetIsOneObjectOfEveryAttributeOrOfTheOneAskedFor) {
  EXPECT_EQ(query({"get", "--json", config.main(), "/settings/window"},
                  "to_entries | map(.key + \"=\" + .value) | join(\",\")"),
            "height=600,name=window,visible=true,width=800\n");
  EXPECT_EQ(query({"get", "--json", config.main(), "/settings/window", "width"}, "tostring"),
            "{\"width\":\"800\"}\n");
}

TEST_F(KivoJson, OnlyTreeAndGetOfferJson) {
  for (const char* command : {"state", "info", "set", "exec", "shell"}) {
    const ProgramRun run = runKivo({command, "--json", config.main(), "/settings", "a=1"});
    EXPECT_EQ(run.status, 2) << command;
    EXPECT_EQ(countLines(run.err, "--json"), 1u) << run.err;
  }
}

}  // namespace
}  // namespace KivoTest

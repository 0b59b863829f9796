// "kivo shell" driven through standard input, as a script would.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoShell : public testing::Test {
 protected:
  ProgramRun shell(const std::string& script, std::vector<std::string> options = {}) {
    options.insert(options.end(), {"shell", config.main()});
    return runKivo(options, script);
  }

  HostConfiguration config;
};

// Navigation without prompts, quoted words, failures that let the script go on,
// comments, the end of input and quit.
TEST_F(KivoShell, ScriptsPrintExactlyTheirAnswers) {
  const struct {
    std::string script;
    int status;
    std::string out, err;
  } cases[] = {
      {"pwd\nls\ncd settings\npwd\nls\ncd ..\ncd library/favourites\npwd\nquit\n", 0,
       "/\nsettings/\nlocked\nlibrary/\nsound\ncurrent/\n/settings\nwindow\naudio\n/library/favourites\n", ""},
      {"set settings/window 'title=Main window' note=\"a \\\"b\\\"\"\n"
       "get settings/window title\nget settings/window note\n", 0, "Main window\na \"b\"\n", ""},
      {"cd /nowhere\npwd\nfrobnicate\nset settings/window width\nget settings/window width\n", 1, "/\n800\n",
       "kivo: no node at '/nowhere'\n"
       "kivo: unknown command 'frobnicate' (try 'help')\n"
       "kivo: 'width' is not ATTRIBUTE=VALUE\n"},
      {"# a comment\n\npwd", 0, "/\n", ""},
      {"quit\npwd\n", 0, "", ""},
  };
  for (const auto& c : cases) {
    const ProgramRun run = shell(c.script);
    EXPECT_EQ(run.status, c.status) << c.script;
    EXPECT_EQ(run.out, c.out) << c.script;
    EXPECT_EQ(run.err, c.err) << c.script;
  }
}

TEST_F(KivoShell, CommandsTakePathsRelativeToTheCurrentNode) {
  const ProgramRun run = shell("cd /settings\nget window width\ntree audio\nstate window\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("800\naudio \"Sound\" [node] volume=0.5\n<node ", 0), 0u) << run.out;
  EXPECT_EQ(countLines(run.out, "kivo_state_full_node_path=\"/kivo/settings/window\""), 1u);
}

TEST_F(KivoShell, SetChangesOnlyTheTreeUntilSave) {
  const std::string library = config.dir().read("library.xml");
  const std::string main = config.dir().read("main.xml");
  const ProgramRun unsaved =
      shell("set library/favourites tracks=7\nget library/favourites tracks\n");
  EXPECT_EQ(unsaved.out, "7\n");
  EXPECT_EQ(config.dir().read("library.xml"), library);

  const ProgramRun saved = shell("cd library\nset favourites tracks=9\nsave favourites\n");
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, "saved " + config.dir().file("library.xml") + "\n");
  EXPECT_NE(config.dir().read("library.xml"), library);
  EXPECT_EQ(config.dir().read("main.xml"), main);
  EXPECT_EQ(runKivo({"get", config.main(), "/library/favourites", "tracks"}).out, "9\n");
}

TEST_F(KivoShell, LogHandsOutTheQueuedMessagesOnce) {
  const ProgramRun run = shell("save settings/window\nlog\nlog\n", {"--log-level", "2", "-q"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(countLines(run.out, "Message: SAVED"), 1u) << run.out;
  EXPECT_EQ(run.out.substr(run.out.size() - 14), "(no messages)\n");
}

TEST_F(KivoShell, HelpNamesEveryCommand) {
  const ProgramRun run = shell("help\n");
  for (const char* name : {"ls", "cd", "pwd", "tree", "state", "info", "exec", "get", "set", "save",
                           "log", "help", "quit"}) {
    EXPECT_EQ(countLines(run.out, std::string("  ") + name + " "), 1u) << name;
  }
}

}  // namespace
}  // namespace KivoTest

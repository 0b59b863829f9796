// The kivo program's commands as a user types them, each in a fresh configuration
// folder: the exit status, both streams, and which files changed byte for byte.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

struct Case {
  std::string line, input;
  int status;
  std::string out, err;
  std::string changed = "";  // the files whose bytes differ afterwards, "*" for any
};

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// "~a|!b": a once and b never ("~" alone: anything); "^re": the whole text matches;
// "=line": what that command line prints; anything else: exactly that text.
void expectStream(const HostConfiguration& config, const std::string& text, std::string expected) {
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"{dir}", config.dir().path()},
                                 {"{plugin}", KIVO_EXAMPLE_PLUGIN}}) {
    for (size_t at; (at = expected.find(from)) != std::string::npos;) expected.replace(at, from.size(), to);
  }
  if (expected.rfind('~', 0) == 0) {
    std::istringstream parts(expected.substr(1));
    for (std::string part; std::getline(parts, part, '|');) {
      const bool absent = part[0] == '!';
      EXPECT_EQ(occurrences(text, part.substr(absent)), absent ? 0u : 1u) << part << " in:\n" << text;
    }
  } else if (expected.rfind('^', 0) == 0) {
    EXPECT_TRUE(std::regex_match(text, std::regex(expected))) << expected << " against:\n" << text;
  } else if (expected.rfind('=', 0) == 0) {
    EXPECT_EQ(text, config.run(expected.substr(1)).out);
  } else {
    EXPECT_EQ(text, expected);
  }
}

std::string changedFiles(std::map<std::string, std::string> before, const std::map<std::string, std::string>& after) {
  std::string names;
  for (const auto& [name, content] : after) before.emplace(name, "\x01" + content);
  for (const auto& [name, content] : before) {
    if (after.count(name) == 0 || after.at(name) != content) names += (names.empty() ? "" : " ") + name;
  }
  return names;
}

void runCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line + (c.input.empty() ? "" : " <<< " + c.input));
    const HostConfiguration config;
    const auto before = config.snapshot();
    const ProgramRun run = config.run(c.line, c.input);
    EXPECT_EQ(run.status, c.status) << run.err;
    expectStream(config, run.out, c.out);
    expectStream(config, run.err, c.err);
    if (c.changed != "*") {
      EXPECT_EQ(changedFiles(before, config.snapshot()), c.changed);
    }
  }
}

const std::string kWindow = "window [node] height=600 visible=true width=800\n";
const std::string kNoPlugins = "Did not load library '{plugin}': the host runs no plug-in code";
const std::string kAudio = R"(grep -o '<node name="audio"[^>]*>' main.xml)";

TEST(KivoProgram, ReadingCommandsPrintExactlyTheirAnswerAndChangeNothing) {
  runCases({
      {"kivo tree main.xml", "", 0,
       "~kivo \"Test host\" [node]\n  settings \"Settings\" [node]\n    " + kWindow +
           "    audio \"Sound\" [node] volume=0.5\n|\n  library \"Music\" [node] folder=~/Music\n"
           "    favourites [node] shuffle=true tracks=42\n|\n  sound [SymLink] symlink_target_path=/settings/audio\n"
           "|\n    boot [node]",
       ""},
      {"kivo tree main.xml /settings", "", 0, "settings \"Settings\" [node]\n  " + kWindow + "  audio \"Sound\" [node] volume=0.5\n", ""},
      {"kivo tree main.xml settings/window && kivo tree main.xml /library/../settings/./window", "", 0, kWindow + kWindow, ""},
      {"kivo get main.xml /settings/window", "", 0, "height=600\nname=window\nvisible=true\nwidth=800\n", ""},
      {"kivo get main.xml /settings/window width && kivo get main.xml /library/favourites tracks", "", 0, "800\n42\n", ""},
      {"kivo --addons \"$PWD\" get main.xml /settings/window width", "", 0, "800\n", ""},
      {"kivo get main.xml /settings/window depth", "", 1, "", "kivo: '/settings/window' has no attribute 'depth'\n"},
      {"kivo exec main.xml /nowhere open", "", 1, "", "kivo: no node at '/nowhere'\n"},
      {"kivo state main.xml /settings/window", "", 0,
       "^<node kivo_state_full_node_path=\"/kivo/settings/window\"[^]*width=\"800\"[^]*", ""},
      {"kivo state main.xml /settings", "", 0,
       "~kivo_state_full_node_path=\"/kivo/settings\"|kivo_state_full_node_path=\"/kivo/settings/window\"|"
       "kivo_state_full_node_path=\"/kivo/settings/audio\"", ""},
      {"kivo info main.xml /library", "", 0, "^<info>\n[^]*<!-- document=\"{dir}/library.xml\" -->[^]*</info>\n", ""},
      {"kivo exec main.xml '/settings/window?x=1' open", "", 1, "", "kivo: '/settings/window' does not know the command 'open'\n"},
      {"kivo exec main.xml / open", "", 1, "", "kivo: the root takes no commands; name a node below it\n"},
      {"kivo --log-level 1 tree broken.xml", "", 0, "~\n  a [node]\n",
       "^((Error|Warning): [^\x1b\n]*\\]\n)*[^\x1b\n]*absent\\.xml[^\x1b\n]*\\]\n((Error|Warning): [^\x1b\n]*\\]\n)*"},
      {"kivo tree broken.xml --quiet --log-level 1", "", 0, "=kivo --log-level 1 tree broken.xml", ""},
      {"kivo tree updated.xml", "", 0, "~AutoUpdater [AutoUpdater]|!KivoAutoUpdater created", "~"},
      {"kivo --log-level 3 tree updated.xml", "", 0, "~", "~Message: KivoAutoUpdater created"},
  });
}

TEST(KivoProgram, HelpAndVersionWinWhereverTheyStand) {
  runCases({
      {"kivo --version", "", 0,
       "^kivo [^\n]*\nlibkivo [^\n]*libkivo\\.so[^\n]*\nlibrary record: Kivo 1\\.0\\.1\\.2, interface 1005, built [^\n]*\n", ""},
      {"kivo --help", "", 0, "~  tree |  state |  info |  exec |  get |  set |  shell |  lua ", ""},
      {"for c in tree state info exec get set shell lua; do kivo $c --help | head -n 1 | cut -d ' ' -f 3; done", "", 0,
       "tree\nstate\ninfo\nexec\nget\nset\nshell\nlua\n", ""},
      {"kivo tree --help", "", 0,
       "~--no-plugins   run none of FILE's code, only read it; the default of tree,\n"
       "                 state, info and get|--plugins      load the plug-in libraries and run the scripts FILE names;\n"
       "                 the default of exec, set and shell", ""},
      {"kivo --version tree main.xml", "", 0, "=kivo --version", ""},
      {"kivo tree main.xml --version", "", 0, "=kivo --version", ""},
      {"kivo --version --bogus frobnicate", "", 0, "=kivo --version", ""},
      {"kivo --version --help", "", 0, "=kivo --version", ""},
      {"kivo --help --version", "", 0, "=kivo --help", ""},
      {"kivo --help frobnicate", "", 0, "=kivo --help", ""},
      {"kivo tree main.xml /a /b /c --help", "", 0, "=kivo tree --help", ""},
      {"kivo --help --log-level 9 get", "", 0, "=kivo get --help", ""},
      {"kivo -h get --json --colour", "", 0, "=kivo get --help", ""},
      {"kivo --bogus --version", "", 2, "", "~"},
  });
}

TEST(KivoProgram, BadInputIsOneLineAndUsageErrorsPointToTheHelp) {
  const std::string bad = "kivo: cannot boot '{dir}/bad.xml': Kivo read failure on '{dir}/bad.xml': 'Error #8 [line 1:40] "
                          "in xml document '{dir}/bad.xml': 'Error reading end tag.''\n";
  runCases({
      {"kivo tree absent.xml", "", 1, "", "kivo: configuration '{dir}/absent.xml' not found\n"},
      {"kivo tree bad.xml; kivo set bad.xml /a x=2", "", 1, "", bad + bad},
      {"kivo state empty.xml", "", 1, "",
       "kivo: cannot boot '{dir}/empty.xml': Kivo read failure on '{dir}/empty.xml': 'Error #12 [line 1:1] in xml "
       "document '{dir}/empty.xml': 'Error document empty.''\n"},
      {"kivo info \"$PWD\"", "", 1, "", "kivo: configuration '{dir}' is a folder, not a file\n"},
      {"for c in tree state info get; do kivo $c main.xml /settings/none; echo $?; done", "", 0, "1\n1\n1\n1\n",
       "kivo: no node at '/settings/none'\nkivo: no node at '/settings/none'\n"
       "kivo: no node at '/settings/none'\nkivo: no node at '/settings/none'\n"},
      {"kivo", "", 2, "=kivo --help", "kivo: no command given (try 'kivo --help')\n"},
      {"kivo frobnicate main.xml", "", 2, "", "kivo: unknown command 'frobnicate' (try 'kivo --help')\n"},
      {"kivo tree", "", 2, "", "kivo: missing FILE (try 'kivo tree --help')\n"},
      {"kivo tree main.xml /a /b", "", 2, "", "kivo: too many arguments (try 'kivo tree --help')\n"},
      {"kivo get main.xml", "", 2, "", "kivo: missing arguments (try 'kivo get --help')\n"},
      {"kivo set main.xml /settings", "", 2, "", "kivo: missing arguments (try 'kivo set --help')\n"},
      {"kivo --log-level 7 tree main.xml", "", 2, "", "kivo: --log-level needs a number from 0 to 4 (try 'kivo --help')\n"},
      {"kivo --colour tree main.xml", "", 2, "", "kivo: unknown option '--colour' (try 'kivo --help')\n"},
      {"kivo get main.xml /settings/window --addons", "", 2, "", "kivo: --addons needs a folder (try 'kivo --help')\n"},
      {"for c in state info set exec shell; do kivo $c --json main.xml /settings a=1; echo $?; done", "", 0,
       "2\n2\n2\n2\n2\n",
       "kivo: --json is not offered by state (try 'kivo state --help')\nkivo: --json is not offered by info (try 'kivo "
       "info --help')\nkivo: --json is not offered by set (try 'kivo set --help')\nkivo: --json is not offered by exec "
       "(try 'kivo exec --help')\nkivo: --json is not offered by shell (try 'kivo shell --help')\n"},
      {"mkfifo pipe.xml && timeout -s KILL 60 kivo tree pipe.xml", "", 1, "",
       "kivo: configuration '{dir}/pipe.xml' is not a regular file\n"},
      {"timeout -s KILL 60 kivo tree /dev/zero", "", 1, "", "kivo: configuration '/dev/zero' is not a regular file\n"},
      {"kivo --plugins tree crash.xml; echo $?", "", 0, "^(139|134|1|66)\n",
       "~crash plug-in starting\n|kivo: fatal signal SEGV\n"},
  });
}

TEST(KivoProgram, SetChangesOnlyTheFileHoldingTheNodeOrNothingAtAll) {
  const std::string nothing = "|nothing was changed";
  runCases({
      {"kivo set main.xml /library/favourites tracks=43 && kivo get main.xml /library/favourites tracks", "", 0,
       "43\n", "", "library.xml"},
      {"kivo set main.xml settings/window width=1024 && kivo get main.xml /settings/window", "", 0,
       "height=600\nname=window\nvisible=true\nwidth=1024\n", "", "main.xml"},
      {"kivo set main.xml /settings/audio volume=0.75 'title=Main out' expr=a=b && kivo get main.xml /settings/audio", "",
       0, "expr=a=b\nlabel=Sound\nname=audio\ntitle=Main out\nvolume=0.75\n", "", "main.xml"},
      {"kivo set main.xml /settings/audio label=Loud brief=b 'description=the sound' version=2 type=mixer volume=0.25 && " +
           kAudio + " && kivo get main.xml /settings/audio", "", 0,
       "<node name=\"audio\" label=\"Loud\" volume=\"0.25\" brief=\"b\" description=\"the sound\" type=\"mixer\" "
       "version=\"2\" />\nbrief=b\ndescription=the sound\nlabel=Loud\nname=audio\ntype=mixer\nversion=2\nvolume=0.25\n",
       "", "main.xml"},
      {"kivo set main.xml /settings/audio brief=b extra=1 && kivo set main.xml /settings/audio brief= extra= volume= && " +
           kAudio, "", 0, "<node name=\"audio\" label=\"Sound\" />\n", "", "main.xml"},
      {"kivo set main.xml /settings/audio name=mixer label=Mixer && kivo tree main.xml /settings/mixer", "", 0,
       "'/kivo/settings/audio' is now '/kivo/settings/mixer'\nmixer \"Mixer\" [node] volume=0.5\n", "", "main.xml"},
      {"kivo set main.xml /settings/audio name=window && kivo tree main.xml /settings", "", 0,
       "'/kivo/settings/audio' is now '/kivo/settings/window$20$281$29'\nsettings \"Settings\" [node]\n  " + kWindow +
           "  window$20$281$29 [node] volume=0.5\n", "", "main.xml"},
      {"kivo set main.xml /settings/window width=5 height", "", 2, "", "kivo: 'height' is not ATTRIBUTE=VALUE\n"},
      {"kivo set main.xml /settings/window =5", "", 2, "", "kivo: '=5' is not ATTRIBUTE=VALUE\n"},
      {"kivo set main.xml /locked mode=loose", "", 1, "", "~'/locked'"},
      {"kivo set main.xml /settings/nothing a=1", "", 1, "", "kivo: no node at '/settings/nothing'\n"},
      {"kivo set main.xml /kivo/current/boot/start a=1", "", 1, "", "~'/kivo/current/boot/start'"},
      {"kivo set main.xml /settings/audio label=Loud brief=b 'bad name=1'", "", 2, "",
       "~kivo: 'bad name=1': 'bad name' is not an attribute name" + nothing},
      {"kivo set main.xml /settings/audio volume=1 1st=x", "", 2, "", "~kivo: '1st=x': '1st' is not an attribute name" + nothing},
      {"kivo set main.xml /settings/audio volume=1 volume=2", "", 2, "", "~kivo: 'volume=2': 'volume' is given twice" + nothing},
      {"kivo set main.xml /settings/audio volume=1 name=", "", 2, "", "~kivo: 'name=': a node cannot lose its name" + nothing},
      {"kivo set main.xml /settings/audio label=", "", 2, "", "~kivo: 'label=': a label cannot be removed" + nothing},
      {"kivo set main.xml /settings/audio volume=1 read_only=true", "", 2, "",
       "~kivo: 'read_only=true': the node writes 'read_only' itself" + nothing},
      {"kivo set main.xml /settings/audio volume=1 include=other.xml", "", 2, "",
       "~kivo: 'include=other.xml': the node writes 'include' itself" + nothing},
      {"kivo set main.xml /settings/audio \"$(printf 'volume=\\303(')\"", "", 2, "",
       "~kivo: 'volume=\xC3(': the value is not UTF-8 text" + nothing},
      {"kivo set main.xml / name=player", "", 2, "", "~the root keeps its name" + nothing},
  });
}

TEST(KivoProgram, ExecRunsTheNodesCommandsAndExitsWithTheAnswer) {
  const std::string exception = "<exception><message>boom</message></exception>";
  runCases({
      {"kivo -q exec plugins.xml /example Upper 'héllo wörld'", "", 0, "HéLLO WöRLD\n", ""},
      {"kivo -q exec plugins.xml '/example?abc' Upper", "", 0, "ABC\n", ""},
      {"kivo -q exec plugins.xml /example Greet", "", 0, "greetings from the example\n", ""},
      {"kivo -q exec plugins.xml /example stop", "", 0, "<ok/>\n", ""},
      {"kivo -q exec plugins.xml /example Echo '<failure/>'", "", 1, "<failure/>\n",
       "kivo: '/example' answered 'Echo' with a failure\n"},
      {"kivo -q exec plugins.xml /example Echo '" + exception + "'", "", 1, exception + "\n",
       "kivo: '/example' answered 'Echo' with an exception\n"},
      {"kivo -q exec plugins.xml /idle start", "", 1, "<failure/>\n", "kivo: '/idle' answered 'start' with a failure\n"},
      {"kivo -q exec plugins.xml /example Upper", "", 0, "", "kivo: '/example' ran 'Upper' and answered nothing\n"},
      {"kivo -q exec plugins.xml /example Lower x", "", 1, "", "kivo: '/example' does not know the command 'Lower'\n"},
      {"kivo -q exec plugins.xml /plain open", "", 1, "", "kivo: '/plain' does not know the command 'open'\n"},
      {"kivo -q exec plugins.xml '/example?x'", "", 1, "", "kivo: '/example' does not know the command 'example'\n"},
      {"kivo exec plugins.xml '/example?a' Upper b; echo $?; kivo exec plugins.xml /example Upper b c; echo $?", "", 0,
       "2\n2\n", "~"},
      {"kivo -q shell plugins.xml", "exec example Upper two words\nexec plain open\n", 1, "TWO WORDS\n",
       "kivo: '/plain' does not know the command 'open'\n"},
  });
}

TEST(KivoProgram, LooksRunNoPluginCodeUnlessAskedAndActionsRunIt) {
  runCases({
      {"kivo tree plugins.xml --log-level=1", "", 0, "~!Greetings [factory]", "~" + kNoPlugins},
      {"kivo tree --no-plugins plugins.xml --log-level=1", "", 0, "~!Greetings [factory]", "~" + kNoPlugins},
      {"kivo tree --plugins plugins.xml --log-level=1", "", 0, "~Greetings [factory]", "~!" + kNoPlugins},
      {"kivo state plugins.xml /example --log-level=1", "", 0, "~!<library loaded=\"true\" />", "~" + kNoPlugins},
      {"kivo state plugins.xml /example --plugins --log-level=1", "", 0, "~<library loaded=\"true\" />", "~!" + kNoPlugins},
      {"kivo exec plugins.xml /example start --log-level=1", "", 0, "~", "~!" + kNoPlugins},
      {"kivo exec --no-plugins plugins.xml /example start --log-level=1", "", 1, "~", "^[^]*" + kNoPlugins + "[^]*"},
      {"kivo get plugins.xml /example filename", "", 0, "{plugin}\n", ""},
      // A bare library name found in a folder that anyone may write is refused.
      {"mkdir open && chmod 777 open && cp \"$PLUGIN\" open/libplanted.so && "
       "LD_LIBRARY_PATH=\"$PWD/open\" kivo tree --plugins bare.xml", "", 0, "~!Greetings",
       "~Refused to load library 'libplanted.so': '{dir}/open' is writable by others", "open/libplanted.so"},
      {"mkdir open && chmod 755 open && cp \"$PLUGIN\" open/libplanted.so && "
       "LD_LIBRARY_PATH=\"$PWD/open\" kivo tree --plugins bare.xml", "", 0, "~Greetings [factory]", "~", "open/libplanted.so"},
      // The example as the README shows it, with "build" leading to this build.
      {"ln -s \"$BUILD\" build && cp -r \"$SRC/examples\" . && kivo tree examples/plugin.xml && "
       "kivo tree --plugins examples/plugin.xml | grep Greetings", "", 0,
       "~example [library] autostart=true filename=../build/plugins/kivo_example|"
       "Greetings [factory] registered_elements=\"greeting, counter\"", "", "*"},
      // Asked many times, so a slow start cannot squeeze every question into one moment.
      {"ln -s \"$BUILD\" build && cp -r \"$SRC/examples\" . && (for i in $(seq 40); do "
       "echo 'get /ticks count'; sleep 0.25; done) | ./build/tools/kivo/kivo shell examples/ticker.xml | "
       "awk 'NR == 1 { first = $1 } END { print ($1 > first) }'", "", 0, "1\n", "~", "*"},
  });
}

TEST(KivoProgram, JsonCarriesEveryNodeAndValueWhole) {
  const std::string value = std::string("say \"hi\" \\ ") + std::string(60, 'x') + "\nжизнь 漢字\t!";
  runCases({
      {R"(kivo tree --json main.xml /settings | jq -r '[.name, .label, .element, (.children | length),)"
       R"( .children[0].name, .children[0].attributes.width, .children[1].label,)"
       R"( (.children[1].attributes | keys | join(",")), (.children[1].children | length)] | join("|")')", "", 0,
       "settings|Settings|node|2|window|800|Sound|volume|0\n", ""},
      {R"(test $(kivo --json tree main.xml | jq '[.. | objects | select(has("children"))] | length') = )"
       R"($(kivo tree main.xml | wc -l) && echo same)", "", 0, "same\n", ""},
      {"kivo set main.xml /settings/window " + shellWord("note=" + value) +
           " && kivo tree main.xml /settings/window --json | jq -r .attributes.note"
           " && kivo get --json main.xml /settings/window | jq -r .note", "", 0, value + "\n" + value + "\n", "", "main.xml"},
      {R"(kivo get --json main.xml /settings/window | jq -r 'to_entries | map(.key + "=" + .value) | join(",")')", "", 0,
       "height=600,name=window,visible=true,width=800\n", ""},
      {"kivo get --json main.xml /settings/window width | jq -c .", "", 0, "{\"width\":\"800\"}\n", ""},
  });
}

TEST(KivoProgram, ShellScriptsPrintExactlyTheirAnswers) {
  runCases({
      {"kivo shell main.xml", "pwd\nls\ncd settings\npwd\nls\ncd ..\ncd library/favourites\npwd\nquit\n", 0,
       "/\nsettings/\nlocked\nlibrary/\nsound\ncurrent/\n/settings\nwindow\naudio\n/library/favourites\n", ""},
      {"kivo shell main.xml", "set settings/window 'title=Main window' note=\"a \\\"b\\\"\"\n"
       "get settings/window title\nget settings/window note\n", 0, "Main window\na \"b\"\n", ""},
      {"kivo shell main.xml", "cd /nowhere\npwd\nfrobnicate\nset settings/window width\nget settings/window width\n", 1,
       "/\n800\n", "kivo: no node at '/nowhere'\nkivo: unknown command 'frobnicate' (try 'help')\n"
       "kivo: 'width' is not ATTRIBUTE=VALUE\n"},
      {"kivo shell main.xml", "# a comment\n\npwd", 0, "/\n", ""},
      {"kivo shell main.xml", "quit\npwd\n", 0, "", ""},
      {"kivo shell main.xml", "set settings/audio volume=1 'bad name=2'\nget settings/audio volume\n", 1, "0.5\n",
       "~'bad name=2'"},
      {"kivo shell main.xml", "cd /settings\nget window width\ntree audio\nstate window\n", 0,
       "^800\naudio \"Sound\" \\[node\\] volume=0\\.5\n<node [^]*kivo_state_full_node_path=\"/kivo/settings/window\"[^]*", ""},
      {"kivo shell main.xml", "set library/favourites tracks=7\nget library/favourites tracks\n", 0, "7\n", ""},
      {"kivo shell main.xml && kivo get main.xml /library/favourites tracks", "cd library\nset favourites tracks=9\nsave favourites\n",
       0, "saved {dir}/library.xml\n9\n", "", "library.xml"},
      {"kivo --log-level 2 -q shell main.xml", "save settings/window\nlog\nlog\n", 0, "~Message: SAVED|(no messages)\n", "", "*"},
      {"kivo shell main.xml", "help\n", 0,
       "~  ls [|  cd [|  pwd  |  tree [|  state [|  info [|  exec PATH|  get PATH|  set PATH|  save [|  log  |  help  |  quit  ",
       ""},
  });
}

TEST(KivoProgram, LuaAndLanguageOptions) {
  runCases({
      {"kivo lua lua.xml /plain 'x = 1'", "", 1, "", "kivo: '/plain' is not a Lua node\n"},
      {"kivo lua lua.xml /nothing 'x = 1'", "", 1, "", "kivo: no node at '/nothing'\n"},
      {"kivo lua lua.xml /broken 'kivo_log(1'", "", 1, "", "kivo: [string \"kivo_log(1\"]:1: ')' expected near <eof>\n"},
      {"kivo lua lua.xml broken \"error('stop')\"", "", 1, "", "kivo: [string \"error('stop')\"]:1: stop\n"},
      {"kivo --log-level 1 lua lua.xml /broken \"kivo_log(kivo.exists('/plain'))\"", "", 0, "LUA: true\n",
       "~Warning: Lua on_init script of [Lua:broken:broken] @ '/kivo/broken' failed: "
       "[string \"kivo.set(\"/plain\", \"x\", 1) +\"]:1: unexpected symbol near '+'"},
      {"kivo get --plugins lua.xml /w x", "", 0, "7\n", "~"},
      {"kivo --log-level 1 get lua.xml /w x", "", 1, "",
       "~Warning: Did not run the scripts of '/kivo/l': the host runs no plug-in code"},
      {"mkdir -p locale && msgfmt -o locale/de_DE.mo de_DE.po && kivo get --language=de_DE lang.xml /settings && "
       "kivo get lang.xml /settings label", "", 0,
       "label=Einstellungen (2)\nname=settings\ntranslatable_name=Settings (2)\nwidth=3\nSettings (2)\n", "",
       "locale/de_DE.mo"},
      // The committed catalog is the one its source compiles to.
      {"msgfmt -o de.mo \"$SRC/examples/locale/de_DE.po\" && msgunfmt de.mo > a && "
       "msgunfmt \"$SRC/examples/locale/de_DE.mo\" | cmp - a && wc -l < a", "", 0, "^[1-9][0-9]*\n", "", "a de.mo"},
      {"kivo --language xx_YY tree main.xml", "", 2, "", "^kivo: unknown language 'xx_YY'[^]*"},
      {"kivo --language de_DE --catalogs none tree main.xml", "", 2, "", "kivo: catalog folder '{dir}/none' not found (try 'kivo --help')\n"},
      {"kivo --catalogs . tree main.xml", "", 2, "", "^kivo: --catalogs needs --language[^]*"},
      {"kivo tree main.xml --language", "", 2, "", "^kivo: --language needs a language code[^]*"},
      {"kivo --language fi_FI --catalogs . tree main.xml /settings", "", 0, "~", "~Failed to add 'fi_FI.mo'"},
  });
}

// Long values are cut between characters, by the columns they take, to 48 columns.
TEST(KivoProgram, TreeCutsLongValuesBetweenCharacters) {
  const auto times = [](const std::string& text, size_t count) {
    std::string result;
    while (count-- > 0) result += text;
    return result;
  };
  const std::string accented = "e\xCC\x81";  // "e" and a combining acute accent
  const std::vector<std::pair<std::string, std::string>> cases = {
      {times("a", 48), times("a", 48)},           {times("a", 49), times("a", 45) + "..."},
      {times("ж", 60), times("ж", 45) + "..."},   {times("漢", 24), times("漢", 24)},
      {times("漢", 30), times("漢", 22) + "..."}, {"a" + times("漢", 30), "a" + times("漢", 22) + "..."},
      {times(accented, 50), times(accented, 45) + "..."}, {times("😀", 30), times("😀", 22) + "..."},
      {"line one&#10;line two", "\"line one\\nline two\""}};
  TempDir dir;
  std::string xml = "<node name=\"kivo\">\n";
  for (size_t i = 0; i < cases.size(); ++i) {
    xml += "  <node name=\"n" + std::to_string(i) + "\" v=\"" + cases[i].first + "\"/>\n";
  }
  const ProgramRun run = runKivo({"tree", dir.write("values.xml", xml + "</node>\n")});
  ASSERT_EQ(run.status, 0) << run.err;
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(occurrences(run.out, "  n" + std::to_string(i) + " [node] v=" + cases[i].second + "\n"), 1u)
        << i << ": " << run.out;
  }
}

}  // namespace
}  // namespace KivoTest

#include "Shell.h"

#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>

#include "LogPrinter.h"
#include "NodeCommands.h"
#include "NodePaths.h"
#include "Output.h"
#include "kivo/log/Tracer.h"

namespace KivoHost {
namespace {

constexpr int kQuit = -1;

const char* const kShellCommands[] = {"cd",  "exec", "get",  "help", "info",  "log", "ls",
                                      "pwd", "quit", "save", "set",  "state", "tree"};

const char* const kShellHelp =
    "  ls [PATH]                   list the children of a node\n"
    "  cd [PATH]                   go to a node (default: the root)\n"
    "  pwd                         print the current node's path\n"
    "  tree [PATH]                 print the subtree as an outline\n"
    "  state [PATH]                print the node's State report\n"
    "  info [PATH]                 print the node's Info report\n"
    "  exec PATH [CMD [PARAMS...]] run a node's command (no CMD: PATH[?PARAMS] as a call)\n"
    "  get PATH [ATTRIBUTE]        print attributes, or the value of one\n"
    "  set PATH ATTRIBUTE=VALUE... change attributes (not saved until 'save')\n"
    "  save [PATH]                 save the file the node belongs to\n"
    "  log                         print and empty the queue of log messages\n"
    "  help                        this list\n"
    "  quit                        leave (also exit, or end of input)\n"
    "Paths are absolute (/a/b) or relative to the current node (b, ../c).\n";

int showLog() {
  std::deque<KivoUnit::PoolMessage> messages;
  KivoUnit::Tracer::getSingleton()->swap(messages);
  if (messages.empty()) printLine("(no messages)");
  for (const KivoUnit::PoolMessage& message : messages) {
    printLine(LogPrinter::format(message, false));
  }
  return ExitOk;
}

std::string joinFrom(const std::vector<std::string>& words, size_t first) {
  std::string joined;
  for (size_t i = first; i < words.size(); ++i) joined += (joined.empty() ? "" : " ") + words[i];
  return joined;
}

class Shell {
 public:
  explicit Shell(bool interactive) : m_Interactive(interactive), m_Current("/"), m_Failed(false) {}

  int run();
  // Completion candidates for `text`: commands at the start, node paths after.
  std::vector<std::string> complete(const std::string& text, bool firstWord) const;

 private:
  bool readLine(std::string& line);
  int execute(const std::vector<std::string>& words);
  std::string path(const std::vector<std::string>& words, size_t index) const {
    return resolvePath(m_Current, index < words.size() ? words[index] : ".");
  }
  int changeNode(const std::string& target);
  // Fails with a usage line when `words` has fewer than `count` arguments.
  bool needs(const std::vector<std::string>& words, size_t count, const char* usage);

  bool m_Interactive;
  std::string m_Current;
  bool m_Failed;
};

int Shell::run() {
  std::string line;
  while (readLine(line)) {
    const std::vector<std::string> words = splitWords(line);
    if (words.empty() || words[0][0] == '#') continue;
    const int result = execute(words);
    if (result == kQuit) break;
    if (result != ExitOk) m_Failed = true;
    std::fflush(stdout);
  }
  // A script must notice a failed step; a person at the terminal has seen it.
  return m_Failed && !m_Interactive ? ExitFailure : ExitOk;
}

bool Shell::readLine(std::string& line) {
  if (!m_Interactive) return static_cast<bool>(std::getline(std::cin, line));
  const std::string prompt = "kivo:" + m_Current + "> ";
  char* input = readline(prompt.c_str());
  if (input == nullptr) {
    std::printf("\n");
    return false;
  }
  line = input;
  std::free(input);
  if (!splitWords(line).empty()) add_history(line.c_str());
  return true;
}

bool Shell::needs(const std::vector<std::string>& words, size_t count, const char* usage) {
  if (words.size() > count) return true;
  fail(std::string("usage: ") + usage);
  return false;
}

int Shell::changeNode(const std::string& target) {
  if (!nodeExists(target)) return fail("no node at " + quoted(withoutParams(target)));
  m_Current = withoutParams(target);
  return ExitOk;
}

int Shell::execute(const std::vector<std::string>& words) {
  const std::string& command = words[0];
  if (command == "quit" || command == "exit") return kQuit;
  if (command == "help") {
    printText(kShellHelp);
    return ExitOk;
  }
  if (command == "pwd") {
    printLine(m_Current);
    return ExitOk;
  }
  if (command == "log") return showLog();
  if (command == "ls") return listChildren(path(words, 1));
  if (command == "cd") return changeNode(resolvePath(m_Current, words.size() > 1 ? words[1] : "/"));
  if (command == "tree") return showTree(path(words, 1), false);
  if (command == "state") return showState(path(words, 1));
  if (command == "info") return showInfo(path(words, 1));
  if (command == "save") return saveNode(path(words, 1), true);
  if (command == "exec") {
    if (!needs(words, 1, "exec PATH[?PARAMS] [COMMAND [PARAMS...]]")) return ExitFailure;
    const std::string target = path(words, 1);
    const std::string inPath = target.substr(withoutParams(target).size());
    const std::string params = inPath.empty() ? joinFrom(words, 3) : inPath.substr(1);
    return runCommand(target, words.size() > 2 ? words[2] : "", params);
  }
  if (command == "get") {
    if (!needs(words, 1, "get PATH [ATTRIBUTE]")) return ExitFailure;
    return showAttributes(path(words, 1), words.size() > 2 ? words[2] : "", false);
  }
  if (command == "set") {
    if (!needs(words, 2, "set PATH ATTRIBUTE=VALUE...")) return ExitFailure;
    return setAttributes(path(words, 1), std::vector<std::string>(words.begin() + 2, words.end()),
                         false);
  }
  return fail("unknown command " + quoted(command) + " (try 'help')");
}

std::vector<std::string> Shell::complete(const std::string& text, bool firstWord) const {
  std::vector<std::string> matches;
  if (firstWord) {
    for (const char* command : kShellCommands) {
      if (std::strncmp(command, text.c_str(), text.size()) == 0) matches.push_back(command);
    }
    return matches;
  }
  const size_t slash = text.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : text.substr(0, slash + 1);
  const std::string prefix = text.substr(folder.size());
  for (const std::string& name :
       childNames(resolvePath(m_Current, folder.empty() ? "." : folder))) {
    if (name.compare(0, prefix.size(), prefix) == 0) matches.push_back(folder + name);
  }
  return matches;
}

// Readline's callbacks are plain functions: they reach the running shell here.
const Shell* g_CompletingShell = nullptr;
std::vector<std::string> g_Matches;

char* nextMatch(const char*, int state) {
  static size_t next = 0;
  if (state == 0) next = 0;
  return next < g_Matches.size() ? strdup(g_Matches[next++].c_str()) : nullptr;
}

char** completeWord(const char* text, int start, int) {
  rl_attempted_completion_over = 1;  // never fall back to file names
  const bool firstWord =
      std::string(rl_line_buffer, static_cast<size_t>(start)).find_first_not_of(" \t") ==
      std::string::npos;
  g_Matches = g_CompletingShell->complete(text, firstWord);
  // A node with children completes to "name/", ready for the next piece.
  bool allFolders = !g_Matches.empty();
  for (const std::string& match : g_Matches) allFolders = allFolders && match.back() == '/';
  rl_completion_append_character = allFolders ? '\0' : ' ';
  return rl_completion_matches(text, nextMatch);
}

void setUpReadline(const Shell& shell) {
  g_CompletingShell = &shell;
  rl_readline_name = "kivo";
  rl_completer_word_break_characters = const_cast<char*>(" \t\n\"'");
  rl_attempted_completion_function = completeWord;
}

}  // namespace

std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = '\0';
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\' && i + 1 < line.size() && quote != '\'') {
      word += line[++i];
      inWord = true;
    } else if (quote != '\0') {
      if (c == quote)
        quote = '\0';
      else
        word += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// Interactive history lives in ~/.kivo_history, as shells keep theirs.
std::string historyFile() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? std::string(home) + "/.kivo_history" : std::string();
}

int runShell() {
  const bool interactive = isatty(STDIN_FILENO) != 0;
  Shell shell(interactive);
  setUpReadline(shell);
  const std::string history = interactive ? historyFile() : std::string();
  if (!history.empty()) read_history(history.c_str());
  const int result = shell.run();
  if (!history.empty()) write_history(history.c_str());
  g_CompletingShell = nullptr;
  return result;
}

}  // namespace KivoHost

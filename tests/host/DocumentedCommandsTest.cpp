// Every command line shown in README.md and examples/ runs, exactly as written, and
// succeeds, so the documents cannot drift from the program.
//
// How a command line is recognised:
// - In a Markdown file, a line of an indented code block that starts with "$ " (four
//   or more spaces, "$", a space; more inside a list item). The rest of the line is the command, run by /bin/sh. The
//   lines below it in the same block (as deeply indented), up to the next command, are its output, and
//   must be what it prints.
// - In an example configuration (.xml), a text in single quotes inside an XML
//   comment that starts with "kivo ".
// Lines whose first word sets up the machine, builds or runs this suite
// (./scripts/setup, ./scripts/test, ./scripts/bench, cmake, ctest) are shown, not run.
//
// The lines of each file run in order in a fresh folder holding a copy of examples/
// and scripts/run, with "build" leading to this build: "kivo" is this build's program
// (on PATH), and scripts/run uses it without building (KIVO_RUN_NO_BUILD=1).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

namespace fs = std::filesystem;

struct CommandLine {
  std::string where;  // file:line
  std::string command;
  std::string output;  // what the document shows it printing, "" when nothing is shown
};

std::vector<std::string> linesOf(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool isShownOnly(const std::string& command) {
  static const std::vector<std::string> kNotRun = {"./scripts/setup", "./scripts/test",
                                                   "./scripts/bench", "cmake", "ctest"};
  const std::string first = command.substr(0, command.find(' '));
  return std::find(kNotRun.begin(), kNotRun.end(), first) != kNotRun.end();
}

std::vector<CommandLine> commandsOf(const fs::path& file, const std::string& name) {
  std::vector<CommandLine> commands;
  const std::vector<std::string> lines = linesOf(file);
  const bool markdown = file.extension() == ".md";
  const std::regex quotedKivo("'(kivo [^']*)'");
  bool inComment = false;
  bool afterCommand = false;  // in the code block of a command, below it
  size_t blockIndent = 0;     // the indentation of that code block
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string where = name + ":" + std::to_string(i + 1);
    const std::string& line = lines[i];
    if (markdown) {
      const size_t indent = line.find_first_not_of(' ');
      const bool isCommand = indent != std::string::npos && indent >= 4 &&
                             line.compare(indent, 2, "$ ") == 0;
      if (isCommand) {
        commands.push_back({where, line.substr(indent + 2), ""});
        blockIndent = indent;
      } else if (afterCommand && line.rfind(std::string(blockIndent, ' '), 0) == 0) {
        commands.back().output += line.substr(blockIndent) + "\n";
      } else {
        afterCommand = false;
      }
      afterCommand = afterCommand || isCommand;
      continue;
    }
    const bool opens = line.find("<!--") != std::string::npos;
    if (opens || inComment) {
      for (std::sregex_iterator it(line.begin(), line.end(), quotedKivo), end; it != end; ++it) {
        commands.push_back({where, (*it)[1], ""});
      }
    }
    if (opens) inComment = true;
    if (line.find("-->") != std::string::npos) inComment = false;
  }
  commands.erase(std::remove_if(commands.begin(), commands.end(),
                                [](const CommandLine& c) { return isShownOnly(c.command); }),
                 commands.end());
  return commands;
}

// A folder laid out like the repository, for the documents' relative paths.
class Sandbox {
 public:
  Sandbox() {
    const fs::path root(KIVO_SOURCE_DIR);
    fs::copy(root / "examples", fs::path(m_Dir.path()) / "examples", fs::copy_options::recursive);
    fs::create_directories(m_Dir.file("scripts"));
    fs::copy_file(root / "scripts" / "run", m_Dir.file("scripts/run"));
    fs::permissions(m_Dir.file("scripts/run"), fs::perms::owner_all);
    fs::create_directory_symlink(KIVO_BUILD_DIR, m_Dir.file("build"));
  }
  ProgramRun run(const std::string& command) const {
    const std::string programFolder = fs::path(KIVO_PROGRAM).parent_path().string();
    return runShell(command, m_Dir.path(),
                        "PATH='" + programFolder + "':\"$PATH\" KIVO_RUN_NO_BUILD=1");
  }

 private:
  TempDir m_Dir;
};

std::vector<fs::path> documents() {
  const fs::path root(KIVO_SOURCE_DIR);
  std::vector<fs::path> files = {root / "README.md"};
  std::vector<fs::path> examples;
  for (const auto& entry : fs::directory_iterator(root / "examples")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".md" || extension == ".xml") examples.push_back(entry.path());
  }
  std::sort(examples.begin(), examples.end());
  files.insert(files.end(), examples.begin(), examples.end());
  return files;
}

TEST(KivoDocumentedCommands, EveryCommandLineOfTheDocumentsSucceedsAsWritten) {
  size_t run = 0;
  for (const fs::path& file : documents()) {
    const std::string name = fs::relative(file, KIVO_SOURCE_DIR).string();
    const Sandbox sandbox;
    for (const CommandLine& line : commandsOf(file, name)) {
      const ProgramRun result = sandbox.run(line.command);
      EXPECT_EQ(result.status, 0) << line.where << ": " << line.command << "\n" << result.err;
      if (!line.output.empty()) {
        EXPECT_EQ(result.out, line.output) << line.where << ": " << line.command;
      }
      ++run;
    }
  }
  EXPECT_GE(run, 15u) << "the documents show more command lines than were found";
}

TEST(KivoDocumentedCommands, EachDocumentWithCommandsIsRead) {
  const fs::path root(KIVO_SOURCE_DIR);
  for (const char* name : {"README.md", "examples/README.md", "examples/player.xml",
                           "examples/plugin.xml"}) {
    EXPECT_FALSE(commandsOf(root / name, name).empty()) << name;
  }
  const auto plugin = commandsOf(root / "examples/plugin.xml", "plugin.xml");
  ASSERT_EQ(plugin.size(), 2u);
  EXPECT_EQ(plugin[1].command, "kivo exec examples/plugin.xml /example Upper");
}

TEST(KivoDocumentedCommands, NoCommandOfACodeBlockIsLeftUnmarked) {
  for (const fs::path& file : documents()) {
    if (file.extension() != ".md") continue;
    const std::vector<std::string> lines = linesOf(file);
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_NE(lines[i].rfind("    ./", 0), 0u)
          << file.filename() << ":" << i + 1 << " shows a command without \"$ \": " << lines[i];
    }
  }
}

}  // namespace
}  // namespace KivoTest

// Every command line shown in README.md and examples/ runs, exactly as written, and
// succeeds, so the documents cannot drift from the program.
//
// A command line is, in a Markdown file, a line of an indented code block that starts
// with "$ " (the rest runs with /bin/sh; the lines below it in the same block, up to the
// next command, are what it must print) and, in an example configuration (.xml), a text
// in single quotes inside an XML comment that starts with "kivo ". Lines that set up the
// machine, build or run this suite are shown, not run. The lines of each file run in
// order in a fresh folder holding a copy of examples/ and scripts/run, with "build"
// leading to this build, this build's kivo on PATH, and scripts/run not building.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

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

std::vector<CommandLine> commandsOf(const fs::path& file, const std::string& name) {
  std::vector<CommandLine> commands;
  const std::vector<std::string> lines = linesOf(file);
  const std::regex quotedKivo("'(kivo [^']*)'");
  bool inComment = false, afterCommand = false;  // in the code block of a command, below it
  size_t blockIndent = 0;                        // the indentation of that code block
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string where = name + ":" + std::to_string(i + 1), &line = lines[i];
    if (file.extension() == ".md") {
      const size_t indent = line.find_first_not_of(' ');
      const bool isCommand = indent != std::string::npos && indent >= 4 && line.compare(indent, 2, "$ ") == 0;
      if (isCommand) {
        commands.push_back({where, line.substr(indent + 2), ""});
        blockIndent = indent;
      } else if (afterCommand && line.rfind(std::string(blockIndent, ' '), 0) == 0) {
        commands.back().output += line.substr(blockIndent) + "\n";
      }
      afterCommand = isCommand || (afterCommand && line.rfind(std::string(blockIndent, ' '), 0) == 0);
      continue;
    }
    const bool opens = line.find("<!--") != std::string::npos;
    if (opens || inComment) {
      for (std::sregex_iterator it(line.begin(), line.end(), quotedKivo), end; it != end; ++it) {
        commands.push_back({where, (*it)[1], ""});
      }
    }
    inComment = (opens || inComment) && line.find("-->") == std::string::npos;
  }
  const std::vector<std::string> shownOnly = {"./scripts/setup", "./scripts/test", "./scripts/bench", "cmake", "ctest"};
  commands.erase(std::remove_if(commands.begin(), commands.end(), [&](const CommandLine& c) {
    return std::count(shownOnly.begin(), shownOnly.end(), c.command.substr(0, c.command.find(' '))) > 0;
  }), commands.end());
  return commands;
}

std::vector<fs::path> documents() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(KIVO_SOURCE_DIR "/examples")) {
    if (entry.path().extension() == ".md" || entry.path().extension() == ".xml") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  files.insert(files.begin(), KIVO_SOURCE_DIR "/README.md");
  return files;
}

TEST(KivoDocumentedCommands, EveryCommandLineOfTheDocumentsSucceedsAsWritten) {
  size_t run = 0;
  for (const fs::path& file : documents()) {
    TempDir sandbox;
    fs::copy(KIVO_SOURCE_DIR "/examples", sandbox.file("examples"), fs::copy_options::recursive);
    fs::create_directories(sandbox.file("scripts"));
    fs::copy_file(KIVO_SOURCE_DIR "/scripts/run", sandbox.file("scripts/run"));
    fs::permissions(sandbox.file("scripts/run"), fs::perms::owner_all);
    fs::create_directory_symlink(KIVO_BUILD_DIR, sandbox.file("build"));
    const std::string programFolder = fs::path(KIVO_PROGRAM).parent_path().string();
    for (const CommandLine& line : commandsOf(file, fs::relative(file, KIVO_SOURCE_DIR).string())) {
      const ProgramRun result =
          runShell(line.command, sandbox.path(), "PATH='" + programFolder + "':\"$PATH\" KIVO_RUN_NO_BUILD=1");
      EXPECT_EQ(result.status, 0) << line.where << ": " << line.command << "\n" << result.err;
      if (!line.output.empty()) {
        EXPECT_EQ(result.out, line.output) << line.where << ": " << line.command;
      }
      ++run;
    }
  }
  EXPECT_GE(run, 15u) << "the documents show more command lines than were found";
}

TEST(KivoDocumentedCommands, EachDocumentWithCommandsIsReadAndNoCommandIsLeftUnmarked) {
  for (const char* name : {"README.md", "examples/README.md", "examples/player.xml", "examples/plugin.xml"}) {
    EXPECT_FALSE(commandsOf(fs::path(KIVO_SOURCE_DIR) / name, name).empty()) << name;
  }
  const auto plugin = commandsOf(KIVO_SOURCE_DIR "/examples/plugin.xml", "plugin.xml");
  ASSERT_EQ(plugin.size(), 2u);
  EXPECT_EQ(plugin[1].command, "kivo exec examples/plugin.xml /example Upper");
  for (const fs::path& file : documents()) {
    const std::vector<std::string> lines = linesOf(file);
    for (size_t i = 0; i < lines.size() && file.extension() == ".md"; ++i) {
      EXPECT_NE(lines[i].rfind("    ./", 0), 0u) << file.filename() << ":" << i + 1 << " shows a command without \"$ \"";
    }
  }
}

}  // namespace
}  // namespace KivoTest

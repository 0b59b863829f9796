// The --language and --catalogs options: labels from "translatable_name" in the
// user's language, with real catalogs.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = KIVO_SOURCE_DIR;

// The committed catalog is the one its .po file compiles to with the README's line,
// run here on a copy of the .po.
TEST(KivoLanguage, ExampleCatalogMatchesItsSource) {
  TempDir copy;
  const fs::path locale = kSourceRoot / "examples" / "locale";
  fs::create_directories(fs::path(copy.path()) / "examples" / "locale");
  fs::copy_file(locale / "de_DE.po", fs::path(copy.path()) / "examples" / "locale" / "de_DE.po");
  const std::string compiled = runShell(
      "msgfmt -o examples/locale/de_DE.mo examples/locale/de_DE.po && "
      "msgunfmt examples/locale/de_DE.mo",
      copy.path()).out;
  EXPECT_NE(compiled, "");
  EXPECT_EQ(runShell("msgunfmt examples/locale/de_DE.mo", kSourceRoot).out, compiled);
}

TEST(KivoLanguage, GetShowsTheTranslatedLabelFromTheLocaleFolderBesideTheFile) {
  TempDir dir;
  dir.write("main.xml",
            "<node name=\"kivo\"><node name=\"settings\" translatable_name=\"Settings (2)\" "
            "width=\"3\"/></node>\n");
  dir.write("de_DE.po", "msgid \"Settings\"\nmsgstr \"Einstellungen\"\n");
  ASSERT_EQ(
      runShell("mkdir -p locale && msgfmt -o locale/de_DE.mo de_DE.po && echo ok", dir.path()).out,
      "ok\n");
  const ProgramRun run = runKivo({"get", "--language=de_DE", dir.file("main.xml"), "/settings"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "label=Einstellungen (2)\nname=settings\ntranslatable_name=Settings (2)\nwidth=3\n");
  const ProgramRun plain = runKivo({"get", dir.file("main.xml"), "/settings", "label"});
  EXPECT_EQ(plain.out, "Settings (2)\n") << "without a language the name as written";
  EXPECT_EQ(dir.read("main.xml").find("label="), std::string::npos) << "the file is unchanged";
}

TEST(KivoLanguage, BadLanguageOptionsAreUsageErrors) {
  HostConfiguration config;
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"--language", "xx_YY", "tree", config.main()}, "kivo: unknown language 'xx_YY'"},
      {{"--language", "de_DE", "--catalogs", config.dir().file("none"), "tree", config.main()},
       "kivo: catalog folder '" + config.dir().file("none") + "' not found"},
      {{"--catalogs", config.dir().path(), "tree", config.main()},
       "kivo: --catalogs needs --language"},
      {{"tree", config.main(), "--language"}, "kivo: --language needs a language code"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = runKivo(c.arguments);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
  }
  const ProgramRun missing = runKivo({"--language", "fi_FI", "--catalogs", config.dir().path(),
                                      "tree", config.main(), "/settings"});
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(countLines(missing.err, "Failed to add 'fi_FI.mo'"), 1u) << missing.err;
}

}  // namespace
}  // namespace KivoTest

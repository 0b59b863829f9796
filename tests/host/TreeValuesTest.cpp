// "kivo tree" cuts long values between characters and by the columns they take.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

std::string repeat(const std::string& text, size_t times) {
  std::string result;
  for (size_t i = 0; i < times; ++i) result += text;
  return result;
}

// True when `text` is well-formed UTF-8.
bool isUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                                          : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

TEST(KivoTreeValues, LongValuesAreCutBetweenCharactersToFortyEightColumns) {
  struct Case {
    std::string value;
    std::string shown;
  };
  const std::string accented = "e\xCC\x81";  // "e" and a combining acute accent
  const std::vector<Case> cases = {
      {repeat("a", 48), repeat("a", 48)},
      {repeat("a", 49), repeat("a", 45) + "..."},
      {repeat("ж", 60), repeat("ж", 45) + "..."},                     // two bytes, one column
      {repeat("漢", 24), repeat("漢", 24)},                           // 48 columns fit
      {repeat("漢", 30), repeat("漢", 22) + "..."},                   // two columns each
      {"a" + repeat("漢", 30), "a" + repeat("漢", 22) + "..."},
      {repeat(accented, 50), repeat(accented, 45) + "..."},          // marks stay with their letter
      {repeat("😀", 30), repeat("😀", 22) + "..."},
      {"line one\nline two", "\"line one\\nline two\""},
  };
  TempDir dir;
  std::string xml = "<node name=\"kivo\">\n";
  for (size_t i = 0; i < cases.size(); ++i) {
    std::string escaped;
    for (char c : cases[i].value) escaped += c == '\n' ? std::string("&#10;") : std::string(1, c);
    xml += "  <node name=\"n" + std::to_string(i) + "\" v=\"" + escaped + "\"/>\n";
  }
  const std::string file = dir.write("values.xml", xml + "</node>\n");
  const ProgramRun run = runKivo({"tree", file});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(isUtf8(run.out)) << run.out;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string line = "  n" + std::to_string(i) + " [node] v=" + cases[i].shown + "\n";
    EXPECT_NE(run.out.find(line), std::string::npos) << "case " << i << ": " << run.out;
  }
}

}  // namespace
}  // namespace KivoTest

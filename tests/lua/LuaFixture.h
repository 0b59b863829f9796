#pragma once
// A base booted from a configuration file written for the test, with the default
// factory's "Lua" element and an "echo" element whose nodes answer commands.
#include <gtest/gtest.h>

#include <string>

#include "kivo/base/KivoBase.h"
#include "kivo/lua/LuaNode.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace KivoTest {

class EchoFactory;

class LuaTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Boots `xml` holding the tree lock, as hosts do; the Lua node at `path` or null.
  KivoUnit::LuaNode* boot(const std::string& xml, const wxString& path = wxS("/script"));
  // What `node` prints while running `script`.
  static std::string run(KivoUnit::LuaNode& node, const std::string& script);
  // The warnings the tracer received, one per line.
  std::string warnings() const;

  LogCapture log;
  TempDir dir;
  KivoUnit::KivoBase* base = nullptr;
  EchoFactory* echo = nullptr;
};

}  // namespace KivoTest

#include "lua/LuaFixture.h"

#include "kivo/factory/iNodeFactory.h"
#include "kivo/thread/KivoLocker.h"
#include "support/StdoutCapture.h"

namespace KivoTest {

using namespace KivoUnit;

// Answers every command with "command?params".
class EchoNode : public iNode {
 public:
  EchoNode() : iNode(nullptr, wxS("echo")) {}
  wxString Execute(const wxString& command, const wxString& params) override {
    return command + wxS("?") + params;
  }
};

class EchoFactory : public iNodeFactory {
 public:
  EchoFactory() : iNodeFactory(nullptr, wxS("factory")) {
    setName(wxS("Echo"));
    Register(wxS("echo"));
    RegisterElements();
  }
  iNode* Create(const wxString& element, TiXmlElement* xml, iNode*) override {
    return xml != nullptr ? Read(element, new EchoNode(), xml) : new EchoNode();
  }
};

void LuaTest::SetUp() {
  base = new KivoBase();
  KivoBase::s_Instance = base;
  echo = new EchoFactory();
}

void LuaTest::TearDown() {
  {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxS("lua test"));
    base->Shutdown();
  }
  echo->destroy();
  delete echo;
  KivoBase::s_Instance = nullptr;
  delete base;
}

LuaNode* LuaTest::boot(const std::string& xml, const wxString& path) {
  const std::string file = dir.write("config.xml", xml);
  KivoLocker guard(__LINE__, __FILE__, __func__, wxS("lua test boot"));
  if (guard.Write() == nullptr || !base->Boot(wxString::FromUTF8(file.c_str()))) return nullptr;
  return dynamic_cast<LuaNode*>(base->Search(path));
}

std::string LuaTest::run(LuaNode& node, const std::string& script) {
  StdoutCapture output;
  node.runLuaScript(wxString::FromUTF8(script.c_str()));
  return output.take();
}

std::string LuaTest::warnings() const {
  std::string lines;
  for (const PoolMessage& message : log.messages()) {
    if (message.level == LevelWarning) lines += message.message.utf8_string() + "\n";
  }
  return lines;
}

}  // namespace KivoTest

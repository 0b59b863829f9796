// An example plug-in: "Echo" answers its argument, "Upper" its argument in
// capitals, "Greet" a greeting; the "greeting" element makes nodes that answer
// "hello <name>" to any command, the "counter" element nodes that count their
// AutoUpdate calls in their attribute "count".
#include <cctype>
#include <string>

#include "kivo/plugin/KivoPlug.h"
#include "kivo/factory/iNodeFactory.h"
#include "kivo/node/iNode.h"

using namespace KivoUnit;

// A second build of this plug-in (an add-on beside it) declares its own element,
// since one element name has one factory at a time.
#ifndef KIVO_EXAMPLE_ELEMENT
#define KIVO_EXAMPLE_ELEMENT "greeting"
#define KIVO_EXAMPLE_FACTORY "Greetings"
#endif

namespace {

class GreetingNode : public iNode {
 public:
  GreetingNode(iNode* parent, const wxString& element) : iNode(parent, element) {}
  wxString Execute(const wxString&, const wxString&) override { return wxS("hello ") + getName(); }
};

// Give it "auto_update_interval" and put an "AutoUpdater" before it in the file.
class CounterNode : public iNode {
 public:
  CounterNode(iNode* parent, const wxString& element) : iNode(parent, element) {}
  bool Init() override {
    setUintAttribute(wxS("count"), m_Count, 0, 0);
    return iNode::Init();
  }
  // Runs on the auto-updater's thread under the tree lock, like every tree change.
  void AutoUpdate(double) override { setUintAttribute(wxS("count"), ++m_Count, 0, 0); }

 private:
  unsigned int m_Count = 0;
};

class GreetingFactory : public iNodeFactory {
 public:
  GreetingFactory() : iNodeFactory(nullptr, wxS("factory")) {
    setName(wxS(KIVO_EXAMPLE_FACTORY));
    Register(wxS(KIVO_EXAMPLE_ELEMENT));
    Register(wxS("counter"));
    RegisterElements();
  }
  iNode* Create(const wxString& element, TiXmlElement* xml, iNode* parent) override {
    iNode* node = element == wxS("counter") ? static_cast<iNode*>(new CounterNode(parent, element))
                                            : new GreetingNode(parent, element);
    return xml != nullptr ? Read(element, node, xml) : node;
  }
};

class ExamplePlug : public KivoPlug {
 public:
  ExamplePlug()
      : KivoPlug(wxS("Example"), wxS("2024-05-01"), wxS("Kivo developers"), wxS("Kivo"),
                 wxS("An example plug-in"), 2, 1, 0, 7, 1005, wxS(__DATE__ " " __TIME__),
                 wxString(), wxString(), wxString(), 0, 0x20000000) {}
  bool RegisterFactories(KivoBase* base) override {
    auto* factory = new GreetingFactory();
    if (registerFactory(base, factory)) return true;
    factory->destroy();
    delete factory;
    return false;
  }
};

ExamplePlug g_Plug;

const KivoFunctions* api() { return g_Plug.getKivo() != nullptr ? g_Plug.getKivo()->functions : nullptr; }

// The block's text through the library, "" without one.
std::string argumentOf(KivoBlock* block) {
  if (api() == nullptr) return std::string();
  const char* text = api()->KivoCStr(g_Plug.getRecord(), block);
  return text != nullptr ? text : "";
}

KivoBlock* reply(const std::string& text) {
  return api() != nullptr ? api()->KivoReturn(g_Plug.getRecord(), text.c_str()) : nullptr;
}

extern "C" KivoBlock* echo(_Plugin*, KivoBlock* block) { return reply(argumentOf(block)); }

extern "C" KivoBlock* upper(_Plugin*, KivoBlock* block) {
  std::string text = argumentOf(block);
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return reply(text);
}

MethodEntry g_Entries[] = {{"Echo", &echo}, {"Upper", &upper}, {nullptr, nullptr}};
MethodList g_Methods{0, g_Entries};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) _Plugin* start(Kivo* kivo) {
  _Plugin* record = g_Plug.Start(kivo);
  record->methods = &g_Methods;
  return record;
}

__attribute__((visibility("default"))) void stop() { g_Plug.Stop(); }

// Found by its export name when a command is not in the method list.
__attribute__((visibility("default"))) KivoBlock* Greet(_Plugin*, KivoBlock*) {
  return reply("greetings from the example");
}

__attribute__((visibility("default"))) void ConnectDebugCallback() {}

}  // extern "C"

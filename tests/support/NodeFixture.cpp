#include "support/NodeFixture.h"

namespace KivoTest {

Names childNames(const KivoUnit::iNode* node) {
  Names names;
  for (const KivoUnit::iNode* child : node->getChildren()) {
    if (child != nullptr) names.push_back(child->getName());
  }
  return names;
}

TestNode::~TestNode() { destroyed().push_back(getName()); }

std::vector<wxString>& TestNode::destroyed() {
  static std::vector<wxString> names;
  return names;
}

TestFactory::TestFactory(const wxString& name, const std::vector<wxString>& elements)
    : iNodeFactory(nullptr, wxS("factory")) {
  setName(name);
  for (const wxString& element : elements) Register(element);
  RegisterElements();
}

KivoUnit::iNode* TestFactory::Create(const wxString& element, TiXmlElement* xml,
                                     KivoUnit::iNode*) {
  created.push_back(element);
  if (element == wxS("broken")) return nullptr;
  KivoUnit::iNode* node = new TestNode(element);
  return xml != nullptr ? Read(element, node, xml) : node;
}

void NodeTest::SetUp() {
  log = std::make_unique<LogCapture>();
  base = new KivoUnit::KivoBase();
  base->setName(wxS("kivo"));
  KivoUnit::KivoBase::s_Instance = base;
  factory = new TestFactory();
  TestNode::destroyed().clear();
}

void NodeTest::TearDown() {
  base->RemoveAllChildren();
  factory->destroy();
  delete factory;
  KivoUnit::KivoBase::s_Instance = nullptr;
  delete base;
  log.reset();
}

void NodeTest::nameBase(const wxString& rootName) { base->setName(rootName); }

KivoUnit::iNode* NodeTest::add(KivoUnit::iNode* parent, const wxString& name,
                               const wxString& element) {
  KivoUnit::iNode* node = base->CreateNode(element, nullptr, nullptr);
  node->setName(name);
  EXPECT_TRUE(parent->AppendChild(node, nullptr, false));
  return node;
}

void BaseTest::SetUp() {
  base = new KivoUnit::KivoBase();
  KivoUnit::KivoBase::s_Instance = base;
}

void BaseTest::TearDown() {
  base->Shutdown();
  EXPECT_FALSE(base->hasChildren());
  KivoUnit::KivoBase::s_Instance = nullptr;
  delete base;
}

}  // namespace KivoTest

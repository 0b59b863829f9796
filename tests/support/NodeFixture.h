#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kivo/base/KivoBase.h"
#include "kivo/factory/iNodeFactory.h"
#include "kivo/node/iNode.h"
#include "kivo/node/iNodeListener.h"
#include "support/LogCapture.h"

namespace KivoTest {

using Names = std::vector<wxString>;

// The names of `node`'s children, in list order.
Names childNames(const KivoUnit::iNode* node);

// A plain concrete node.
class TestNode : public KivoUnit::iNode {
 public:
  explicit TestNode(const wxString& element) : iNode(nullptr, element) {}
  ~TestNode() override;
  // Destruction order of every TestNode, by name.
  static std::vector<wxString>& destroyed();
};

// Makes TestNodes for the element names it is given (by default "node", "item",
// "other" and "broken"), read from the XML element when one is given; "broken"
// fails to be created.
class TestFactory : public KivoUnit::iNodeFactory {
 public:
  explicit TestFactory(const wxString& name = wxS("TestFactory"),
                       const std::vector<wxString>& elements = {wxS("node"), wxS("item"),
                                                                wxS("other"), wxS("broken")});
  KivoUnit::iNode* Create(const wxString& element, TiXmlElement* xml,
                          KivoUnit::iNode* parent) override;
  std::vector<wxString> created;
};

// Records every notification as one line of text.
class RecordingListener : public KivoUnit::iNodeListener {
  using Node = KivoUnit::iNode;

 public:
  void onUpdate(const Node* node) override { record(wxS("update ") + node->getName()); }
  void onExecute(const Node* node, const wxString& command, const wxString& params) override {
    record(wxS("execute ") + node->getName() + wxS(" ") + command + wxS("?") + params);
  }
  void onLog(const Node* node, const wxString& a, const wxString& b) override {
    record(wxS("log ") + node->getName() + wxS(" ") + a + wxS(" ") + b);
  }
  void onDeleted(const Node* node) override { record(wxS("deleted ") + node->getName()); }
  void onNameChanged(const Node*, const wxString& name) override { record(wxS("name ") + name); }
  void onLabelChanged(const Node*, const wxString& label) override { record(wxS("label ") + label); }
  void onAttributeChanged(const Node*, const wxString& name, const wxString& value) override {
    record(wxS("attribute ") + name + wxS("=") + value);
  }
  void removeNode(Node* node) override {
    record(wxS("remove ") + node->getName());
    iNodeListener::removeNode(node);
  }

  wxString tag;
  std::vector<wxString>* journal = nullptr;
  std::vector<wxString> events;

 private:
  void record(const wxString& event) {
    events.push_back(event);
    if (journal != nullptr) journal->push_back(tag + wxS(":") + event);
  }
};

// A plain base installed as the process's base; shut down (every node destroyed) and
// removed again after the test.
class BaseTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  KivoUnit::KivoBase* base = nullptr;
};

// A base installed as the process's base, named `rootName`, with a test factory
// registered; everything is torn down again after the test.
class NodeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void nameBase(const wxString& rootName);
  // Creates a node of element "node" named `name` and appends it under `parent`.
  KivoUnit::iNode* add(KivoUnit::iNode* parent, const wxString& name,
                       const wxString& element = wxS("node"));

  std::unique_ptr<LogCapture> log;
  KivoUnit::KivoBase* base = nullptr;
  TestFactory* factory = nullptr;
};

}  // namespace KivoTest

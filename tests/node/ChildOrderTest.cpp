// Swaps and moves keep the XML elements in the order of the child list, for every
// pair of children, neighbours or not, in either argument order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <tinyxml.h>

#include "support/NodeFixture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace KivoTest {
namespace {

class ChildOrderTest : public NodeTest {
 protected:
  void SetUp() override {
    NodeTest::SetUp();
    file = dir.write("order.xml",
                     "<node name=\"top\"><item name=\"a\"><item name=\"deep\"/></item>"
                     "<!-- between --><item name=\"b\"/><item name=\"c\"/><item name=\"d\"/>"
                     "<item name=\"e\"/></node>");
    top = add(base, wxS("top"));
    ASSERT_TRUE(top->Load(wxString::FromUTF8(file.c_str())));
    ASSERT_TRUE(top->Read(top->getDocument()->RootElement()));
    for (const char* name : {"a", "b", "c", "d", "e"}) model.push_back(name);
  }

  std::string listOrder() const {
    std::string order;
    for (const iNode* child : top->getChildren()) order += child->getName().utf8_str().data();
    return order;
  }
  std::string xmlOrder() const {
    std::string order;
    for (const TiXmlElement* e = top->getTie()->FirstChildElement(); e; e = e->NextSiblingElement()) {
      order += e->Attribute("name");
    }
    return order;
  }
  std::string modelOrder() const {
    std::string order;
    for (const std::string& name : model) order += name;
    return order;
  }
  iNode* child(const std::string& name) const { return top->GetChild(wxString::FromUTF8(name.c_str())); }
  size_t at(const std::string& name) const {
    return static_cast<size_t>(std::find(model.begin(), model.end(), name) - model.begin());
  }

  TempDir dir;
  std::string file;
  iNode* top = nullptr;
  std::vector<std::string> model;
};

TEST_F(ChildOrderTest, EverySwapAndMoveKeepsTheXmlInTheOrderOfTheChildren) {
  const std::vector<std::string> names = {"a", "b", "c", "d", "e"};
  for (const std::string& x : names) {
    for (const std::string& y : names) {
      if (x == y) continue;
      SCOPED_TRACE("swap " + x + " " + y + " from " + modelOrder());
      ASSERT_TRUE(top->swapChildren(wxString::FromUTF8(x.c_str()), wxString::FromUTF8(y.c_str())));
      std::swap(model[at(x)], model[at(y)]);
      EXPECT_EQ(listOrder(), modelOrder());
      EXPECT_EQ(xmlOrder(), modelOrder());
    }
  }
  for (const bool after : {true, false}) {
    for (const std::string& x : names) {
      for (const std::string& y : names) {
        if (x == y) continue;
        SCOPED_TRACE((after ? "after " : "before ") + x + " " + y + " from " + modelOrder());
        after ? top->moveChildAfter(child(x), child(y)) : top->moveChildBefore(child(x), child(y));
        model.erase(model.begin() + static_cast<long>(at(x)));
        model.insert(model.begin() + static_cast<long>(at(y) + (after ? 1 : 0)), x);
        EXPECT_EQ(listOrder(), modelOrder());
        EXPECT_EQ(xmlOrder(), modelOrder());
      }
    }
  }
  // Each child kept its own element, and the file gets the order of the tree.
  ASSERT_NE(top->Search(wxS("a/deep")), nullptr);
  EXPECT_STREQ(top->Search(wxS("a/deep"))->getTie()->Attribute("name"), "deep");
  ASSERT_TRUE(top->Save());
  TiXmlDocument saved;
  ASSERT_TRUE(saved.LoadFile(file.c_str()));
  std::string order;
  for (const TiXmlElement* e = saved.RootElement()->FirstChildElement(); e; e = e->NextSiblingElement()) {
    order += e->Attribute("name");
  }
  EXPECT_EQ(order, modelOrder());
}

}  // namespace
}  // namespace KivoTest

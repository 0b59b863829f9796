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

std::string elementOrder(const TiXmlElement* parent) {
  std::string order;
  for (const TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement()) order += e->Attribute("name");
  return order;
}

TEST_F(NodeTest, EverySwapAndMoveKeepsTheXmlInTheOrderOfTheChildren) {
  TempDir dir;
  const std::string file = dir.write("order.xml",
                                     "<node name=\"top\"><item name=\"a\"><item name=\"deep\"/></item>"
                                     "<!-- between --><item name=\"b\"/><item name=\"c\"/><item name=\"d\"/>"
                                     "<item name=\"e\"/></node>");
  iNode* top = add(base, wxS("top"));
  ASSERT_TRUE(top->Load(wxString::FromUTF8(file.c_str())));
  ASSERT_TRUE(top->Read(top->getDocument()->RootElement()));
  const std::vector<std::string> names = {"a", "b", "c", "d", "e"};
  std::string model = "abcde";
  auto child = [&](const std::string& name) { return top->GetChild(wxString::FromUTF8(name.c_str())); };
  auto expectOrder = [&] {
    std::string list;
    for (const iNode* c : top->getChildren()) list += c->getName().utf8_str().data();
    EXPECT_EQ(list, model);
    EXPECT_EQ(elementOrder(top->getTie()), model);
  };
  for (const std::string& x : names) {
    for (const std::string& y : names) {
      if (x == y) continue;
      SCOPED_TRACE("swap " + x + " " + y + " from " + model);
      // Both forms: by name and by node.
      ASSERT_TRUE(x < y ? top->swapChildren(wxString::FromUTF8(x.c_str()), wxString::FromUTF8(y.c_str()))
                        : top->swapChildren(child(x), child(y)));
      std::swap(model[model.find(x)], model[model.find(y)]);
      expectOrder();
    }
  }
  for (const bool after : {true, false}) {
    for (const std::string& x : names) {
      for (const std::string& y : names) {
        if (x == y) continue;
        SCOPED_TRACE((after ? "after " : "before ") + x + " " + y + " from " + model);
        after ? top->moveChildAfter(child(x), child(y)) : top->moveChildBefore(child(x), child(y));
        model.erase(model.find(x), 1);
        model.insert(model.find(y) + (after ? 1 : 0), x);
        expectOrder();
      }
    }
  }
  // Each child kept its own element, and the file gets the order of the tree.
  ASSERT_NE(top->Search(wxS("a/deep")), nullptr);
  EXPECT_STREQ(top->Search(wxS("a/deep"))->getTie()->Attribute("name"), "deep");
  ASSERT_TRUE(top->Save());
  TiXmlDocument saved;
  ASSERT_TRUE(saved.LoadFile(file.c_str()));
  EXPECT_EQ(elementOrder(saved.RootElement()), model);
}

}  // namespace
}  // namespace KivoTest

#include <tinyxml.h>

#include "kivo/convert/Indent.h"
#include "support/NodeFixture.h"

using KivoUnit::iNode;
using namespace KivoTest;

TEST_F(NodeTest, QualifiedKeysWinBelowTheirParentAndPassThePlainElementName) {
  TestFactory special(wxS("Special"));
  special.Register(wxS("p"), wxS("x"));
  special.RegisterElements();
  factory->Register(wxS("x"));
  factory->RegisterElements();

  iNode* p = add(base, wxS("p"));
  iNode* elsewhere = add(base, wxS("q"));
  iNode* fromSpecial = base->CreateNode(wxS("x"), nullptr, p);
  iNode* fromPlain = base->CreateNode(wxS("x"), nullptr, elsewhere);
  ASSERT_NE(fromSpecial, nullptr);
  ASSERT_NE(fromPlain, nullptr);
  EXPECT_EQ(fromSpecial->getCreator(), &special);
  EXPECT_EQ(fromPlain->getCreator(), factory);
  EXPECT_EQ(special.created.back(), wxS("x"));
  EXPECT_EQ(base->CreateNode(wxS("unknown"), nullptr, nullptr), nullptr);

  EXPECT_TRUE(base->DestroyNode(fromSpecial)) << "destroyed through the plain key's factory";
  EXPECT_TRUE(base->DestroyNode(fromPlain));
  special.destroy();  // withdraws the plain names too: give them back to the fixture's factory
  factory->RegisterElements();
}

TEST_F(NodeTest, ReplacingAndWithdrawingRegistrations) {
  TestFactory second(wxS("Second"));  // registers the same names again
  EXPECT_EQ(base->GetFactories().getMap().at(wxS("node")), &second);
  second.UnregisterElements();
  EXPECT_FALSE(base->GetFactories().CanCreate(wxS("node"))) << "the first does not come back";
  EXPECT_TRUE(second.getElements().empty());
  factory->RegisterElements();
  EXPECT_TRUE(base->GetFactories().CanCreate(wxS("node")));
}

TEST_F(NodeTest, RegisteredElementsAttributeSkipsEmptyNames) {
  struct Listing : TestFactory {
    Listing() : TestFactory(wxS("Listing")) {
      UnregisterElements();
      Register(wxS("a"));
      Register(wxS(""));
      Register(wxS("b"));
      RegisterElements();
    }
  } listing;
  EXPECT_EQ(listing.getAttribute(wxS("registered_elements"), wxS("")), wxS("a, b"));
  listing.destroy();
  factory->RegisterElements();
}

TEST_F(NodeTest, DestroyFallbacksAndTheirWarning) {
  EXPECT_FALSE(base->GetFactories().Destroy(nullptr));
  EXPECT_TRUE(factory->Destroy(nullptr));

  TestNode orphan(wxS("unregistered"));
  orphan.setName(wxS("orphan"));
  orphan.setLabel(wxS("Orphan"));
  EXPECT_FALSE(base->DestroyNode(&orphan));
  EXPECT_TRUE(log->contains(wxString::Format(
      wxS("NodeFactories::Destroy(%s:unregistered:orphan:Orphan) Could not delete node"),
      wxString::FromUTF8(typeid(iNode*).name()))));

  KivoUnit::NodeFactories alone(nullptr);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(alone.Destroy(&orphan));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Could not delete node\n"),
            std::string::npos);
}

namespace {

// A node that refuses every XML element.
class Refusing : public TestNode {
 public:
  Refusing() : TestNode(wxS("refusing")) {}
  bool Read(TiXmlElement*) override { return false; }
};

}  // namespace

TEST_F(NodeTest, ReadFailureDeletesTheNode) {
  const size_t before = TestNode::destroyed().size();
  TiXmlElement xml("refusing");
  EXPECT_EQ(factory->Read(wxS("refusing"), new Refusing(), &xml), nullptr);
  EXPECT_EQ(TestNode::destroyed().size(), before + 1);
  EXPECT_TRUE(log->contains(
      wxS("iNodeFactory::Read('refusing',/,refusing) Error reading node!"), 5));
  EXPECT_EQ(factory->Read(wxS("nothing"), nullptr, &xml), nullptr);
  EXPECT_TRUE(log->contains(wxS("iNodeFactory::Read('nothing') No node!"), 0));
}

TEST_F(NodeTest, RegistryReportListsKeysInOrder) {
  const KivoUnit::Indent indent(wxS(""), wxS(" "), wxS("\n"));
  EXPECT_EQ(base->GetFactories().ToXML(indent),
            wxS("<factories count=\"4\">\n"
                " <element name=\"broken\" factory=\"TestFactory\" />\n"
                " <element name=\"item\" factory=\"TestFactory\" />\n"
                " <element name=\"node\" factory=\"TestFactory\" />\n"
                " <element name=\"other\" factory=\"TestFactory\" />\n"
                "</factories>\n"));
  EXPECT_EQ(factory->Execute(wxS("cmd"), wxS("p")), wxS(""));
  EXPECT_TRUE(log->contains(wxS("iNodeFactory::Execute('cmd','p')"), 3));
}

TEST_F(NodeTest, FactoryDeletedWithNamesStillDeclaredSaysSo) {
  auto* leftover = new TestFactory(wxS("Leftover"));
  leftover->setLabel(wxS("Leftover"));
  testing::internal::CaptureStdout();
  delete leftover;
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[factory] 'Leftover' 4 unregistered elements remains\n");
  factory->RegisterElements();
}

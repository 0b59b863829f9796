// Child look-up rules that must hold whether a node has a few children (looked
// up in order) or many (looked up through its index): every case runs on a
// short list and on one padded with unrelated children first.
#include <algorithm>
#include <functional>

#include "support/NodeFixture.h"

using KivoUnit::iNode;
using KivoTest::NodeTest;

namespace {

class ChildIndexTest : public NodeTest {
 protected:
  // Runs `check` on a fresh parent per size; the trace names the size on failure.
  void onEverySize(const std::function<void(iNode* parent)>& check) {
    for (const int padding : {0, 40}) {
      SCOPED_TRACE(wxString::Format(wxS("padding %i"), padding).utf8_string());
      iNode* parent = add(base, wxString::Format(wxS("parent%i"), padding));
      for (int i = 0; i < padding; ++i) add(parent, wxString::Format(wxS("pad%i"), i));
      check(parent);
    }
  }
  iNode* search(iNode* parent, const wxString& name) {
    return base->Search(parent->GetFullPath() + wxS("/") + name);
  }
};

TEST_F(ChildIndexTest, TheFirstChildInOrderWinsAmongNamesEncodedNamesAndLabels) {
  onEverySize([&](iNode* parent) {
    iNode* first = add(parent, wxS("dup"));
    iNode* second = add(parent, wxS("dup"));
    iNode* labelled = add(parent, wxS("x"));
    labelled->setLabel(wxS("y"));
    iNode* named = add(parent, wxS("y"));
    iNode* blank = add(parent, wxS("a b"));  // stored "a$20b", label "a b"
    blank->setLabel(wxS("other"));
    iNode* literal = add(parent, wxS("later"));
    literal->setLabel(wxS("a b"));

    EXPECT_EQ(parent->GetChild(wxS("dup")), first);
    EXPECT_EQ(search(parent, wxS("dup")), first);
    EXPECT_EQ(parent->GetChild(wxS("y")), labelled);  // a label before a name
    EXPECT_EQ(search(parent, wxS("y")), named);       // paths go by stored names only
    EXPECT_EQ(parent->GetChild(wxS("a b")), blank);   // the encoded name before the label
    EXPECT_EQ(parent->GetChild(wxS("a$20b")), blank);
    EXPECT_EQ(search(parent, wxS("a b")), blank);
    EXPECT_EQ(parent->GetChild(wxS("other")), blank);
    EXPECT_EQ(parent->GetChild(wxS("missing")), nullptr);
    EXPECT_EQ(search(parent, wxS("missing")), nullptr);
    EXPECT_EQ(second->getParent(), parent);
  });
}

TEST_F(ChildIndexTest, RenameAndRelabelMoveTheKeys) {
  onEverySize([&](iNode* parent) {
    iNode* a = add(parent, wxS("a"));
    iNode* b = add(parent, wxS("b"));
    a->setName(wxS("renamed"));
    EXPECT_EQ(parent->GetChild(wxS("a")), nullptr);
    EXPECT_EQ(parent->GetChild(wxS("renamed")), a);
    EXPECT_EQ(search(parent, wxS("renamed")), a);
    b->setLabel(wxS("shown"));
    EXPECT_EQ(parent->GetChild(wxS("shown")), b);
    EXPECT_EQ(parent->GetChild(wxS("b")), b);  // still by its stored name
    b->setLabel(wxS("again"));
    EXPECT_EQ(parent->GetChild(wxS("shown")), nullptr);
    // A rename to a sibling's name is made unique; the sibling keeps the name.
    b->setName(wxS("renamed"));
    EXPECT_NE(b->getName(), wxS("renamed"));
    EXPECT_EQ(parent->GetChild(wxS("renamed")), a);
    EXPECT_EQ(parent->GetChild(b->getName()), b);
  });
}

TEST_F(ChildIndexTest, RemovingReaddingAndReorderingKeepFirstMatchInOrder) {
  onEverySize([&](iNode* parent) {
    iNode* first = add(parent, wxS("dup"));
    iNode* second = add(parent, wxS("dup"));
    iNode* last = add(parent, wxS("last"));

    EXPECT_TRUE(parent->swapChildren(first, second));
    EXPECT_EQ(parent->GetChild(wxS("dup")), second);
    EXPECT_EQ(search(parent, wxS("dup")), second);
    parent->moveChildBefore(first, second);
    EXPECT_EQ(parent->GetChild(wxS("dup")), first);

    parent->RemoveChild(last);
    EXPECT_EQ(parent->GetChild(wxS("last")), nullptr);
    iNode* again = add(parent, wxS("last"));
    EXPECT_EQ(parent->GetChild(wxS("last")), again);

    parent->RemoveChild(first);
    EXPECT_EQ(parent->GetChild(wxS("dup")), second);
    iNode* third = add(parent, wxS("dup"));
    EXPECT_EQ(parent->GetChild(wxS("dup")), second);
    parent->RemoveChild(second);
    EXPECT_EQ(search(parent, wxS("dup")), third);

    // The list handed out by getChildren may be reordered by its user.
    iNode* front = add(parent, wxS("front"));
    std::reverse(parent->getChildren().begin(), parent->getChildren().end());
    EXPECT_EQ(parent->getChildren().front(), front);
    add(parent, wxS("front"));
    EXPECT_EQ(parent->GetChild(wxS("front")), front);
  });
}

TEST_F(ChildIndexTest, AppendAndCreateChildCheckClashesAgainstEveryChild) {
  onEverySize([&](iNode* parent) {
    add(parent, wxS("Item"));
    iNode* labelled = add(parent, wxS("other"));
    labelled->setLabel(wxS("Taken"));
    iNode* made = parent->CreateChild(wxS("Item"), wxS("node"), wxString(), false);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->getLabel(), wxS("Item (1)"));
    iNode* clash = parent->CreateChild(wxS("Taken"), wxS("node"), wxString(), false);
    ASSERT_NE(clash, nullptr);
    EXPECT_EQ(clash->getLabel(), wxS("Taken (1)"));
    EXPECT_EQ(parent->GetChild(wxS("Taken")), labelled);
    iNode* fresh = parent->CreateChild(wxS("fresh"), wxS("node"), wxString(), false);
    EXPECT_EQ(fresh->getName(), wxS("fresh"));
    EXPECT_EQ(parent->GetChild(wxS("fresh")), fresh);
  });
}

}  // namespace

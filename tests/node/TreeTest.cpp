#include <map>

#include <tinyxml.h>

#include "kivo/app/UpdateEvent.h"
#include "support/NodeFixture.h"

using KivoUnit::iNode;
using namespace KivoTest;

TEST_F(NodeTest, AppendChildRefusesBadChildrenWithItsMessageAndChangesNothing) {
  iNode* a = add(base, wxS("a"));
  TestNode detached(wxS("node"));  // no name
  iNode* b = add(a, wxS("b"));

  EXPECT_FALSE(a->AppendChild(a, nullptr, false));
  EXPECT_TRUE(log->contains(
      wxS("Aborted append to self. Node [node:a:a] @ '/kivo/a' is the same as parent."), 5));
  EXPECT_FALSE(a->AppendChild(nullptr, nullptr, false));
  EXPECT_TRUE(log->contains(wxS("Aborted append to '/kivo/a'. Node null."), 5));
  EXPECT_FALSE(base->AppendChild(b, nullptr, false));
  EXPECT_TRUE(log->contains(wxS("Aborted append to '/kivo'. Node [node:b:b] @ '/kivo/a/b' "
                                "already had a parent."),
                            5));
  EXPECT_FALSE(a->AppendChild(&detached, nullptr, false));
  EXPECT_TRUE(log->contains(
      wxS("Aborted append to 'node' '/kivo/a'. Node [node::] @ '/' has no name."), 5));
  // A node under its own descendant: it already has a parent, so it is refused.
  EXPECT_FALSE(b->AppendChild(a, nullptr, false));

  EXPECT_EQ(childNames(base), Names{wxS("a")});
  EXPECT_EQ(childNames(a), Names{wxS("b")});
  EXPECT_EQ(b->getParent(), a);
  EXPECT_EQ(detached.getParent(), nullptr);
}

TEST_F(NodeTest, AppendAndCreateChildGiveUniqueNamesAndLabels) {
  auto appendItem = [&](iNode* parent, const wxString& name, const wxString& label) {
    iNode* node = base->CreateNode(wxS("item"), nullptr, nullptr);
    node->setName(name);
    node->setLabel(label);
    EXPECT_TRUE(parent->append(node));
    return node;
  };
  iNode* list = add(base, wxS("list"));
  add(list, wxS("Item"));
  iNode* second = appendItem(list, wxS("Item"), wxS(""));
  EXPECT_EQ(second->getLabel(), wxS("Item (1)"));
  EXPECT_EQ(second->getName(), wxS("Item$20$281$29"));
  EXPECT_TRUE(log->contains(
      wxS("Created new name 'Item$20$281$29' label 'Item (1)' under '/kivo/list'"), 3));
  appendItem(list, wxS("Item (2)"), wxS(""));
  EXPECT_EQ(appendItem(list, wxS("Item"), wxS(""))->getName(), iNode::encode(wxS("Item (3)")));

  // A name clash that is not a label clash: the name gets a UTC time stamp; clashes in a
  // row still end in distinct names.
  iNode* stamped = add(base, wxS("stamped"));
  add(stamped, wxS("x"))->setLabel(wxS("Other"));
  iNode* y = appendItem(stamped, wxS("x"), wxS("Y"));
  EXPECT_EQ(y->getLabel(), wxS("Y"));
  EXPECT_TRUE(y->getName().Matches(wxS("Y\?\?\?\?-\?\?-\?\?-\?\?-\?\?-\?\?Z.*"))) << y->getName();
  for (int i = 0; i < 5; ++i) appendItem(stamped, wxS("x"), wxS("Y"));
  Names names = childNames(stamped);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());

  iNode* first = list->CreateChild(wxS("kid"), wxS("item"), wxS(""), false);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(list->CreateChild(wxS("kid"), wxS("item"), wxS(""), false)->getLabel(), wxS("kid (1)"));
  EXPECT_EQ(list->CreateChild(wxS("x"), wxS("unknown"), wxS(""), false), nullptr);
  EXPECT_EQ(list->CreateChild(wxS("x"), wxS("broken"), wxS(""), false), nullptr);
  EXPECT_EQ(list->GetChild(wxS("kid (1)")), list->getChildren().back()) << "found by label";
}

TEST_F(NodeTest, RenamingNotifiesLabelThenNameAndResolvesSiblingClashes) {
  iNode* a = add(base, wxS("a"));
  iNode* b = add(base, wxS("b"));
  RecordingListener listener;
  b->RegisterListener(&listener);
  b->RegisterListener(&listener);  // once only

  b->setName(wxS("b"));  // unchanged name: only the label is told
  EXPECT_EQ(listener.events, Names{wxS("label b")});
  listener.events.clear();

  b->setName(wxS("a"));
  EXPECT_NE(b->getName(), a->getName());
  ASSERT_EQ(listener.events.size(), 3u);
  EXPECT_EQ(listener.events[0], wxS("label a"));
  EXPECT_EQ(listener.events[2], wxS("name ") + b->getName());

  listener.events.clear();
  b->setLabel(wxS(""));
  b->setAttribute(wxS("colour"), wxS("red"));
  EXPECT_EQ(listener.events, Names{wxS("attribute colour=red")});
  b->RemoveListener(&listener);
  b->RemoveListener(&listener);
  EXPECT_TRUE(log->contains(wxS("RemoveListener did not find the listener"), 0));
}

TEST_F(NodeTest, InitDropsChildrenWhoseNamesBeginWithDash) {
  TestNode* detached = new TestNode(wxS("node"));
  detached->setName(wxS("branch"));
  add(detached, wxS("keep"));
  add(detached, wxS("-drop"));
  EXPECT_FALSE(detached->Init()) << "only nodes under the base initialise";
  EXPECT_EQ(childNames(detached).size(), 2u);

  ASSERT_TRUE(base->AppendChild(detached, nullptr, false));  // initialises it
  EXPECT_TRUE(detached->isInitialized());
  EXPECT_EQ(childNames(detached), Names{wxS("keep")});
  EXPECT_EQ(TestNode::destroyed(), Names{wxS("-drop")});
}

// The orders themselves are pinned for every pair in ChildOrderTest.
TEST_F(NodeTest, SwapAndMoveRefuseWhatTheyCannotDoAndRemovalDeletesTheElements) {
  TiXmlDocument document;
  document.Parse("<root><a x='1'/><b x='2'/></root>");
  TiXmlElement* rootElement = document.RootElement();
  iNode* parent = add(base, wxS("parent"));
  parent->setTie(rootElement);
  for (const char* name : {"a", "b"}) add(parent, wxString(name))->setTie(rootElement->FirstChildElement(name));
  EXPECT_FALSE(parent->swapChildren(wxS("b"), wxS("nobody")));
  EXPECT_FALSE(parent->sortChildrenByLabel(iNode::SortAscending));
  EXPECT_FALSE(parent->sortChildrenByAttribute(wxS("x"), iNode::SortDescending));
  EXPECT_EQ(childNames(parent), (Names{wxS("a"), wxS("b")}));

  // Without ties only moveChildBefore changes the list.
  iNode* loose = add(base, wxS("loose"));
  iNode* p = add(loose, wxS("p"));
  iNode* q = add(loose, wxS("q"));
  loose->moveChildAfter(p, q);
  EXPECT_EQ(childNames(loose), (Names{wxS("p"), wxS("q")}));
  loose->moveChildBefore(q, p);
  EXPECT_EQ(childNames(loose), (Names{wxS("q"), wxS("p")}));

  parent->RemoveAllChildren();
  EXPECT_EQ(rootElement->FirstChildElement(), nullptr) << "removal deletes the tied elements";
  parent->setTie(nullptr);
}

TEST_F(NodeTest, DestroyTellsListenersInOrderBeforeChildrenGo) {
  iNode* top = add(base, wxS("top"));
  add(top, wxS("first"));
  add(top, wxS("second"));
  std::vector<wxString> journal;
  RecordingListener one, two;
  one.tag = wxS("one");
  two.tag = wxS("two");
  one.journal = two.journal = &journal;
  top->RegisterListener(&one);
  top->RegisterListener(&two);

  const size_t destroyedBefore = TestNode::destroyed().size();
  base->RemoveChild(top);
  EXPECT_EQ(journal, (Names{wxS("one:deleted top"), wxS("one:remove top"),
                                            wxS("two:deleted top"), wxS("two:remove top")}));
  const std::vector<wxString> gone(TestNode::destroyed().begin() + destroyedBefore,
                                   TestNode::destroyed().end());
  EXPECT_EQ(gone, (Names{wxS("second"), wxS("first"), wxS("top")}));
  EXPECT_TRUE(one.getNodes().empty());
  EXPECT_FALSE(base->hasChildren());
}

TEST_F(NodeTest, ConstructionIdsGrowAndReverseListingIsNewestFirst) {
  const unsigned int before = iNode::s_Constructed;
  iNode* a = add(base, wxS("a"));
  iNode* b = add(a, wxS("b"));
  iNode* c = add(base, wxS("c"));
  EXPECT_EQ(a->getConstructionId(), before + 1);
  EXPECT_LT(b->getConstructionId(), c->getConstructionId());

  KivoUnit::NodesByReverseConstructionId order;
  base->getChildrenSortedByReverseConstructionId(order);
  std::vector<wxString> paths;
  for (const auto& [id, path] : order) paths.push_back(path);
  EXPECT_EQ(paths, (Names{wxS("/kivo/c"), wxS("/kivo/a/b"), wxS("/kivo/a")}));

  const unsigned int destroyedBefore = iNode::s_Destroyed;
  base->RemoveChild(a);
  EXPECT_EQ(iNode::s_Destroyed, destroyedBefore + 2);
}

TEST_F(NodeTest, UpdatesWalkTheTreeAndMessagesGoToTheBaseOrTheStandardStreams) {
  iNode* a = add(base, wxS("a"));
  iNode* b = add(a, wxS("b"));
  RecordingListener la, lb;
  Names journal;
  la.tag = wxS("a");
  lb.tag = wxS("b");
  la.journal = lb.journal = &journal;
  a->RegisterListener(&la);
  b->RegisterListener(&lb);
  EXPECT_TRUE(a->Update(true));
  EXPECT_TRUE(a->Update(false));
  KivoUnit::UpdateEvent event(0.25);
  EXPECT_TRUE(a->Update(event));  // off unless a node enables it
  EXPECT_EQ(journal, (Names{wxS("b:update b"), wxS("a:update a"), wxS("a:update a")}));
  EXPECT_EQ(a->Execute(wxS("run"), wxS("p=1")), wxS(""));
  a->Log(wxS("x"), wxS("y"));
  EXPECT_EQ(Names(la.events.end() - 2, la.events.end()),
            (Names{wxS("execute a run?p=1"), wxS("log a x y")}));

  a->Warning(wxS("careful"));
  a->Error(wxS("broken"));
  a->Debug(wxS("quiet"));
  a->Log(wxS("said"));
  for (const auto& [text, level] : std::vector<std::pair<const wxChar*, int>>{
           {wxS("careful"), 4}, {wxS("broken"), 5}, {wxS("quiet"), 0}, {wxS("said"), 3}}) {
    EXPECT_TRUE(log->contains(text, level)) << text;
  }
  EXPECT_EQ(base->GetError(), wxS("broken"));
  a->FatalError(wxS("worse"));
  EXPECT_EQ(base->GetError(), wxS("worse"));
  TestNode detached(wxS("node"));
  log->clear();
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  detached.Log(wxS("to stdout"));
  detached.Error(wxS("to stderr"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "to stdout\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
  EXPECT_EQ(log->count(), 0u);

  iNode* c = add(b, wxS("c"));
  a->setReadOnly(true);
  EXPECT_TRUE(c->isReadOnly()) << "inherited within one document";
  TiXmlDocument included;
  b->setSourceDocument(&included);  // b loaded a file of its own
  EXPECT_FALSE(c->isReadOnly());
  b->setSourceDocument(nullptr);
}

TEST_F(NodeTest, DestructorWarnsAboutChildrenLeftBehind) {
  auto* parent = new TestNode(wxS("node"));
  parent->setName(wxS("parent"));
  TestNode child(wxS("node"));
  child.setName(wxS("child"));
  parent->AppendChildNode(&child, false);
  delete parent;
  EXPECT_TRUE(log->contains(wxS("*** Node not destroyed properly ***"), 4));
  EXPECT_TRUE(log->contains(wxS("Path: '/parent'"), 4));
}

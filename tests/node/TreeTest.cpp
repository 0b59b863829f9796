// Building the tree: appending, naming, notifying, initialising and destroying nodes, the
// order of children and their XML elements, links and controls.
#include <algorithm>
#include <tuple>

#include <tinyxml.h>

#include "kivo/app/UpdateEvent.h"
#include "kivo/node/ControlNode.h"
#include "kivo/node/ControlsNode.h"
#include "kivo/node/SymLinkNode.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

// Attaches a node built by hand (not through a factory) and takes it out again
// before the fixture's teardown would hand it to the registry.
struct Attached {
  Attached(iNode* parent, iNode* node, const wxString& name) : node(node) {
    node->setName(name), parent->AppendChild(node, nullptr, false);
  }
  ~Attached() { node->destroy(), delete node; }
  iNode* node;
};

struct CountingControl : ControlNode {
  CountingControl() : ControlNode(nullptr, wxS("control")) {}
  bool executeControl() override { return ++executed, succeed; }
  int executed = 0;
  bool succeed = true;
};

std::string elementOrder(const TiXmlElement* parent) {
  std::string order;
  for (const TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement()) order += e->Attribute("name");
  return order;
}

}  // namespace

TEST_F(NodeTest, AppendChildRefusesBadChildrenWithItsMessageAndChangesNothing) {
  iNode *a = add(base, wxS("a")), *b = add(a, wxS("b"));
  TestNode detached(wxS("node"));  // no name
  for (const auto& [parent, child, message] : std::vector<std::tuple<iNode*, iNode*, const wxChar*>>{
           {a, a, wxS("Aborted append to self. Node [node:a:a] @ '/kivo/a' is the same as parent.")},
           {a, nullptr, wxS("Aborted append to '/kivo/a'. Node null.")},
           {base, b, wxS("Aborted append to '/kivo'. Node [node:b:b] @ '/kivo/a/b' already had a parent.")},
           {a, &detached, wxS("Aborted append to 'node' '/kivo/a'. Node [node::] @ '/' has no name.")},
           {b, a, wxS("")}}) {  // under its own descendant: it already has a parent
    EXPECT_FALSE(parent->AppendChild(child, nullptr, false)) << message;
    EXPECT_TRUE(*message == 0 || log->contains(message, 5)) << message;
  }
  EXPECT_EQ(childNames(base).size() + childNames(a).size(), 2u);
  EXPECT_TRUE(b->getParent() == a && detached.getParent() == nullptr);
}

TEST_F(NodeTest, AppendAndCreateChildGiveUniqueNamesAndLabels) {
  auto appendItem = [&](iNode* parent, const wxString& name, const wxString& label) {
    iNode* node = base->CreateNode(wxS("item"), nullptr, nullptr);
    node->setName(name), node->setLabel(label);
    EXPECT_TRUE(parent->append(node));
    return node;
  };
  iNode* list = add(base, wxS("list"));
  add(list, wxS("Item"));
  iNode* second = appendItem(list, wxS("Item"), wxS(""));
  EXPECT_EQ(second->getLabel() + second->getName(), wxS("Item (1)Item$20$281$29"));
  EXPECT_TRUE(log->contains(wxS("Created new name 'Item$20$281$29' label 'Item (1)' under '/kivo/list'"), 3));
  appendItem(list, wxS("Item (2)"), wxS(""));
  EXPECT_EQ(appendItem(list, wxS("Item"), wxS(""))->getName(), iNode::encode(wxS("Item (3)")));
  for (const wxChar* e : {wxS("unknown"), wxS("broken")}) EXPECT_EQ(list->CreateChild(wxS("x"), e, wxS(""), false), nullptr);
  // A name clash that is not a label clash: the name gets a UTC time stamp; clashes in a
  // row still end in distinct names.
  iNode* stamped = add(base, wxS("stamped"));
  add(stamped, wxS("x"))->setLabel(wxS("Other"));
  iNode* y = appendItem(stamped, wxS("x"), wxS("Y"));
  EXPECT_TRUE(y->getLabel() == wxS("Y") && y->getName().Matches(wxS("Y\?\?\?\?-\?\?-\?\?-\?\?-\?\?-\?\?Z.*"))) << y->getName();
  for (int i = 0; i < 5; ++i) appendItem(stamped, wxS("x"), wxS("Y"));
  Names names = childNames(stamped);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
}

TEST_F(NodeTest, ListenersHearChangesUpdatesAndDeletionInOrderAndForgetTheirNodes) {
  iNode* top = add(base, wxS("top"));
  iNode *a = add(top, wxS("a")), *b = add(a, wxS("b"));
  Names journal;
  RecordingListener lb, one, two;
  lb.tag = wxS("b"), one.tag = wxS("one"), two.tag = wxS("two");
  lb.journal = one.journal = two.journal = &journal;
  for (iNode* node : {b, b}) node->RegisterListener(&lb);  // once only
  b->setName(wxS("b")), b->setName(wxS("a"));  // unchanged: only the label is told; a name elsewhere is no clash
  add(a, wxS("c"));
  b->setName(wxS("c")), b->setLabel(wxS("")), b->setAttribute(wxS("colour"), wxS("red"));
  a->RegisterListener(&one);
  KivoUnit::UpdateEvent event(0.25);
  EXPECT_TRUE(a->Update(true) && a->Update(false) && a->Update(event));  // the event is off unless enabled
  EXPECT_EQ(a->Execute(wxS("run"), wxS("p=1")), wxS(""));
  a->Log(wxS("x"), wxS("y"));
  EXPECT_EQ(journal, (Names{wxS("b:label b"), wxS("b:label a"), wxS("b:name a"), wxS("b:label c"),
                            wxS("b:label c (1)"), wxS("b:name c$20$281$29"), wxS("b:attribute colour=red"),
                            wxS("b:update c$20$281$29"), wxS("one:update a"), wxS("one:update a"),
                            wxS("one:execute a run?p=1"), wxS("one:log a x y")}));
  b->RemoveListener(&lb), b->RemoveListener(&lb);
  EXPECT_TRUE(log->contains(wxS("RemoveListener did not find the listener"), 0));

  a->RemoveListener(&one), journal.clear(), top->RegisterListener(&one), top->RegisterListener(&two);
  const size_t destroyedBefore = TestNode::destroyed().size();
  const unsigned int countBefore = iNode::s_Destroyed;
  base->RemoveChild(top);
  EXPECT_EQ(journal,
            (Names{wxS("one:deleted top"), wxS("one:remove top"), wxS("two:deleted top"), wxS("two:remove top")}));
  EXPECT_EQ(Names(TestNode::destroyed().begin() + destroyedBefore, TestNode::destroyed().end()),
            (Names{wxS("c"), wxS("c$20$281$29"), wxS("a"), wxS("top")}));
  EXPECT_EQ(iNode::s_Destroyed, countBefore + 4);
  EXPECT_TRUE(one.getNodes().empty() && two.getNodes().empty() && lb.getNodes().empty());
  add(base, wxS("d"))->RegisterListener(std::make_unique<RecordingListener>().get());  // gone first: leaves its nodes
  EXPECT_TRUE(base->GetChild(wxS("d"))->getListeners().empty());
}

TEST_F(NodeTest, LifeCycleInitDropsDashedChildrenIdsGrowAndLeftoversAreReported) {
  TestNode* detached = new TestNode(wxS("node"));
  detached->setName(wxS("branch")), add(detached, wxS("keep")), add(detached, wxS("-drop"));
  EXPECT_TRUE(!detached->Init() && childNames(detached).size() == 2u) << "only nodes under the base initialise";
  ASSERT_TRUE(base->AppendChild(detached, nullptr, false));  // initialises it
  EXPECT_TRUE(detached->isInitialized() && childNames(detached) == Names{wxS("keep")});
  EXPECT_EQ(TestNode::destroyed(), Names{wxS("-drop")});

  const unsigned int before = iNode::s_Constructed;
  iNode *a = add(base, wxS("a")), *b = add(a, wxS("b"));
  EXPECT_EQ(a->getConstructionId(), before + 1);
  EXPECT_LT(b->getConstructionId(), add(base, wxS("c"))->getConstructionId());
  KivoUnit::NodesByReverseConstructionId order;
  base->getChildrenSortedByReverseConstructionId(order);
  wxString paths;
  for (const auto& [id, path] : order) paths += path + wxS(",");
  EXPECT_EQ(paths, wxS("/kivo/c,/kivo/a/b,/kivo/a,/kivo/branch/keep,/kivo/branch,"));

  auto* parent = new TestNode(wxS("node"));
  TestNode child(wxS("node"));
  parent->setName(wxS("parent")), child.setName(wxS("child")), parent->AppendChildNode(&child, false);
  delete parent;
  EXPECT_TRUE(log->contains(wxS("*** Node not destroyed properly ***"), 4) && log->contains(wxS("Path: '/parent'"), 4));
}

TEST_F(NodeTest, MessagesGoToTheBaseOrTheStandardStreamsAndReadOnlyStopsAtADocument) {
  iNode* a = add(base, wxS("a"));
  a->Warning(wxS("careful")), a->Error(wxS("broken")), a->Debug(wxS("quiet")), a->Log(wxS("said"));
  for (const auto& [text, level] : std::vector<std::pair<const wxChar*, int>>{
           {wxS("careful"), 4}, {wxS("broken"), 5}, {wxS("quiet"), 0}, {wxS("said"), 3}}) {
    EXPECT_TRUE(log->contains(text, level)) << text;
  }
  EXPECT_EQ(base->GetError(), wxS("broken"));
  a->FatalError(wxS("worse"));
  EXPECT_EQ(base->GetError(), wxS("worse"));
  TestNode detached(wxS("node"));
  log->clear(), testing::internal::CaptureStdout(), testing::internal::CaptureStderr();
  detached.Log(wxS("to stdout")), detached.Error(wxS("to stderr"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "to stdout\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
  EXPECT_EQ(log->count(), 0u);

  iNode *b = add(a, wxS("b")), *c = add(b, wxS("c"));
  a->setReadOnly(true);
  EXPECT_TRUE(c->isReadOnly()) << "inherited within one document";
  TiXmlDocument included;
  b->setSourceDocument(&included);  // b loaded a file of its own
  EXPECT_FALSE(c->isReadOnly());
  b->setSourceDocument(nullptr);
}

// Every pair of children, neighbours or not, in either argument order.
TEST_F(NodeTest, EverySwapAndMoveKeepsTheXmlInTheOrderOfTheChildren) {
  TempDir dir;
  const std::string file = dir.write("order.xml", R"(<node name="top"><item name="a"><item name="deep"/></item><!-- x -->)"
                                                  R"(<item name="b"/><item name="c"/><item name="d"/><item name="e"/></node>)");
  iNode* top = add(base, wxS("top"));
  ASSERT_TRUE(top->Load(wxString::FromUTF8(file.c_str())) && top->Read(top->getDocument()->RootElement()));
  const std::string names = "abcde";
  std::string model = names;
  auto child = [&](char name) { return top->GetChild(wxString(name)); };
  auto expectOrder = [&] {
    std::string list;
    for (const iNode* c : top->getChildren()) list += c->getName().utf8_string();
    EXPECT_EQ(list, model);
    EXPECT_EQ(elementOrder(top->getTie()), model);
  };
  for (const char op : std::string("sab")) {  // swap, move after, move before
    for (const char x : names) {
      for (const char y : names) {
        if (x == y) continue;
        SCOPED_TRACE(std::string(1, op) + x + y + " from " + model);
        if (op == 's') {
          ASSERT_TRUE(x < y ? top->swapChildren(wxString(x), wxString(y)) : top->swapChildren(child(x), child(y)));
          std::swap(model[model.find(x)], model[model.find(y)]);
        } else {
          op == 'a' ? top->moveChildAfter(child(x), child(y)) : top->moveChildBefore(child(x), child(y));
          model.erase(model.find(x), 1), model.insert(model.find(y) + (op == 'a' ? 1 : 0), 1, x);
        }
        expectOrder();
      }
    }
  }
  // Each child kept its own element, and the file gets the order of the tree.
  EXPECT_STREQ(top->Search(wxS("a/deep"))->getTie()->Attribute("name"), "deep");
  TiXmlDocument saved;
  ASSERT_TRUE(top->Save() && saved.LoadFile(file.c_str()));
  EXPECT_EQ(elementOrder(saved.RootElement()), model);
  // What cannot be done changes nothing; without ties only moveChildBefore changes the list.
  EXPECT_FALSE(top->swapChildren(wxS("b"), wxS("nobody")) || top->sortChildrenByLabel(iNode::SortAscending) ||
               top->sortChildrenByAttribute(wxS("x"), iNode::SortDescending));
  expectOrder();
  iNode* loose = add(base, wxS("loose"));
  iNode *p = add(loose, wxS("p")), *q = add(loose, wxS("q"));
  loose->moveChildAfter(p, q);
  EXPECT_EQ(childNames(loose).front(), wxS("p"));
  loose->moveChildBefore(q, p);
  EXPECT_EQ(childNames(loose).front(), wxS("q"));
  top->RemoveAllChildren();
  EXPECT_EQ(top->getTie()->FirstChildElement(), nullptr) << "removal deletes the tied elements";
}

TEST_F(NodeTest, LinksLeadToTheirTargetOrToNullWhenTheyRunThroughThemselves) {
  iNode* data = add(base, wxS("data"));
  Attached link(base, new SymLinkNode(nullptr, wxS("SymLink")), wxS("shortcut"));
  auto* symlink = static_cast<SymLinkNode*>(link.node);
  EXPECT_EQ(symlink->getThis(), symlink) << "no target yet";
  symlink->setTargetPath(wxS("/data"));
  EXPECT_EQ(symlink->getAttribute(wxS("symlink_target_path"), wxS("")), wxS("/data"));
  EXPECT_EQ(base->Search(wxS("/shortcut/leaf")), add(data, wxS("leaf")));
  symlink->setTargetPath(wxS("/nowhere"));
  EXPECT_EQ(symlink->getThis(), symlink);
  symlink->setTargetPath(wxS("/shortcut/leaf")), log->clear();
  EXPECT_EQ(symlink->getTargetNode(), nullptr);
  const Names texts = log->texts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const wxString& text) {
    return text.Contains(wxS("recursed 1 times\n/kivo/shortcut -> /shortcut/leaf"));
  }));
}

TEST_F(NodeTest, ControlsStepAndTriggerTheirControls) {
  Attached controls(base, new ControlsNode(nullptr, wxS("Controls")), wxS("controls"));
  auto* container = static_cast<ControlsNode*>(controls.node);
  EXPECT_TRUE(container->updateControls(0.1f)) << "no controls";
  Attached first(container, new CountingControl(), wxS("first"));
  Attached second(container, new CountingControl(), wxS("second"));
  auto *a = static_cast<CountingControl*>(first.node), *b = static_cast<CountingControl*>(second.node);
  a->setRepeat(true), a->setRepeatInterval(1.0f);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(a->updateControl(0.1f));
  a->stopRepeating(), a->setEventType(wxS("click")), b->setEventType(wxS("key"));
  EXPECT_FALSE(container->updateControls(0.1f)) << "b does not repeat";
  EXPECT_TRUE(container->executeControls(wxS("click")));
  EXPECT_EQ(a->executed * 10 + b->executed, 10);
  b->succeed = false;
  EXPECT_TRUE(!container->executeControls(wxS("key")) && container->executeControls(wxS("nothing")));
  a->setRepeatInterval(0.25f), a->writeAttributes();
  EXPECT_EQ(a->getAttribute(wxS("repeat"), wxS("")) + a->getAttribute(wxS("repeat_interval"), wxS("")),
            wxS("true0.250000"));
  b->setAttribute(wxS("repeat"), wxS("TRUE")), b->setAttribute(wxS("repeat_interval"), wxS("2.5")), b->readAttributes();
  EXPECT_TRUE(b->getRepeat() && b->getRepeatInterval() == 2.5f);
}

// Building the tree: appending, naming, notifying, initialising and destroying nodes, the
// order of children and their XML elements, links and controls; path texts and search, and
// the child look-up rules, which must hold whether a node has a few children (looked up in
// order) or many (looked up through its index); the State and Info reports.
#include <algorithm>
#include <set>
#include <tuple>

#include <tinyxml.h>

#include "kivo/app/UpdateEvent.h"
#include "kivo/convert/Indent.h"
#include "kivo/node/ControlNode.h"
#include "kivo/node/ControlsNode.h"
#include "kivo/node/SymLinkNode.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

// Attaches a node built by hand (not through a factory) and takes it out again
// before the fixture's teardown would hand it to the registry.
struct Attached {
  Attached(iNode* to, iNode* n, const wxString& name) : node(n) { n->setName(name), to->AppendChild(n, nullptr, false); }
  ~Attached() { node->destroy(), delete node; }
  iNode* node;
};

struct CountingControl : ControlNode {
  CountingControl() : ControlNode(nullptr, wxS("control")) {}
  bool executeControl() override { return ++executed, succeed; }
  int executed = 0;
  bool succeed = true;
};

wxString joined(const Names& names) { return wxJoin(wxArrayString(names.size(), names.data()), ','); }

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
  EXPECT_TRUE(childNames(base).size() + childNames(a).size() == 2u && b->getParent() == a && !detached.getParent());
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
  const Names names = childNames(stamped);
  EXPECT_EQ(std::set<wxString>(names.begin(), names.end()).size(), names.size());
}

TEST_F(NodeTest, ListenersHearChangesUpdatesAndDeletionInOrderAndForgetTheirNodes) {
  iNode* top = add(base, wxS("top"));
  iNode *a = add(top, wxS("a")), *b = add(a, wxS("b"));
  Names journal;
  RecordingListener lb, one, two;
  lb.tag = wxS("b"), one.tag = wxS("one"), two.tag = wxS("two"), lb.journal = one.journal = two.journal = &journal;
  for (iNode* node : {b, b}) node->RegisterListener(&lb);  // once only
  b->setName(wxS("b")), b->setName(wxS("a"));  // unchanged: only the label is told; a name elsewhere is no clash
  add(a, wxS("c"));
  b->setName(wxS("c")), b->setLabel(wxS("")), b->setAttribute(wxS("colour"), wxS("red")), a->RegisterListener(&one);
  KivoUnit::UpdateEvent event(0.25);
  EXPECT_TRUE(a->Update(true) && a->Update(false) && a->Update(event));  // the event is off unless enabled
  EXPECT_EQ(a->Execute(wxS("run"), wxS("p=1")), wxS(""));
  a->Log(wxS("x"), wxS("y"));
  EXPECT_EQ(joined(journal), wxS("b:label b,b:label a,b:name a,b:label c,b:label c (1),b:name c$20$281$29,")
                                 wxS("b:attribute colour=red,b:update c$20$281$29,one:update a,one:update a,")
                                 wxS("one:execute a run?p=1,one:log a x y"));
  b->RemoveListener(&lb), b->RemoveListener(&lb);
  EXPECT_TRUE(log->contains(wxS("RemoveListener did not find the listener"), 0));

  a->RemoveListener(&one), journal.clear(), top->RegisterListener(&one), top->RegisterListener(&two);
  const unsigned int countBefore = iNode::s_Destroyed;
  TestNode::destroyed().clear(), base->RemoveChild(top);
  EXPECT_EQ(joined(journal) + wxS(";") + joined(TestNode::destroyed()),
            wxS("one:deleted top,one:remove top,two:deleted top,two:remove top;c,c$20$281$29,a,top"));
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
  // Names that gain their "-" later, and children put in the list by hand, go at the next clean-up.
  TestNode::destroyed().clear(), detached->GetChild(wxS("keep"))->setName(wxS("-renamed"));
  EXPECT_TRUE(detached->CleanUp() && !detached->hasChildren());
  auto* listed = new TestNode(wxS("node"));
  listed->setRawName(wxS("-listed")), detached->getChildren().push_back(listed);
  EXPECT_TRUE(detached->CleanUp() && !detached->hasChildren());
  EXPECT_EQ(TestNode::destroyed(), (Names{wxS("-renamed"), wxS("-listed")}));

  const unsigned int before = iNode::s_Constructed;
  iNode *a = add(base, wxS("a")), *b = add(a, wxS("b"));
  EXPECT_TRUE(a->getConstructionId() == before + 1 && b->getConstructionId() < add(base, wxS("c"))->getConstructionId());
  KivoUnit::NodesByReverseConstructionId order;
  base->getChildrenSortedByReverseConstructionId(order);
  wxString paths;
  for (const auto& [id, path] : order) paths += path + wxS(",");
  EXPECT_EQ(paths, wxS("/kivo/c,/kivo/a/b,/kivo/a,/kivo/branch,"));

  auto* parent = new TestNode(wxS("node"));
  TestNode child(wxS("node"));
  parent->setName(wxS("parent")), child.setName(wxS("child")), parent->AppendChildNode(&child, false);
  delete parent;
  EXPECT_TRUE(log->contains(wxS("*** Node not destroyed properly ***"), 4) && log->contains(wxS("Path: '/parent'"), 4));
}

TEST_F(NodeTest, MessagesGoToTheBaseOrTheStandardStreamsAndReadOnlyStopsAtADocument) {
  iNode* a = add(base, wxS("a"));
  a->Warning(wxS("careful")), a->Error(wxS("broken")), a->Debug(wxS("quiet")), a->Log(wxS("said"));
  EXPECT_TRUE(log->contains(wxS("careful"), 4) && log->contains(wxS("broken"), 5) && log->contains(wxS("quiet"), 0) &&
              log->contains(wxS("said"), 3));
  const wxString error = base->GetError();
  EXPECT_EQ(error + (a->FatalError(wxS("worse")), base->GetError()), wxS("brokenworse"));
  TestNode detached(wxS("node"));
  log->clear(), testing::internal::CaptureStdout(), testing::internal::CaptureStderr();
  detached.Log(wxS("to stdout")), detached.Error(wxS("to stderr"));
  EXPECT_EQ("out:" + testing::internal::GetCapturedStdout() + "err:" + testing::internal::GetCapturedStderr() +
            std::to_string(log->count()), "out:to stdout\nerr:to stderr\n0");

  iNode *b = add(a, wxS("b")), *c = add(b, wxS("c"));
  a->setReadOnly(true);
  const bool inherited = c->isReadOnly();  // within one document
  TiXmlDocument included;
  b->setSourceDocument(&included);  // b loaded a file of its own
  EXPECT_TRUE(inherited && !c->isReadOnly());
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
    EXPECT_EQ(list + "|" + elementOrder(top->getTie()), model + "|" + model);  // children, then their elements
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
  TiXmlDocument saved;
  ASSERT_TRUE(top->Save() && saved.LoadFile(file.c_str()));
  EXPECT_EQ(elementOrder(top->Search(wxS("a"))->getTie()) + elementOrder(saved.RootElement()), "deep" + model);
  // What cannot be done changes nothing; without ties only moveChildBefore changes the list.
  EXPECT_FALSE(top->swapChildren(wxS("b"), wxS("nobody")) || top->sortChildrenByLabel(iNode::SortAscending) ||
               top->sortChildrenByAttribute(wxS("x"), iNode::SortDescending));
  expectOrder();
  iNode* loose = add(base, wxS("loose"));
  iNode *p = add(loose, wxS("p")), *q = add(loose, wxS("q"));
  const wxString first = (loose->moveChildAfter(p, q), childNames(loose).front());
  EXPECT_EQ(first + (loose->moveChildBefore(q, p), childNames(loose).front()), wxS("pq"));
  top->RemoveAllChildren();
  EXPECT_EQ(top->getTie()->FirstChildElement(), nullptr) << "removal deletes the tied elements";
}

TEST_F(NodeTest, LinksLeadToTheirTargetOrToNullWhenTheyRunThroughThemselves) {
  iNode* leaf = add(add(base, wxS("data")), wxS("leaf"));
  Attached link(base, new SymLinkNode(nullptr, wxS("SymLink")), wxS("shortcut"));
  auto* symlink = static_cast<SymLinkNode*>(link.node);
  EXPECT_EQ(symlink->getThis(), symlink) << "no target yet";
  symlink->setTargetPath(wxS("/data"));
  EXPECT_TRUE(symlink->getAttribute(wxS("symlink_target_path"), wxS("")) == wxS("/data") &&
              base->Search(wxS("/shortcut/leaf")) == leaf);
  symlink->setTargetPath(wxS("/nowhere"));
  EXPECT_EQ(symlink->getThis(), symlink);
  symlink->setTargetPath(wxS("/shortcut/leaf")), log->clear();
  EXPECT_EQ(symlink->getTargetNode(), nullptr);
  EXPECT_TRUE(joined(log->texts()).Contains(wxS("recursed 1 times\n/kivo/shortcut -> /shortcut/leaf")));
}

TEST_F(NodeTest, ControlsStepAndTriggerTheirControls) {
  Attached controls(base, new ControlsNode(nullptr, wxS("Controls")), wxS("controls"));
  auto* container = static_cast<ControlsNode*>(controls.node);
  EXPECT_TRUE(container->updateControls(0.1f)) << "no controls";
  Attached first(container, new CountingControl(), wxS("first")), second(container, new CountingControl(), wxS("second"));
  auto *a = static_cast<CountingControl*>(first.node), *b = static_cast<CountingControl*>(second.node);
  a->setRepeat(true), a->setRepeatInterval(1.0f);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(a->updateControl(0.1f));
  a->stopRepeating(), a->setEventType(wxS("click")), b->setEventType(wxS("key"));
  EXPECT_FALSE(container->updateControls(0.1f)) << "b does not repeat";
  EXPECT_TRUE(container->executeControls(wxS("click")) && a->executed == 1 && b->executed == 0);
  b->succeed = false;
  EXPECT_TRUE(!container->executeControls(wxS("key")) && container->executeControls(wxS("nothing")));
  a->setRepeatInterval(0.25f), a->writeAttributes();
  EXPECT_EQ(a->getAttribute(wxS("repeat"), wxS("")) + a->getAttribute(wxS("repeat_interval"), wxS("")), wxS("true0.250000"));
  b->setAttribute(wxS("repeat"), wxS("TRUE")), b->setAttribute(wxS("repeat_interval"), wxS("2.5")), b->readAttributes();
  EXPECT_TRUE(b->getRepeat() && b->getRepeatInterval() == 2.5f);
}

TEST_F(NodeTest, PathTextsAreParsedNormalizedAndFollowAttributesAndSubPaths) {
  iNode *a = add(base, wxS("a")), *b = add(a, wxS("b"));
  auto expectTexts = [](const std::vector<std::pair<wxString, const wxChar*>>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
  };
  auto normal = [&](const wxChar* path) { return b->Normalize(path, nullptr); };
  expectTexts({{b->GetPath(), wxS("/kivo/a/")}, {b->GetPathName(), wxS("/kivo/a/b")}, {b->GetFullPath(), wxS("/kivo/a/b")},
               {base->GetPath(), wxS("/")}, {base->GetPathName(), wxS("/kivo")}, {b->ParseParams(wxS("/x/y")), wxS("")},
               {b->ParsePathName(wxS("/x/y?p=1?q")), wxS("/x/y")}, {b->ParseParams(wxS("/x/y?p=1?q")), wxS("p=1?q")},
               {b->ParsePath(wxS("/x/y?p=/z")), wxS("/x")}, {b->ParsePath(wxS("y")), wxS("")},
               {b->ParseName(wxS("/x/y//?p=/z")), wxS("y")}, {b->ParseName(wxS("//")), wxS("//")},
               {b->Normalize(wxS("./c"), a), wxS("/kivo/a/./c")}, {normal(wxS("")), wxS("/kivo/a/b")},
               {normal(wxS("/")), wxS("")}, {normal(wxS("../x")), wxS("/kivo/a/x")}, {normal(wxS("/../x")), wxS("/x")},
               {normal(wxS("/a//b/")), wxS("/a/b")}, {normal(wxS("../../../../..")), wxS("")},
               {normal(wxS("a?p=1")), wxS("/kivo/a/b/a?p=1")}, {normal(wxS("?only")), wxS("/kivo/a/b?only")}});
  add(b, wxS("t")), b->setAttribute(wxS("target"), wxS("t"));
  add(base, wxS("pointer"))->setAttribute(wxS("to"), wxS("a"));
  // Attribute indirection ("#name") and sub-paths ("[...]").
  auto attr = [&](const wxChar* path) { return base->parsePathWithAttributes(path); };
  auto sub = [&](const wxChar* path) { return base->parsePathRecursive(path); };
  expectTexts({{attr(wxS("/a/b#target/d")), wxS("/a/b/t/d")}, {attr(wxS("/a/ b # target /d")), wxS("/a/b/t/d")},
               {attr(wxS("/a/b#missing/d")), wxS("/a/b/d")}, {attr(wxS("/nowhere#x/d")), wxS("/nowhere/d")},
               {attr(wxS("/")), wxS("/")}, {attr(wxS("/a/#")), wxS("/a")}, {sub(wxS("/[/pointer#to]/b")), wxS("/a/b")},
               {sub(wxS("/x[/a/b#target]")), wxS("/xt")}, {sub(wxS("/a/[b")), wxS("/a/b")}, {sub(wxS("/a/b]/c")), wxS("/a/b")}});
  EXPECT_TRUE(log->contains(wxS("Node '/a/b' has no attribute 'missing'"), 5) &&
              log->contains(wxS("Path '/nowhere' not found"), 5));
}

TEST_F(NodeTest, SearchFindsByEncodedNameWithOrWithoutTheRootName) {
  iNode *current = add(base, wxS("current")), *umlaut = add(current, wxString::FromUTF8("Gr\xC3\xBC\xC3\x9F" "e Welt"));
  umlaut->setLabel(wxS("Greetings"));
  // Labels are not searched, names are case-sensitive, unsafe characters match nothing.
  for (const auto& [found, paths] : std::vector<std::pair<iNode*, std::vector<const wxChar*>>>{
           {current, {wxS("/kivo/current"), wxS("/current"), wxS("current/"), wxS("/current?x=/nowhere"),
                      wxS("/current/Gr$C3$BC$C3$9Fe$20Welt/..")}},
           {base, {wxS("/kivo"), wxS("/"), wxS(""), wxS("//"), wxS("..")}},
           {nullptr, {wxS("/current/Greetings"), wxS("/Current"), wxS("/current/a b"), wxS("/current/$"),
                      wxS("/current/#"), wxS("/current/[x")}}}) {
    for (const wxChar* path : paths) EXPECT_EQ(base->Search(path), found) << path;
  }
  EXPECT_TRUE(umlaut->Search(wxS("")) == umlaut && current->Search(wxS("?p=1")) == current);
  EXPECT_EQ(base->Search(wxString::FromUTF8("/current/Gr\xC3\xBC\xC3\x9F" "e Welt")), umlaut);
  wxString deep, back = wxS("/current");
  for (int i = 0; i < 10000; ++i) deep += wxS("/x"), back += wxS("/y/..");
  EXPECT_TRUE(base->Search(deep) == nullptr && base->Search(back) == current);
  // Every piece of a long path counts, the 65th as much as the first.
  iNode* chain = base;
  wxString long64;
  for (int i = 0; i < 64; ++i) chain = add(chain, wxS("c")), long64 += wxS("/c");
  EXPECT_TRUE(base->Search(long64) == chain && base->Search(long64 + wxS("/missing")) == nullptr);
}

TEST_F(NodeTest, SearchOrCreateBuildsMissingNodesAndGenerateNodePathWorksOnBothKindsOfRoot) {
  bool created = false;
  iNode* x = base->SearchOrCreate(created, wxS("/kivo/p/q/x"), wxS("item"), wxS("node"));
  ASSERT_TRUE(x != nullptr && created);
  EXPECT_EQ(x->GetFullPath() + x->getElement() + base->Search(wxS("/p/q"))->getElement(), wxS("/kivo/p/q/xitemnode"));
  EXPECT_TRUE(base->SearchOrCreate(created, wxS("/p/q/x"), wxS("item"), wxS("node")) == x && !created);
  EXPECT_EQ(base->SearchOrCreate(wxS("/p/q/x"), wxS("other"), wxS("node")), x);
  EXPECT_TRUE(log->contains(wxS("SearchOrCreate( path '/p/q/x', type 'other') - Found node '/kivo/p/q/x' "
                                "with type 'item'"), 4));
  iNode* y = base->Search(wxS("/p/q"))->SearchOrCreate(created, wxS("y"), wxS("item"), wxS("node"));
  EXPECT_EQ(y ? y->GetFullPath() : wxS(""), wxS("/kivo/p/q/y"));
  for (const auto& [path, element, type] : std::vector<std::tuple<const wxChar*, const wxChar*, const wxChar*>>{
           {wxS(""), wxS("item"), wxS("node")}, {wxS("/p/z"), wxS("broken"), wxS("node")},
           {wxS("/r/z"), wxS("item"), wxS("unknown")}}) {
    EXPECT_EQ(base->SearchOrCreate(created, path, element, type), nullptr) << path;
  }
  EXPECT_TRUE(log->contains(wxS("Could not create node type 'broken'"), 5) &&
              log->contains(wxS("Could not generate path '/r'"), 5));
  TestNode detached(wxS("node"));
  detached.setName(wxS("alone")), KivoUnit::KivoBase::s_Instance = nullptr;
  EXPECT_EQ(detached.SearchOrCreate(wxS("/n"), wxS("item"), wxS("node")), nullptr);
  KivoUnit::KivoBase::s_Instance = base;
  EXPECT_TRUE(log->contains(wxS("SearchOrCreate('/n','item') called unattached to kivo base"), 6));

  base->RemoveAllChildren();
  EXPECT_TRUE(base->GenerateNodePath(wxS(""), false, wxS("node")) && !base->hasChildren());
  EXPECT_TRUE(base->GenerateNodePath(wxS("/kivo/current/x"), false, wxS("node")) &&
              base->Search(wxS("/kivo/current/x")) != nullptr);
  EXPECT_FALSE(base->GenerateNodePath(wxS("/kivo/new"), false, wxS("broken")));
  for (const wxChar* path : {wxS("/my node/x"), wxS("/my node/y")}) EXPECT_TRUE(base->GenerateNodePath(path, false, wxS("node")));
  EXPECT_EQ(childNames(base->Search(wxS("/my node"))), (Names{wxS("x"), wxS("y")}));
  base->RemoveAllChildren(), nameBase(wxS("other"));
  EXPECT_TRUE(base->GenerateNodePath(wxS("/kivo/current/x"), false, wxS("node")) &&
              base->Search(wxS("/other/kivo/current/x")) != nullptr);
  EXPECT_TRUE(base->Available(wxS("/kivo/current")));
}

TEST_F(NodeTest, TheFirstChildInOrderWinsAmongNamesEncodedNamesAndLabels) {
  // The same rules with a few children (looked up in order) and with many (through the index).
  for (const int padding : {0, 40}) {
    SCOPED_TRACE(padding);
    iNode* parent = add(base, wxString::Format(wxS("parent%i"), padding));
    for (int i = 0; i < padding; ++i) add(parent, wxString::Format(wxS("pad%i"), i));
    auto search = [&](const wxString& name) { return base->Search(parent->GetFullPath() + wxS("/") + name); };
    iNode *first = add(parent, wxS("dup")), *second = add(parent, wxS("dup")), *labelled = add(parent, wxS("x"));
    labelled->setLabel(wxS("y"));
    iNode *named = add(parent, wxS("y")), *blank = add(parent, wxS("a b"));  // stored "a$20b", label "a b"
    blank->setLabel(wxS("other")), add(parent, wxS("later"))->setLabel(wxS("a b"));
    // {name, child found, node a path finds}: paths go by stored names only.
    for (const auto& [name, child, found] : std::vector<std::tuple<const wxChar*, iNode*, iNode*>>{
             {wxS("dup"), first, first}, {wxS("y"), labelled, named},  // a label before a later name
             {wxS("a b"), blank, blank}, {wxS("a$20b"), blank, blank},  // the encoded name before a later label
             {wxS("other"), blank, nullptr}, {wxS("missing"), nullptr, nullptr}}) {
      EXPECT_TRUE(parent->GetChild(name) == child && search(name) == found) << name;
    }
    // Swaps, moves, removals and renames keep the first match in list order.
    auto dup = [&] { return parent->GetChild(wxS("dup")); };
    EXPECT_TRUE(parent->swapChildren(first, second) && search(wxS("dup")) == second);
    EXPECT_EQ((parent->moveChildBefore(first, second), dup()), first);
    parent->RemoveChild(first);
    iNode* third = add(parent, wxS("dup"));
    EXPECT_EQ(dup(), second);
    EXPECT_EQ((parent->RemoveChild(second), search(wxS("dup"))), third);
    third->setName(wxS("gone")), named->setName(wxS("renamed"));
    EXPECT_TRUE(dup() == nullptr && search(wxS("y")) == nullptr && search(wxS("renamed")) == named);
    // A rename to a sibling's name is made unique; the sibling keeps the name.
    labelled->setName(wxS("renamed"));
    EXPECT_TRUE(labelled->getName() != wxS("renamed") && parent->GetChild(wxS("renamed")) == named &&
                parent->GetChild(labelled->getName()) == labelled);
    // Relabelling moves the label key; new children are checked against every child.
    labelled->setLabel(wxS("Taken"));
    EXPECT_TRUE(parent->GetChild(wxS("y")) == nullptr && parent->GetChild(wxS("Taken")) == labelled);
    for (const wxChar* name : {wxS("renamed"), wxS("Taken")}) {
      iNode* made = parent->CreateChild(name, wxS("node"), wxString(), false);
      EXPECT_TRUE(made->getLabel() == wxString(name) + wxS(" (1)") && parent->GetChild(made->getName()) == made) << name;
    }
    EXPECT_EQ(parent->GetChild(wxS("Taken")), labelled);
    // The list handed out by getChildren may be reordered by its user.
    iNode* front = add(parent, wxS("front"));
    std::reverse(parent->getChildren().begin(), parent->getChildren().end());
    add(parent, wxS("front"));
    EXPECT_EQ(parent->GetChild(wxS("front")), front);
  }
}

TEST_F(NodeTest, StateAndInfoReportTheNodesTheirAttributesTiesAndDocuments) {
  iNode* n = add(base, wxS("n"));
  add(n, wxS("c"));
  n->setAttribute(wxS("zeta"), wxS("last")), n->setAttribute(wxS("note"), wxS("a&b<c>d\"e'f%g"));
  n->setAttribute(wxS("empty"), wxS(""));
  EXPECT_EQ(n->State(Indent(), wxS("<!-- extra -->")),
            wxS("<node kivo_state_full_node_path=\"/kivo/n\" note=\"a&amp;b&lt;c&gt;d&quot;e&apos;f&#37;g\" "
                "zeta=\"last\"  >\n<!-- extra --> <node kivo_state_full_node_path=\"/kivo/n/c\"  >\n </node>\n</node>\n"));
  TempDir dir;
  const wxString part = wxString::FromUTF8(dir.write("part.xml", "<node name=\"inc\"/>").c_str());
  auto element = parseXml("<node name=\"inc\" include=\"" + part.utf8_string() + "\"/>");
  iNode* inc = add(base, wxS("inc"));
  ASSERT_TRUE(inc->Read(element->RootElement()));
  inc->setDescription(wxS("Included"));
  const wxString state = inc->State(Indent(wxS(""), wxS("\t")), wxS(""));
  EXPECT_TRUE(state.Contains(wxS(" kivo_state_included_filename=\"") + part + wxS("\" ")) &&
              state.Contains(wxS("source_xml_document=\"") + part + wxS("\" ")) &&
              state.Contains(wxS("\t<description>Included</description>\n"))) << state;
  iNode* m = add(base, wxS("my node"));
  add(m, wxS("c"));
  EXPECT_EQ(m->Info(Indent()),
            wxS("<info>\n<!-- element=\"node\" name=\"my node\" -->\n  <!-- no tie nor document -->\n"
                "  <!-- children of element=\"node\" name=\"my node\" -->\n   <!-- element=\"node\" name=\"c\" -->\n"
                "     <!-- no tie nor document -->\n   <!-- end of element=\"node\" name=\"c\" -->\n"
                "  <!-- end of children of element=\"node\" name=\"my node\" -->\n"
                "<!-- end of element=\"node\" name=\"my node\" -->\n</info>\n"));
  auto tied = parseXml(R"(<node name="t"><inner/></node>)");
  iNode* t = add(base, wxS("t"));
  t->setTie(tied->RootElement());
  EXPECT_EQ(t->Info(Indent()),
            wxS("<info>\n<!-- element=\"node\" name=\"t\" -->\n  <!-- tie=\"node\" -->\n<node name=\"t\">\n     <inner />\n"
                "</node>\n  <!-- end of tie=\"node\" -->\n<!-- end of element=\"node\" name=\"t\" -->\n</info>\n"));
  t->setTie(nullptr);  // the element ends with the test
  // Below the top the report is not wrapped; the document's declaration becomes a comment.
  const wxString doc = wxString::FromUTF8(dir.write("doc.xml", "<?xml version=\"1.0\" ?>\n<node name=\"d\"/>\n").c_str());
  iNode* d = add(base, wxS("d"));
  ASSERT_TRUE(d->Load(doc));
  EXPECT_EQ(d->Info(Indent(wxS(" "))), wxS(" <!-- element=\"node\" name=\"d\" -->\n   <!-- document=\"") + doc +
                                           wxS("\" -->\n<!--?xml version=\"1.0\" ?-->\n<node name=\"d\" />\n"
                                               "   <!-- end of document=\"") + doc +
                                           wxS("\" -->\n <!-- end of element=\"node\" name=\"d\" -->\n"));
}

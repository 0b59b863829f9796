// Path texts, search, path creation, and the child look-up rules, which must hold whether a
// node has a few children (looked up in order) or many (looked up through its index).
#include <algorithm>
#include <functional>
#include <tuple>

#include "support/NodeFixture.h"

using KivoUnit::iNode;
using namespace KivoTest;

namespace {

using Texts = std::vector<std::pair<wxString, const wxChar*>>;

class PathTest : public NodeTest {
 protected:
  // Runs `check` on a fresh parent, bare and padded with 40 unrelated children first.
  void onEverySize(const std::function<void(iNode* parent)>& check) {
    for (const int padding : {0, 40}) {
      SCOPED_TRACE(padding);
      iNode* parent = add(base, wxString::Format(wxS("parent%i"), padding));
      for (int i = 0; i < padding; ++i) add(parent, wxString::Format(wxS("pad%i"), i));
      check(parent);
    }
  }
  iNode* search(iNode* parent, const wxString& name) {
    return base->Search(parent->GetFullPath() + wxS("/") + name);
  }
  static void expectTexts(const Texts& cases) {
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
  }
};

TEST_F(PathTest, PathTextsAreParsedNormalizedAndFollowAttributesAndSubPaths) {
  iNode *a = add(base, wxS("a")), *b = add(a, wxS("b"));
  expectTexts({{b->GetPath(), wxS("/kivo/a/")}, {b->GetPathName(), wxS("/kivo/a/b")},
               {b->GetFullPath(), wxS("/kivo/a/b")}, {base->GetPath(), wxS("/")},
               {base->GetPathName(), wxS("/kivo")}, {b->ParsePathName(wxS("/x/y?p=1?q")), wxS("/x/y")},
               {b->ParseParams(wxS("/x/y?p=1?q")), wxS("p=1?q")}, {b->ParseParams(wxS("/x/y")), wxS("")},
               {b->ParsePath(wxS("/x/y?p=/z")), wxS("/x")}, {b->ParsePath(wxS("y")), wxS("")},
               {b->ParseName(wxS("/x/y//?p=/z")), wxS("y")}, {b->ParseName(wxS("//")), wxS("//")},
               {b->Normalize(wxS("./c"), a), wxS("/kivo/a/./c")}});
  for (const auto& [path, normal] : std::vector<std::pair<const wxChar*, const wxChar*>>{
           {wxS(""), wxS("/kivo/a/b")}, {wxS("/"), wxS("")}, {wxS("../x"), wxS("/kivo/a/x")},
           {wxS("/../x"), wxS("/x")}, {wxS("/a//b/"), wxS("/a/b")}, {wxS("../../../../.."), wxS("")},
           {wxS("a?p=1"), wxS("/kivo/a/b/a?p=1")}, {wxS("?only"), wxS("/kivo/a/b?only")}}) {
    EXPECT_EQ(b->Normalize(path, nullptr), normal) << path;
  }
  add(b, wxS("t")), b->setAttribute(wxS("target"), wxS("t"));
  add(base, wxS("pointer"))->setAttribute(wxS("to"), wxS("a"));
  // Attribute indirection ("#name") and sub-paths ("[...]").
  expectTexts({{base->parsePathWithAttributes(wxS("/a/b#target/d")), wxS("/a/b/t/d")},
               {base->parsePathWithAttributes(wxS("/a/ b # target /d")), wxS("/a/b/t/d")},
               {base->parsePathWithAttributes(wxS("/a/b#missing/d")), wxS("/a/b/d")},
               {base->parsePathWithAttributes(wxS("/nowhere#x/d")), wxS("/nowhere/d")},
               {base->parsePathWithAttributes(wxS("/")), wxS("/")},
               {base->parsePathWithAttributes(wxS("/a/#")), wxS("/a")},
               {base->parsePathRecursive(wxS("/[/pointer#to]/b")), wxS("/a/b")},
               {base->parsePathRecursive(wxS("/x[/a/b#target]")), wxS("/xt")},
               {base->parsePathRecursive(wxS("/a/[b")), wxS("/a/b")},
               {base->parsePathRecursive(wxS("/a/b]/c")), wxS("/a/b")}});
  EXPECT_TRUE(log->contains(wxS("Node '/a/b' has no attribute 'missing'"), 5) &&
              log->contains(wxS("Path '/nowhere' not found"), 5));
}

TEST_F(PathTest, SearchFindsByEncodedNameWithOrWithoutTheRootName) {
  iNode* current = add(base, wxS("current"));
  iNode* umlaut = add(current, wxString::FromUTF8("Gr\xC3\xBC\xC3\x9F" "e Welt"));
  umlaut->setLabel(wxS("Greetings"));
  for (const wxChar* path : {wxS("/kivo/current"), wxS("/current"), wxS("current/"),
                             wxS("/current?x=/nowhere"), wxS("/current/Gr$C3$BC$C3$9Fe$20Welt/..")}) {
    EXPECT_EQ(base->Search(path), current) << path;
  }
  for (const wxChar* path : {wxS("/kivo"), wxS("/"), wxS(""), wxS("//"), wxS("..")}) {
    EXPECT_EQ(base->Search(path), base) << path;
  }
  // Labels are not searched, names are case-sensitive, unsafe characters match nothing.
  for (const wxChar* path : {wxS("/current/Greetings"), wxS("/Current"), wxS("/current/a b"),
                             wxS("/current/$"), wxS("/current/#"), wxS("/current/[x")}) {
    EXPECT_EQ(base->Search(path), nullptr) << path;
  }
  EXPECT_TRUE(umlaut->Search(wxS("")) == umlaut && current->Search(wxS("?p=1")) == current);
  EXPECT_EQ(base->Search(wxString::FromUTF8("/current/Gr\xC3\xBC\xC3\x9F" "e Welt")), umlaut);
  wxString deep, back = wxS("/current");
  for (int i = 0; i < 10000; ++i) deep += wxS("/x"), back += wxS("/y/..");
  EXPECT_TRUE(base->Search(deep) == nullptr && base->Search(back) == current);
}

TEST_F(PathTest, SearchOrCreateBuildsMissingNodesAndGenerateNodePathWorksOnBothKindsOfRoot) {
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

TEST_F(PathTest, TheFirstChildInOrderWinsAmongNamesEncodedNamesAndLabels) {
  onEverySize([&](iNode* parent) {
    iNode *first = add(parent, wxS("dup")), *second = add(parent, wxS("dup")), *labelled = add(parent, wxS("x"));
    labelled->setLabel(wxS("y"));
    iNode *named = add(parent, wxS("y")), *blank = add(parent, wxS("a b"));  // stored "a$20b", label "a b"
    blank->setLabel(wxS("other"));
    add(parent, wxS("later"))->setLabel(wxS("a b"));
    for (const auto& [name, child] : std::vector<std::pair<const wxChar*, iNode*>>{
             {wxS("dup"), first}, {wxS("y"), labelled},  // a label before a later name
             {wxS("a b"), blank}, {wxS("a$20b"), blank},  // the encoded name before a later label
             {wxS("other"), blank}, {wxS("missing"), nullptr}}) {
      EXPECT_EQ(parent->GetChild(name), child) << name;
    }
    // Paths go by stored names only.
    for (const auto& [name, child] : std::vector<std::pair<const wxChar*, iNode*>>{
             {wxS("dup"), first}, {wxS("y"), named}, {wxS("a b"), blank}, {wxS("missing"), nullptr}}) {
      EXPECT_EQ(search(parent, name), child) << name;
    }
    // Swaps, moves, removals and renames keep the first match in list order.
    auto dup = [&] { return parent->GetChild(wxS("dup")); };
    EXPECT_TRUE(parent->swapChildren(first, second) && search(parent, wxS("dup")) == second);
    parent->moveChildBefore(first, second);
    EXPECT_EQ(dup(), first);
    parent->RemoveChild(first);
    iNode* third = add(parent, wxS("dup"));
    EXPECT_EQ(dup(), second);
    parent->RemoveChild(second);
    EXPECT_EQ(search(parent, wxS("dup")), third);
    third->setName(wxS("gone")), named->setName(wxS("renamed"));
    EXPECT_TRUE(dup() == nullptr && search(parent, wxS("y")) == nullptr && search(parent, wxS("renamed")) == named);
    // A rename to a sibling's name is made unique; the sibling keeps the name.
    labelled->setName(wxS("renamed"));
    EXPECT_NE(labelled->getName(), wxS("renamed"));
    EXPECT_TRUE(parent->GetChild(wxS("renamed")) == named && parent->GetChild(labelled->getName()) == labelled);
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
  });
}

}  // namespace

#include "support/NodeFixture.h"

using KivoUnit::iNode;
using KivoTest::NodeTest;

TEST_F(NodeTest, PathsOfNodesIncludeTheRootName) {
  iNode* a = add(base, wxS("a"));
  iNode* b = add(a, wxS("b"));
  EXPECT_EQ(b->GetPath(), wxS("/kivo/a/"));
  EXPECT_EQ(b->GetPathName(), wxS("/kivo/a/b"));
  EXPECT_EQ(b->GetFullPath(), wxS("/kivo/a/b"));
  EXPECT_EQ(base->GetPath(), wxS("/"));
  EXPECT_EQ(base->GetPathName(), wxS("/kivo"));

  EXPECT_EQ(b->ParsePathName(wxS("/x/y?p=1?q")), wxS("/x/y"));
  EXPECT_EQ(b->ParseParams(wxS("/x/y?p=1?q")), wxS("p=1?q"));
  EXPECT_EQ(b->ParseParams(wxS("/x/y")), wxS(""));
  EXPECT_EQ(b->ParsePath(wxS("/x/y?p=/z")), wxS("/x"));
  EXPECT_EQ(b->ParsePath(wxS("y")), wxS(""));
  EXPECT_EQ(b->ParseName(wxS("/x/y//?p=/z")), wxS("y"));
  EXPECT_EQ(b->ParseName(wxS("//")), wxS("//"));
}

TEST_F(NodeTest, NormalizeResolvesRelativePathsDotDotAndParameters) {
  iNode* a = add(base, wxS("a"));
  iNode* b = add(a, wxS("b"));
  for (const auto& [path, normal] : std::vector<std::pair<const wxChar*, const wxChar*>>{
           {wxS(""), wxS("/kivo/a/b")}, {wxS("/"), wxS("")}, {wxS("../x"), wxS("/kivo/a/x")},
           {wxS("/../x"), wxS("/x")}, {wxS("/a//b/"), wxS("/a/b")}, {wxS("../../../../.."), wxS("")},
           {wxS("a?p=1"), wxS("/kivo/a/b/a?p=1")}, {wxS("?only"), wxS("/kivo/a/b?only")}}) {
    EXPECT_EQ(b->Normalize(path, nullptr), normal) << path;
  }
  EXPECT_EQ(b->Normalize(wxS("./c"), a), wxS("/kivo/a/./c"));
}

TEST_F(NodeTest, SearchFindsByEncodedNameWithOrWithoutTheRootName) {
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
  EXPECT_EQ(umlaut->Search(wxS("")), umlaut);
  EXPECT_EQ(base->Search(wxString::FromUTF8("/current/Gr\xC3\xBC\xC3\x9F" "e Welt")), umlaut);
  EXPECT_EQ(current->Search(wxS("?p=1")), current);
  EXPECT_EQ(base->Search(wxS("/current/Greetings")), nullptr) << "labels are not searched";
  EXPECT_EQ(current->GetChild(wxS("Greetings")), umlaut);
  EXPECT_EQ(base->Search(wxS("/Current")), nullptr) << "case-sensitive";
  for (const wxChar* path : {wxS("/current/a b"), wxS("/current/$"), wxS("/current/#"),
                               wxS("/current/[x")}) {
    EXPECT_EQ(base->Search(path), nullptr) << path;
  }
  EXPECT_TRUE(current->CanExecute(wxS("/current")));
  EXPECT_FALSE(current->CanExecute(wxS("/nothing")));

  wxString deep;
  for (int i = 0; i < 10000; ++i) deep += wxS("/x");
  EXPECT_EQ(base->Search(deep), nullptr);
  wxString back = wxS("/current");
  for (int i = 0; i < 10000; ++i) back += wxS("/y/..");
  EXPECT_EQ(base->Search(back), current);
}

TEST_F(NodeTest, AttributeIndirectionAndSubPaths) {
  iNode* a = add(base, wxS("a"));
  iNode* b = add(a, wxS("b"));
  add(b, wxS("t"));
  b->setAttribute(wxS("target"), wxS("t"));
  iNode* pointer = add(base, wxS("pointer"));
  pointer->setAttribute(wxS("to"), wxS("a"));

  EXPECT_EQ(base->parsePathWithAttributes(wxS("/a/b#target/d")), wxS("/a/b/t/d"));
  EXPECT_EQ(base->parsePathWithAttributes(wxS("/a/ b # target /d")), wxS("/a/b/t/d"));
  EXPECT_EQ(base->parsePathWithAttributes(wxS("/a/b#missing/d")), wxS("/a/b/d"));
  EXPECT_TRUE(log->contains(wxS("Node '/a/b' has no attribute 'missing'"), 5));
  EXPECT_EQ(base->parsePathWithAttributes(wxS("/nowhere#x/d")), wxS("/nowhere/d"));
  EXPECT_TRUE(log->contains(wxS("Path '/nowhere' not found"), 5));
  EXPECT_EQ(base->parsePathWithAttributes(wxS("/")), wxS("/"));
  EXPECT_EQ(base->parsePathWithAttributes(wxS("/a/#")), wxS("/a"));

  EXPECT_EQ(base->parsePathRecursive(wxS("/[/pointer#to]/b")), wxS("/a/b"));
  EXPECT_EQ(base->parsePathRecursive(wxS("/x[/a/b#target]")), wxS("/xt"));
  EXPECT_EQ(base->parsePathRecursive(wxS("/a/[b")), wxS("/a/b"));
  EXPECT_EQ(base->parsePathRecursive(wxS("/a/b]/c")), wxS("/a/b"));
}

TEST_F(NodeTest, SearchOrCreateBuildsMissingNodes) {
  bool created = false;
  iNode* x = base->SearchOrCreate(created, wxS("/kivo/p/q/x"), wxS("item"), wxS("node"));
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(created);
  EXPECT_EQ(x->GetFullPath(), wxS("/kivo/p/q/x"));
  EXPECT_EQ(x->getElement(), wxS("item"));
  EXPECT_EQ(base->Search(wxS("/p/q"))->getElement(), wxS("node"));

  EXPECT_EQ(base->SearchOrCreate(created, wxS("/p/q/x"), wxS("item"), wxS("node")), x);
  EXPECT_FALSE(created);
  log->clear();
  EXPECT_EQ(base->SearchOrCreate(wxS("/p/q/x"), wxS("other"), wxS("node")), x);
  EXPECT_TRUE(log->contains(
      wxS("SearchOrCreate( path '/p/q/x', type 'other') - Found node '/kivo/p/q/x' with type "
          "'item'"),
      4));

  iNode* q = base->Search(wxS("/p/q"));
  iNode* y = q->SearchOrCreate(created, wxS("y"), wxS("item"), wxS("node"));
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->GetFullPath(), wxS("/kivo/p/q/y"));

  EXPECT_EQ(base->SearchOrCreate(created, wxS(""), wxS("item"), wxS("node")), nullptr);
  EXPECT_EQ(base->SearchOrCreate(created, wxS("/p/z"), wxS("broken"), wxS("node")), nullptr);
  EXPECT_TRUE(log->contains(wxS("Could not create node type 'broken'"), 5));
  EXPECT_EQ(base->SearchOrCreate(created, wxS("/r/z"), wxS("item"), wxS("unknown")), nullptr);
  EXPECT_TRUE(log->contains(wxS("Could not generate path '/r'"), 5));

  KivoTest::TestNode detached(wxS("node"));
  detached.setName(wxS("alone"));
  KivoUnit::KivoBase::s_Instance = nullptr;
  EXPECT_EQ(detached.SearchOrCreate(wxS("/n"), wxS("item"), wxS("node")), nullptr);
  KivoUnit::KivoBase::s_Instance = base;
  EXPECT_TRUE(log->contains(
      wxS("SearchOrCreate('/n','item') called unattached to kivo base"), 6));
}

TEST_F(NodeTest, GenerateNodePathOnBothKindsOfRoot) {
  EXPECT_TRUE(base->GenerateNodePath(wxS(""), false, wxS("node")));
  EXPECT_FALSE(base->hasChildren());
  EXPECT_TRUE(base->GenerateNodePath(wxS("/kivo/current/x"), false, wxS("node")));
  ASSERT_NE(base->GetChild(wxS("current")), nullptr);
  EXPECT_NE(base->Search(wxS("/kivo/current/x")), nullptr);
  EXPECT_FALSE(base->GenerateNodePath(wxS("/kivo/new"), false, wxS("broken")));
  EXPECT_TRUE(base->GenerateNodePath(wxS("/my node/x"), false, wxS("node")));
  EXPECT_TRUE(base->GenerateNodePath(wxS("/my node/y"), false, wxS("node")));
  EXPECT_NE(base->Search(wxS("/my node/x")), nullptr);
  EXPECT_NE(base->Search(wxS("/my node/y")), nullptr) << "one 'my node', holding both";

  base->RemoveAllChildren();
  nameBase(wxS("other"));
  EXPECT_TRUE(base->GenerateNodePath(wxS("/kivo/current/x"), false, wxS("node")));
  iNode* kivo = base->GetChild(wxS("kivo"));
  ASSERT_NE(kivo, nullptr);
  EXPECT_NE(base->Search(wxS("/other/kivo/current/x")), nullptr);
  EXPECT_TRUE(base->Available(wxS("/kivo/current")));
}

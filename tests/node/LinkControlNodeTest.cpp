#include "kivo/node/ControlNode.h"
#include "kivo/node/ControlsNode.h"
#include "kivo/node/SymLinkNode.h"
#include "support/NodeFixture.h"

using namespace KivoUnit;
using KivoTest::NodeTest;

namespace {

// Attaches a node built by hand (not through a factory) and takes it out again
// before the fixture's teardown would hand it to the registry.
struct Attached {
  Attached(iNode* parent, iNode* node, const wxString& name) : parent(parent), node(node) {
    node->setName(name);
    parent->AppendChild(node, nullptr, false);
  }
  ~Attached() {
    node->destroy();
    delete node;
  }
  iNode* parent;
  iNode* node;
};

class CountingControl : public ControlNode {
 public:
  CountingControl() : ControlNode(nullptr, wxS("control")) {}
  bool executeControl() override {
    ++executed;
    return succeed;
  }
  int executed = 0;
  bool succeed = true;
};

}  // namespace

TEST_F(NodeTest, LinksLeadSearchesToTheirTarget) {
  iNode* data = add(base, wxS("data"));
  iNode* leaf = add(data, wxS("leaf"));
  Attached link(base, new SymLinkNode(nullptr, wxS("SymLink")), wxS("shortcut"));
  auto* symlink = static_cast<SymLinkNode*>(link.node);
  EXPECT_EQ(symlink->getClassTag(), wxS("xml.element.inode.symlink"));

  EXPECT_EQ(symlink->getThis(), symlink) << "no target yet";
  symlink->setTargetPath(wxS("/data"));
  EXPECT_EQ(symlink->getAttribute(wxS("symlink_target_path"), wxS("")), wxS("/data"));
  EXPECT_EQ(base->Search(wxS("/shortcut/leaf")), leaf);
  EXPECT_EQ(symlink->getTargetNode(), data);

  symlink->setTargetPath(wxS("/nowhere"));
  EXPECT_EQ(symlink->getThis(), symlink);
  EXPECT_EQ(base->Search(wxS("/shortcut/leaf")), nullptr);

  // A link whose target runs through itself ends in null with the message.
  symlink->setTargetPath(wxS("/shortcut/leaf"));
  log->clear();
  EXPECT_EQ(symlink->getTargetNode(), nullptr);
  bool recursed = false;
  for (const wxString& text : log->texts()) {
    if (text.Contains(wxS("recursed 1 times\n/kivo/shortcut -> /shortcut/leaf"))) recursed = true;
  }
  EXPECT_TRUE(recursed);
}

TEST_F(NodeTest, ControlsStepAndTriggerTheirControls) {
  Attached controls(base, new ControlsNode(nullptr, wxS("Controls")), wxS("controls"));
  auto* container = static_cast<ControlsNode*>(controls.node);
  EXPECT_TRUE(container->updateControls(0.1f)) << "no controls";
  Attached first(container, new CountingControl(), wxS("first"));
  Attached second(container, new CountingControl(), wxS("second"));
  auto* a = static_cast<CountingControl*>(first.node);
  auto* b = static_cast<CountingControl*>(second.node);

  a->setRepeat(true);
  a->setRepeatInterval(1.0f);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(a->updateControl(0.1f));
  a->stopRepeating();
  EXPECT_FALSE(a->updateControl(0.1f));
  EXPECT_FALSE(container->updateControls(0.1f)) << "b does not repeat";

  a->setEventType(wxS("click"));
  b->setEventType(wxS("key"));
  EXPECT_TRUE(container->executeControls(wxS("click")));
  EXPECT_EQ(a->executed, 1);
  EXPECT_EQ(b->executed, 0);
  b->succeed = false;
  EXPECT_FALSE(container->executeControls(wxS("key")));
  EXPECT_TRUE(container->executeControls(wxS("nothing")));

  a->setRepeatInterval(0.25f);
  a->writeAttributes();
  EXPECT_EQ(a->getAttribute(wxS("repeat"), wxS("")), wxS("true"));
  EXPECT_EQ(a->getAttribute(wxS("repeat_interval"), wxS("")), wxS("0.250000"));
  b->setAttribute(wxS("repeat"), wxS("TRUE"));
  b->setAttribute(wxS("repeat_interval"), wxS("2.5"));
  b->readAttributes();
  EXPECT_TRUE(b->getRepeat());
  EXPECT_FLOAT_EQ(b->getRepeatInterval(), 2.5f);
}

TEST_F(NodeTest, ListenersForgetNodesAndNodesForgetListeners) {
  iNode* a = add(base, wxS("a"));
  iNode* b = add(base, wxS("b"));
  iNode* c = add(base, wxS("c"));
  {
    KivoTest::RecordingListener listener;
    a->RegisterListener(&listener);
    b->RegisterListener(&listener);
    c->RegisterListener(&listener);
    b->RegisterListener(&listener);
    EXPECT_EQ(listener.getNodes().size(), 3u);
    EXPECT_EQ(b->getListeners().size(), 1u);
    base->RemoveChild(b);
    EXPECT_EQ(listener.getNodes().size(), 2u);
  }
  EXPECT_TRUE(a->getListeners().empty());
  EXPECT_TRUE(c->getListeners().empty());
}

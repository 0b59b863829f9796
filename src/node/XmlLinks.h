#pragma once

#include <tinyxml.h>

namespace KivoUnit {

// Moves a TinyXML node within its document without copying it. TinyXML can only
// insert copies and delete on removal, which would leave every node tied to the
// moved element (or to one below it) holding a dangling pointer. The sibling
// links are reached through pointers to members, which a derived class may form.
class XmlLinks : public TiXmlNode {
 public:
  XmlLinks() = delete;

  // Takes `node` out of its parent's child list; it stays alive and unowned.
  static void unlink(TiXmlNode* node) {
    TiXmlNode* owner = node->*kParent;
    if (owner == nullptr) return;
    TiXmlNode* before = node->*kPrev;
    TiXmlNode* after = node->*kNext;
    (before ? before->*kNext : owner->*kFirstChild) = after;
    (after ? after->*kPrev : owner->*kLastChild) = before;
    node->*kParent = nullptr;
    node->*kPrev = nullptr;
    node->*kNext = nullptr;
  }

  // Moves `node` to stand right before `reference`, under the same parent.
  static void moveBefore(TiXmlNode* node, TiXmlNode* reference) {
    if (node == reference) return;
    unlink(node);
    TiXmlNode* owner = reference->*kParent;
    TiXmlNode* before = reference->*kPrev;
    node->*kParent = owner;
    node->*kPrev = before;
    node->*kNext = reference;
    reference->*kPrev = node;
    (before ? before->*kNext : owner->*kFirstChild) = node;
  }

  // Moves `node` to stand right after `reference`, under the same parent.
  static void moveAfter(TiXmlNode* node, TiXmlNode* reference) {
    if (node == reference) return;
    unlink(node);
    TiXmlNode* owner = reference->*kParent;
    TiXmlNode* after = reference->*kNext;
    node->*kParent = owner;
    node->*kPrev = reference;
    node->*kNext = after;
    reference->*kNext = node;
    (after ? after->*kPrev : owner->*kLastChild) = node;
  }

 private:
  static constexpr TiXmlNode* TiXmlNode::*kParent = &XmlLinks::parent;
  static constexpr TiXmlNode* TiXmlNode::*kFirstChild = &XmlLinks::firstChild;
  static constexpr TiXmlNode* TiXmlNode::*kLastChild = &XmlLinks::lastChild;
  static constexpr TiXmlNode* TiXmlNode::*kPrev = &XmlLinks::prev;
  static constexpr TiXmlNode* TiXmlNode::*kNext = &XmlLinks::next;
};

}  // namespace KivoUnit

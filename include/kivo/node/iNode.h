#pragma once

#include <atomic>
#include <functional>
#include <string_view>
#include <map>
#include <memory>
#include <vector>

#include <wx/string.h>

#include "kivo/element/KivoElement.h"
#include "kivo/KivoExport.h"

class wxCriticalSection;
class wxFileName;
class TiXmlElement;

namespace KivoUnit {

class ChildIndex;
class iNodeFactory;
class iNodeListener;
class KivoBase;
class UpdateEvent;

using NodeList = std::vector<class iNode*>;
// Construction id to full path, newest first.
using NodesByReverseConstructionId = std::map<unsigned int, wxString, std::greater<unsigned int>>;

// A node of the process-wide tree: an XML-tied element with a parent, ordered
// children, listeners, and paths by which it is found.
//
// A node owns its children: removing or destroying it destroys them, through the
// base's DestroyNode and the factory that made each one. Child entries may be
// empty after a child detached itself (eraseChildNode); every walk skips them.
class KIVO_API iNode : public KivoElement {
 public:
  enum SortOrder { SortAscending, SortDescending };

  // Records `parent` without entering the node in its child list; factories pass null
  // and attach with AppendChild.
  iNode(iNode* parent, const wxString& element);
  ~iNode() override;

  // Reads the node from `element`, creates its children through the factories, then
  // pulls in its include file. Failures below the node are reported, never fatal.
  bool Read(TiXmlElement* element) override;
  // Writes the node and its subtree into their elements and saves the one document
  // that holds the node's element (a node without an element passes the save to its
  // parent, whose Write makes one). True only when that document reached its file;
  // a failed save touches no other document. Read-only and run-time nodes are never
  // saved.
  bool Save() override;

  // Element descriptors and attributes with the tree's clash handling and notifications.
  void setName(const wxString& name) override;
  void setLabel(const wxString& label) override;
  void setAttribute(const wxString& name, const wxString& value) override;

  // Attribute exchange and reports.
  void readAttributes() override;
  void writeAttributes() override;
  // Writes the node into its element (made under the parent's when missing), then
  // every child. Run-time nodes are skipped: they never gain an element.
  bool Write() override;
  wxString InitXML(const Indent& indent, const wxString& extra) const override;
  wxString EndXML(const Indent& indent) const override;
  using KivoElement::Write;

  // Life and updating.
  virtual void destroy();
  virtual iNodeFactory* getCreator() const;
  virtual void setCreator(iNodeFactory* creator);
  // Called on the auto-updater's thread, under the tree lock, with the seconds
  // since the node's previous call.
  virtual void AutoUpdate(double elapsed);
  // Registers the full path with the auto-updater at "/kivo/AutoUpdater" (when there
  // is one) at the interval of the node's own "auto_update_interval" attribute.
  virtual void registerAutoUpdater(double seconds);
  virtual bool unregisterAutoUpdater();
  // Seconds between calls, 0 without an auto-updater or a registration.
  virtual double getAutoUpdateInterval();
  virtual bool Update(bool recursive);
  virtual bool Update(UpdateEvent& event);

  // Children and identity. Changing the list handed out here is a change of the
  // tree: the look-up index is rebuilt on the next look-up.
  virtual NodeList& getChildren();
  virtual const NodeList& getChildren() const;
  virtual bool hasChildren() const;
  virtual wxString About() const;
  // Builds a child from XML text and names it.
  virtual iNode* Parse(const wxString& xml, const wxString& name);
  virtual bool Init();
  virtual bool isInitialized() const;
  virtual bool isReadOnly() const;
  virtual void setReadOnly(bool readOnly);
  // A run-time node is one the library adds while it runs (factories, plug-ins, boot
  // stamps, add-ons and the branches holding them). It and every node below it are
  // no part of any configuration: Write leaves them out of the XML, Save refuses them.
  bool isRunTime() const;
  void setRunTime(bool runTime) { m_RunTime = runTime; }

  // Commands and messages.
  virtual wxString Execute(const wxString& command, const wxString& params);
  virtual bool CanExecute(const wxString& command);
  virtual void Log(const wxString& message) const;
  virtual void Debug(const wxString& message) const;
  virtual void Warning(const wxString& message) const;
  virtual void Error(const wxString& message) const;
  virtual void FatalError(const wxString& message) const;
  virtual void Log(const wxString& a, const wxString& b);

  // Navigation; the lower-case forms forward to the capitalised ones.
  virtual iNode* getParent() const;
  virtual iNode* getRoot();
  virtual KivoBase* getBase();
  virtual iNode* getChild(const wxString& name) const;
  virtual bool hasChild(const wxString& name) const;
  virtual bool hasChildNode(const iNode* child) const;
  virtual bool eraseChildNode(const iNode* child);
  virtual iNode* GetParent() const;
  virtual iNode* GetRoot();
  virtual KivoBase* GetBase();
  // By stored name, encoded name or label, whichever matches a child first.
  virtual iNode* GetChild(const wxString& name) const;
  virtual bool HasChild(const wxString& name) const;
  // The first child whose stored (encoded) name is exactly `stored`; labels and
  // links play no part.
  iNode* getChildByStoredName(const wxString& stored) const;

  // Structure.
  virtual bool AppendChild(iNode* child, iNode* parent, bool makeTie);
  virtual void AppendChildNode(iNode* child, bool makeTie);
  virtual bool append(iNode* child);
  virtual iNode* getFirstChild() const;
  virtual iNode* getFirstChildElement(const wxString& element) const;
  virtual void DestroyChild(iNode* child);
  virtual void RemoveChild(iNode* child);
  virtual void RemoveChild(const wxString& name);
  virtual void RemoveAllChildren();
  // Leaves the parent's child list (an empty entry stays) and forgets the parent.
  void detachFromParent();
  virtual iNode* CopyChild(iNode* source, iNode* destination, bool translate);
  virtual iNode* CreateChild(const wxString& name, const wxString& type, const wxString& label,
                             bool makeTie);

  // Reports: the node with its document or element in comments, and its state as
  // one XML element per node.
  virtual wxString Info(const Indent& indent) const;

  // Drops and destroys children whose names begin with "-".
  virtual bool CleanUp();
  virtual wxString State(const Indent& indent, const wxString& extra) const;

  // Paths.
  virtual wxString GetPath() const;
  virtual wxString GetPathName() const;
  virtual wxString GetFullPath() const;
  virtual iNode* Search(const wxString& path);
  virtual iNode* SearchOrCreate(const wxString& path, const wxString& type,
                                const wxString& pathType);
  virtual iNode* SearchOrCreate(bool& created, const wxString& path, const wxString& type,
                                const wxString& pathType);
  virtual wxString ParseName(const wxString& path) const;
  virtual wxString ParsePathName(const wxString& path) const;
  virtual wxString ParseParams(const wxString& path) const;
  virtual wxString ParsePath(const wxString& path) const;
  virtual wxString Normalize(const wxString& path, const iNode* relativeTo) const;
  // The first existing file of: the name itself, each resource location, KIVO_BASE,
  // the folder of the node's document, KIVO_BASE followed by the node's path.
  virtual wxFileName FindFilename(const wxString& name);

  // Listeners and naming.
  virtual void RegisterListener(iNodeListener* listener);
  virtual void RemoveListener(iNodeListener* listener);
  virtual void readRecursiveAttributes();
  virtual wxString setAutoName(const wxString& name);
  virtual void getChildrenSortedByReverseConstructionId(NodesByReverseConstructionId& out) const;
  virtual unsigned int getConstructionId() const;
  // Makes (or finds) a symbolic link at `path` that points to this node.
  virtual void createSymLink(const wxString& path);
  virtual iNode* getThis();
  // Makes `name` and `label` unique among the children; returns the suffix added.
  virtual wxString generateChildName(wxString& name, wxString& label);
  virtual wxString parsePathRecursive(const wxString& path);
  virtual wxString parsePathWithAttributes(const wxString& path);

  // Ordering.
  virtual bool swapChildren(iNode* a, iNode* b);
  virtual bool swapChildren(const wxString& nameA, const wxString& nameB);
  virtual bool sortChildrenByAttribute(const wxString& attribute, SortOrder order);
  virtual bool sortChildrenByLabel(SortOrder order);
  virtual void moveChildAfter(iNode* node, iNode* reference);
  virtual void moveChildBefore(iNode* node, iNode* reference);
  // Guards the child list during append, swap and move. The first call must not
  // race with another first call.
  virtual wxCriticalSection& getNodeLock();

  // Notifications.
  virtual void ReportShutdown();
  virtual void OnShutdown();
  virtual void ReportBeforeSave();
  virtual void OnBeforeSave();

  const std::vector<iNodeListener*>& getListeners() const { return m_Listeners; }
  const wxString& getIncludeName() const;
  const wxString& getIncludePath() const;
  double getElapsedTime() const { return m_ElapsedTime; }

  static unsigned int s_Constructed;
  static unsigned int s_Destroyed;

 protected:
  void setUpdateEnabled(bool enabled) { m_UpdateEnabled = enabled; }
  // The base that owns the tree: the root when it is one, else the process's base.
  KivoBase* owningBase();
  // "[element:name:label]" for messages.
  wxString describe() const;
  void notifyListeners(const std::function<void(iNodeListener*)>& notify) const;
  // Takes children whose names begin with "-" out and destroys them.
  void dropDashedChildren();
  static bool hasDashedName(const iNode& node);
  // Called when the stored name or label changed: the parent's index is stale.
  void onIdentityChanged() override;

  bool m_AutoUpdateRegistered;
  unsigned int m_AutoUpdateId;

 private:
  bool rootIsBase();
  // Hands the last child to `take` until the child list is empty.
  void takeChildrenFromBack(void (iNode::*take)(iNode*));
  int indexOf(const iNode* child) const;
  // The index of the child list, up to date, or null while the list is short.
  ChildIndex* usableIndex() const;
  void invalidateIndex();
  // The first child whose stored name is `stored`.
  iNode* childByStoredName(std::wstring_view stored) const;
  // Search for paths with ".." pieces, through Normalize.
  iNode* searchNormalized(iNode* self, const wxString& path);

  // What Init and the walks over the tree read of every node, side by side.
  iNode* m_Parent;
  NodeList m_Children;
  mutable std::atomic<ChildIndex*> m_Index{nullptr};
  bool m_Initialized;
  bool m_ReadOnly;
  bool m_RunTime;
  bool m_UpdateEnabled;
  // False once DestroyChild took the node out of its parent's list, so leaving
  // the parent need not look for it there again.
  bool m_MaybeListed = true;
  // Set when a child named with a leading "-" may be listed, so that Init and
  // CleanUp need not read every child's name.
  std::atomic<bool> m_MaybeDashedChildren{false};
  unsigned int m_ConstructionId;
  iNodeFactory* m_Creator;
  wxCriticalSection* m_NodeLock;
  // Room for the node lock, made there on first use: one allocation fewer per parent.
  alignas(void*) unsigned char m_NodeLockRoom[2 * sizeof(void*)];
  std::vector<iNodeListener*> m_Listeners;
  double m_ElapsedTime;
  // The file a node includes and where it was found: few nodes have one.
  struct Includes {
    wxString name, path;
  };
  Includes& includes();
  std::unique_ptr<Includes> m_Includes;
};

}  // namespace KivoUnit

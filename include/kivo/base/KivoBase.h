#pragma once

#include <atomic>

#include <wx/arrstr.h>
#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"
#include "kivo/plugin/KivoMemory.h"
#include "kivo/plugin/PluginRecords.h"
#include "kivo/factory/NodeFactories.h"
#include "kivo/node/iNode.h"

class TiXmlElement;

namespace KivoUnit {

class iNodeFactory;
class iPlugin;
class KivoTranslator;
class TimeProfiler;

// The root of the process-wide tree and the registry of node factories. Nodes
// created through the base are destroyed through it, by the factory that made them.
class KIVO_API KivoBase : public iNode {
 public:
  KivoBase();
  ~KivoBase() override;

  // Reports the list of loaded libraries under "/kivo/current/libraries".
  bool Update(bool recursive) override;
  // Runs `command` on the node at `path`; "" when no node is there.
  wxString Execute(const wxString& path, const wxString& command) override;
  bool CanExecute(const wxString& command) override;
  wxString State(const Indent& indent, const wxString& extra) const override;

  void Log(const wxString& message) const override;
  void Debug(const wxString& message) const override;
  void Warning(const wxString& message) const override;
  void Error(const wxString& message) const override;
  void FatalError(const wxString& message) const override;
  using iNode::Log;

  KivoBase* GetBase() override;
  // The text of the last Error or FatalError.
  virtual wxString GetError() const;
  // Folders searched for files named in the configuration.
  virtual void AddResourceLocation(const wxString& folder);
  virtual const wxArrayString& GetResourceLocations() const;
  // Reads the configuration file into the tree with the default factory and
  // stamps "/kivo/current/boot" with the start and stop times. Relative names in the
  // configuration are taken from the file's folder, whatever the working directory.
  //
  // Boot may be called again: a later boot replaces the configuration. It first
  // destroys every node the previous boot read (newest first, as Shutdown does), so
  // no node stays tied to the document it frees; the run-time nodes (factories,
  // plug-ins, add-ons, boot stamps) stay. When the new file cannot be read the tree
  // holds no configuration.
  virtual bool Boot(const wxString& filename);
  // Destroys every node below the base, newest first, and the default factory.
  virtual bool Shutdown();
  // Appends `node` under the node at `path`; the node stays with the caller on failure.
  virtual bool Append(const wxString& path, iNode* node);
  // Creates every missing node of `path` with element `element`.
  virtual bool GenerateNodePath(const wxString& path, bool makeTie, const wxString& element);
  virtual NodeFactories& GetFactories();
  // Places a factory under "/kivo/current/factories".
  virtual bool RegisterFactory(iNodeFactory* factory);
  // Places a plug-in under "/kivo/current/plugins".
  virtual bool RegisterPlugin(iPlugin* plugin);
  virtual iNode* CreateNode(const wxString& element, TiXmlElement* xml, iNode* parent);
  virtual bool DestroyNode(iNode* node);

  // Memory blocks of the plug-in interface, accounted by the memory manager.
  virtual KivoBlock* Alloc(_Plugin* plugin, unsigned int size);
  virtual void Free(_Plugin* plugin, KivoBlock* block);
  // A pointer reply (type 0x08) that does not own `pointer`.
  virtual KivoBlock* Return(_Plugin* plugin, void* pointer);
  virtual KivoBlock* Return(_Plugin* plugin, const void* data, unsigned int size,
                            KivoBlock::ReplyType type);
  // A zero-terminated UTF-8 text block.
  virtual KivoBlock* Return(_Plugin* plugin, const char* text, KivoBlock::ReplyType type);
  virtual KivoBlock* Return(_Plugin* plugin, const wxString& text, KivoBlock::ReplyType type);
  // An exception block (type 0xFF) naming the plug-in and the message.
  virtual KivoBlock* Exception(_Plugin* plugin, const wxString& message);
  // The block's text, or null for blocks that hold none.
  virtual const char* BlockToStr(_Plugin* plugin, KivoBlock* block);
  // Runs the block's text as a node path with parameters; the reply as a text block.
  virtual KivoBlock* Run(_Plugin* plugin, KivoBlock* block);
  virtual bool Available(const wxString& path);
  // The function of the last entry named `name` in `list`, or null.
  virtual KivoMethod Find(MethodList* list, const wxString& name);
  // Calls the method `name` of `list` with `plugin` and `block`; null when there is none.
  virtual KivoBlock* Execute(_Plugin* plugin, MethodList* list, const wxString& name,
                             KivoBlock* block);
  using iNode::Execute;

  // Creates the missing nodes of `path` as run-time nodes: plain "node" nodes
  // without XML elements, never written to a file. True when the path exists.
  bool GenerateRunTimePath(const wxString& path);

  static KivoBase* GetInstance();
  // Take and release the tree lock; both do nothing while there is no base.
  // Callers use KivoLocker rather than these.
  static void Enter();
  static void Leave();
  // Microseconds on the library clock since the first base was built; 0 without one.
  static unsigned int getMicroseconds();
  static KivoTranslator& getTranslator();
  static wxString Translate(const wxString& text);

  // The process's base: set when the library is started, cleared when it stops.
  // Atomic: guards on other threads read it before they take the tree lock.
  static std::atomic<KivoBase*> s_Instance;
  // The tree lock, exclusive and re-entrant for its holder, and its hold count
  // (changed only while the lock is held).
  static wxCriticalSection s_CS;
  static int s_Locked;
  // The library clock and the mutex that guards it; made with a base, freed with it.
  static wxMutex* s_KivoTimeLock;
  static TimeProfiler* s_KivoTime;

 protected:
  // Places `node` under `path` (a plain "node" there); `kind` names it in messages.
  bool registerAt(iNode* node, const wxString& path, const wxString& kind);

 private:
  void storeError(const wxString& message) const;
  void reportLibraries();
  bool generatePath(const wxString& path, bool makeTie, const wxString& element, bool runTime);
  // Destroys the nodes read from the configuration, newest first; run-time nodes stay.
  void dropConfiguration();

  KivoMemoryManager m_Memory;
  NodeFactories m_Factories;
  wxArrayString m_ResourceLocations;
  mutable wxCriticalSection m_ErrorLock;
  mutable wxString m_LastError;
  iNodeFactory* m_DefaultFactory;
};

}  // namespace KivoUnit

#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"
#include "kivo/factory/NodeFactories.h"
#include "kivo/node/iNode.h"

class TiXmlElement;

namespace KivoUnit {

// The root of the process-wide tree and the registry of node factories. Nodes
// created through the base are destroyed through it, by the factory that made them.
class KIVO_API KivoBase : public iNode {
 public:
  KivoBase();
  ~KivoBase() override;

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
  // Creates every missing node of `path` with element `element`.
  virtual bool GenerateNodePath(const wxString& path, bool makeTie, const wxString& element);
  virtual NodeFactories& GetFactories();
  virtual iNode* CreateNode(const wxString& element, TiXmlElement* xml, iNode* parent);
  virtual bool DestroyNode(iNode* node);
  virtual bool Available(const wxString& path);

  static KivoBase* GetInstance();
  // Take and release the tree lock; both do nothing while there is no base.
  // Callers use KivoLocker rather than these.
  static void Enter();
  static void Leave();

  // The process's base: set when the library is started, cleared when it stops.
  static KivoBase* s_Instance;
  // The tree lock, exclusive and re-entrant for its holder, and its hold count
  // (changed only while the lock is held).
  static wxCriticalSection s_CS;
  static int s_Locked;

 private:
  void storeError(const wxString& message) const;

  NodeFactories m_Factories;
  wxArrayString m_ResourceLocations;
  mutable wxCriticalSection m_ErrorLock;
  mutable wxString m_LastError;
};

}  // namespace KivoUnit

#include "kivo/base/KivoBase.h"

#include "log/Report.h"
#include "kivo/locale/KivoTranslator.h"
#include "kivo/profile/TimeProfiler.h"
#include "kivo/factory/iNodeFactory.h"

namespace KivoUnit {
namespace {
constexpr const char* kSourcePath = "include/kivo/KivoBase";
}  // namespace

std::atomic<KivoBase*> KivoBase::s_Instance{nullptr};
wxCriticalSection KivoBase::s_CS;
int KivoBase::s_Locked = 0;
wxMutex* KivoBase::s_KivoTimeLock = nullptr;
TimeProfiler* KivoBase::s_KivoTime = nullptr;

KivoBase::KivoBase()
    : iNode(nullptr, wxS("root")), m_Factories(this), m_DefaultFactory(nullptr) {
  if (s_KivoTimeLock == nullptr) {
    s_KivoTimeLock = new wxMutex();
    wxMutexLocker lock(*s_KivoTimeLock);
    if (s_KivoTime == nullptr) s_KivoTime = new TimeProfiler();
  }
}

KivoBase::~KivoBase() {
  // Without a Shutdown the default factory is still ours to free.
  if (m_DefaultFactory != nullptr) {
    m_DefaultFactory->destroy();
    delete m_DefaultFactory;
  }
  wxMutex* timeLock = s_KivoTimeLock;
  TimeProfiler* clock = nullptr;
  if (timeLock != nullptr) {
    wxMutexLocker lock(*timeLock);
    clock = s_KivoTime;
    s_KivoTime = nullptr;
    s_KivoTimeLock = nullptr;
  }
  delete clock;
  delete timeLock;
}

unsigned int KivoBase::getMicroseconds() {
  wxMutex* timeLock = s_KivoTimeLock;
  if (timeLock == nullptr) return 0;
  wxMutexLocker lock(*timeLock);
  if (!lock.IsOk() || s_KivoTime == nullptr) return 0;
  return s_KivoTime->getMicroseconds();
}

// Read and written atomically: guards look at it before they take the tree lock,
// while the exported stop clears it under that lock.
KivoBase* KivoBase::GetInstance() { return s_Instance.load(); }

void KivoBase::Enter() {
  if (GetInstance() == nullptr) return;
  s_CS.Enter();
  ++s_Locked;
}

void KivoBase::Leave() {
  if (GetInstance() == nullptr) return;
  --s_Locked;
  s_CS.Leave();
}

KivoBase* KivoBase::GetBase() { return this; }

KivoTranslator& KivoBase::getTranslator() { return KivoTranslator::getSingleton(); }

wxString KivoBase::Translate(const wxString& text) { return getTranslator().Translate(text); }

void KivoBase::Debug(const wxString& message) const { KIVO_REPORT(LevelDebug, message); }
void KivoBase::Log(const wxString& message) const { KIVO_REPORT(LevelMessage, message); }
void KivoBase::Warning(const wxString& message) const { KIVO_REPORT(LevelWarning, message); }

void KivoBase::Error(const wxString& message) const {
  KIVO_REPORT(LevelError, message);
  storeError(message);
}

void KivoBase::FatalError(const wxString& message) const {
  KIVO_REPORT(LevelFatalError, message);
  storeError(message);
}

void KivoBase::storeError(const wxString& message) const {
  wxCriticalSectionLocker lock(m_ErrorLock);
  m_LastError = message;
}

wxString KivoBase::GetError() const {
  wxCriticalSectionLocker lock(m_ErrorLock);
  return m_LastError;
}

void KivoBase::AddResourceLocation(const wxString& folder) { m_ResourceLocations.Add(folder); }

const wxArrayString& KivoBase::GetResourceLocations() const { return m_ResourceLocations; }

NodeFactories& KivoBase::GetFactories() { return m_Factories; }

iNode* KivoBase::CreateNode(const wxString& element, TiXmlElement* xml, iNode* parent) {
  return m_Factories.Create(element, xml, parent);
}

bool KivoBase::DestroyNode(iNode* node) { return m_Factories.Destroy(node); }

bool KivoBase::Available(const wxString& path) { return Search(path) != nullptr; }

bool KivoBase::CanExecute(const wxString&) { return true; }

bool KivoBase::GenerateNodePath(const wxString& path, bool makeTie, const wxString& element) {
  return generatePath(path, makeTie, element, false);
}

bool KivoBase::GenerateRunTimePath(const wxString& path) {
  return generatePath(path, false, wxS("node"), true) && Search(path) != nullptr;
}

bool KivoBase::generatePath(const wxString& path, bool makeTie, const wxString& element,
                            bool runTime) {
  if (path.empty()) return true;
  const wxString normalized = Normalize(path, nullptr);
  iNode* node = GetRoot();
  bool first = true;
  size_t start = 0;
  while (start <= normalized.length()) {
    size_t slash = normalized.find(wxS('/'), start);
    if (slash == wxString::npos) slash = normalized.length();
    const wxString piece = normalized.substr(start, slash - start);
    start = slash + 1;
    if (piece.empty()) continue;
    if (first && piece == getName()) {
      first = false;
      continue;
    }
    first = false;
    // Stored names are encoded: a piece with a blank must find "my$20node" too,
    // or a second sibling of the same name would be made.
    const wxString encoded = encode(piece);
    iNode* found = nullptr;
    for (iNode* child : node->getChildren()) {
      if (child == nullptr) continue;
      const wxString childName = ParseName(child->getName());
      if (childName == piece || childName == encoded) {
        found = child;
        break;
      }
    }
    if (found != nullptr) {
      node = found;
      continue;
    }
    iNode* created = CreateNode(element, nullptr, nullptr);
    if (created == nullptr) return false;
    created->setName(piece);
    created->setRunTime(runTime);
    if (created->getName().empty()) {
      DestroyNode(created);
      continue;
    }
    if (!node->AppendChild(created, nullptr, makeTie)) {
      Error(wxString::Format(wxS("Failed to append node '%s'"), piece));
      return false;
    }
    node = created;
  }
  return true;
}

}  // namespace KivoUnit

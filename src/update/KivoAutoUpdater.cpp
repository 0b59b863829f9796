#include "kivo/update/KivoAutoUpdater.h"

#include <cstdio>

#include "kivo/update/AutoUpdater.h"

namespace KivoUnit {

KivoAutoUpdater::KivoAutoUpdater(iNode* parent, const wxString& element)
    : iNode(parent, element), m_AutoUpdater(nullptr) {
  std::printf("KivoAutoUpdater created\n");
  std::fflush(stdout);
}

KivoAutoUpdater::~KivoAutoUpdater() { delete m_AutoUpdater; }

bool KivoAutoUpdater::Init() {
  const bool initialised = iNode::Init();
  if (initialised) getAutoUpdater();
  return initialised;
}

void KivoAutoUpdater::OnShutdown() {
  if (m_AutoUpdater != nullptr) m_AutoUpdater->setStopRequested(true);
}

AutoUpdaters::AutoUpdater* KivoAutoUpdater::getAutoUpdater() {
  if (m_AutoUpdater == nullptr) m_AutoUpdater = new AutoUpdaters::AutoUpdater();
  return m_AutoUpdater;
}

unsigned int KivoAutoUpdater::registerNode(const wxString& path, double seconds) {
  return getAutoUpdater()->registerNode(path, seconds);
}

bool KivoAutoUpdater::unregisterNode(const wxString& path) {
  return getAutoUpdater()->unregisterNode(path);
}

bool KivoAutoUpdater::unregisterNode(unsigned int id) {
  return getAutoUpdater()->unregisterNode(id);
}

double KivoAutoUpdater::getNodeUpdateInterval(const wxString& path) {
  return getAutoUpdater()->getUpdateInterval(path) * 0.001;
}

}  // namespace KivoUnit

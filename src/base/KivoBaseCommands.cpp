// Commands by path, the report of loaded libraries, and the base's state report.
#include <cstdio>
#include <map>

#include <wx/dynlib.h>

#include "log/Report.h"
#include "kivo/convert/Indent.h"
#include "kivo/base/KivoBase.h"
#include "kivo/node/KivoNode.h"

namespace KivoUnit {
namespace {

constexpr const wxChar* kLibrariesPath = wxS("/kivo/current/libraries");

// One loaded library: the toolkit lists every mapped segment of it separately.
struct LoadedLibrary {
  wxString name;
  wxString version;
  const char* address = nullptr;
  size_t size = 0;
};

bool isSharedObject(const wxString& path) {
  return path.StartsWith(wxS("/")) && (path.EndsWith(wxS(".so")) || path.Contains(wxS(".so.")));
}

// Distinct shared objects by path, each with its lowest address and total mapped size.
std::map<wxString, LoadedLibrary> loadedLibraries() {
  std::map<wxString, LoadedLibrary> libraries;
  const wxDynamicLibraryDetailsArray details = wxDynamicLibrary::ListLoaded();
  for (size_t i = 0; i < details.GetCount(); ++i) {
    const wxDynamicLibraryDetails& detail = details[i];
    if (!isSharedObject(detail.GetPath())) continue;
    LoadedLibrary& library = libraries[detail.GetPath()];
    library.name = detail.GetName();
    library.version = detail.GetVersion();
    void* address = nullptr;
    size_t length = 0;
    if (!detail.GetAddress(&address, &length)) continue;
    const char* start = static_cast<const char*>(address);
    if (library.address == nullptr || start < library.address) library.address = start;
    library.size += length;
  }
  return libraries;
}

}  // namespace

wxString KivoBase::Execute(const wxString& path, const wxString& command) {
  if (iNode* node = Search(path)) {
    // A path that names the base itself (only parameters, or the root) gets the
    // node-level answer; calling our own Execute again would never end.
    if (node == this) return iNode::Execute(ParseName(path), ParseParams(path) + command);
    return node->Execute(ParseName(path), ParseParams(path) + command);
  }
  std::printf("%s:%u No node found '%s'\n", "KivoBaseCommands.cpp", static_cast<unsigned>(__LINE__),
              path.utf8_str().data());
  std::fflush(stdout);
  return wxString();
}

bool KivoBase::Update(bool recursive) {
  if (!iNode::Update(recursive)) return false;
  reportLibraries();
  return CleanUp();
}

// The list shows the libraries loaded now: each call replaces the previous list.
void KivoBase::reportLibraries() {
  const std::map<wxString, LoadedLibrary> libraries = loadedLibraries();
  if (libraries.empty()) return;
  GenerateRunTimePath(kLibrariesPath);
  if (iNode* list = Search(kLibrariesPath)) list->RemoveAllChildren();
  for (const auto& [path, library] : libraries) {
    auto* node = new KivoNode(nullptr, wxS("node"), library.name, path);
    node->setVersion(library.version);
    node->setDescription(wxString::Format(wxS("Address=0x%lX, Size=%zu"),
                                          reinterpret_cast<unsigned long>(library.address),
                                          library.address != nullptr ? library.size : 0));
    if (!Append(kLibrariesPath, node)) delete node;
  }
}

wxString KivoBase::State(const Indent& indent, const wxString&) const {
  const wxString block = indent.it(wxS("<base>"), 0) + m_Memory.ToXML(indent.Level(1)) +
                         m_Factories.ToXML(indent.Level(1)) + indent.it(wxS("</base>"), 0);
  return iNode::State(indent, block);
}

}  // namespace KivoUnit

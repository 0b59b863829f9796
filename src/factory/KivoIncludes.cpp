// Include elements of the default factory: finding, copying, creating and setting
// aside include files, and reading the included file into a node.
#include <cstdio>
#include <memory>

#include <tinyxml.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/KivoNodeFactory.h"
#include "kivo/node/KivoNode.h"
#include "kivo/xml/KivoXML.h"
#include "xml/InputChecks.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/factory/KivoNodeFactory";

// Every normalisation but case folding.
constexpr int kNormalisation = wxPATH_NORM_ENV_VARS | wxPATH_NORM_DOTS | wxPATH_NORM_TILDE |
                               wxPATH_NORM_ABSOLUTE | wxPATH_NORM_LONG | wxPATH_NORM_SHORTCUT;

wxFileName normalized(wxFileName name) {
  name.Normalize(kNormalisation);
  return name;
}

// Restores the working directory and the include depth on every way out.
class IncludeScope {
 public:
  IncludeScope(const wxString& folder, int& depth)
      : m_Previous(wxGetCwd()), m_Depth(depth), m_Level(++depth) {
    wxSetWorkingDirectory(folder);
  }
  ~IncludeScope() {
    --m_Depth;
    wxSetWorkingDirectory(m_Previous);
  }
  IncludeScope(const IncludeScope&) = delete;
  IncludeScope& operator=(const IncludeScope&) = delete;
  int level() const { return m_Level; }

 private:
  wxString m_Previous;
  int& m_Depth;
  int m_Level;
};

// The first "name_N.ext" beside `file` that does not exist yet.
wxFileName firstFreeAsideName(const wxFileName& file) {
  wxFileName aside = file;
  for (int n = 1;; ++n) {
    aside.SetName(wxString::Format(wxS("%s_%i"), file.GetName(), n));
    if (!aside.FileExists()) return aside;
  }
}

}  // namespace

bool KivoNodeFactory::CreateFileNode(const wxString& filename, TiXmlElement* xml) {
  const wxFileName file = normalized(wxFileName(filename));
  if (!wxFileName::Mkdir(file.GetPath(wxPATH_GET_VOLUME), 0777, wxPATH_MKDIR_FULL)) return false;
  // "x": never replace a file that is already there.
  std::FILE* out = std::fopen(file.GetFullPath().utf8_str(), "wx");
  if (out == nullptr) return false;
  const wxString root = KivoXML::GetAttr(xml, wxS("create_node"), wxString());
  bool written = true;
  if (!root.empty()) {
    const wxString line = wxString::Format(
        wxS("<%s name=\"%s\"/>\n"), root, KivoXML::GetAttr(xml, wxS("create_node_name"), wxString()));
    const wxScopedCharBuffer utf8 = line.utf8_str();
    written = std::fwrite(utf8.data(), 1, utf8.length(), out) == utf8.length();
  }
  return std::fclose(out) == 0 && written;
}

iNode* KivoNodeFactory::IncludeNode(iNode* parent, TiXmlElement*& xml) {
  if (xml == nullptr) return nullptr;
  const wxString prefix =
      wxString::Format(wxS("KivoNodeFactory::IncludeNode('%s',%s')"),
                       parent != nullptr ? parent->GetFullPath() : wxString(wxS("NULL")),
                       wxString::FromUTF8(xml->Value()));
  const wxString filenameText = KivoXML::GetAttr(xml, wxS("filename"), wxString());
  const wxFileName file = normalized(FindFilename(filenameText));
  const wxString path = file.GetFullPath();

  const wxString notAFile = detail::describeNonRegularFile(path);
  if (!notAFile.empty()) {
    if (KivoBase* base = GetBase()) {
      base->Error(wxString::Format(wxS("%s Include file '%s' (%s) %s"), prefix, filenameText, path,
                                   notAFile));
    }
    return nullptr;
  }
  if (!file.FileExists()) {
    KIVO_REPORT(LevelWarning, wxString::Format(wxS("No include file '%s' (%s) found from '%s'"),
                                               filenameText, path, wxGetCwd()));
    const wxString templateText = KivoXML::GetAttr(xml, wxS("copy_if_not_found"), wxString());
    if (!templateText.empty()) {
      const wxFileName source = normalized(FindFilename(templateText));
      if (!source.FileExists()) {
        KIVO_REPORT(LevelError,
                    wxString::Format(wxS("Source of copy include file '%s' not found (target file '%s')"),
                                     templateText, filenameText));
      } else if (!wxFileName::Mkdir(file.GetPath(wxPATH_GET_VOLUME), 0777, wxPATH_MKDIR_FULL)) {
        KIVO_REPORT(LevelError, wxString::Format(wxS("Could not create include target path '%s'"),
                                                 file.GetPath(wxPATH_GET_VOLUME)));
      } else {
        wxCopyFile(source.GetFullPath(), path, false);
      }
    }
  }
  const bool createFile = KivoXML::GetBoolAttr(xml, wxS("create_file"), false);
  bool createdFile = false;
  if (!file.FileExists() && createFile) createdFile = CreateFileNode(path, xml);
  if (!file.FileExists()) {
    if (KivoBase* base = GetBase()) {
      base->Error(wxString::Format(wxS("%s File '%s' not found, normalized to '%s'!"), prefix,
                                   file.GetFullName(), path));
    }
    return nullptr;
  }
  return loadIncludedNode(parent, xml, path, prefix, createdFile);
}

iNode* KivoNodeFactory::loadIncludedNode(iNode* parent, TiXmlElement*& xml, const wxString& path,
                                         const wxString& prefix, bool createdFile) {
  const wxFileName file(path);
  IncludeScope scope(file.GetPath(wxPATH_GET_VOLUME), m_IncludeDepth);
  KivoBase* base = GetBase();
  auto error = [&](const wxString& text) {
    if (base != nullptr) base->Error(text);
  };
  if (scope.level() >= MaxIncludeDepth) {
    error(wxString::Format(wxS("%s recursion counter limit %i hit with file '%s'!"), prefix,
                           scope.level(), path));
    return nullptr;
  }
  const bool createFile = KivoXML::GetBoolAttr(xml, wxS("create_file"), false);
  const detail::NestingOffset nesting(detail::enclosingElements(xml));
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::unique_ptr<KivoNode> probe(new KivoNode(nullptr, wxS("node")));
    if (probe->Load(path) && probe->getSourceDocument() != nullptr) {
      const TiXmlElement* root = probe->getDocument()->RootElement();
      if (root == nullptr) {
        error(wxString::Format(wxS("%s no root node in file '%s'!"), prefix, path));
        return nullptr;
      }
      const wxString rootName = wxString::FromUTF8(root->Value());
      iNode* node = base != nullptr ? base->GetFactories().Create(rootName, nullptr, parent) : nullptr;
      if (node == nullptr) {
        error(wxString::Format(wxS("%s creating node '%s' from file '%s' failed!"), prefix, rootName, path));
        return nullptr;
      }
      if (!node->Load(path)) {
        error(wxString::Format(wxS("%s loading node '%s' from file '%s' failed!"), prefix, rootName, path));
        return node;
      }
      if (node->Read(node->getDocument()->RootElement())) {
        xml = nullptr;
      } else {
        error(wxString::Format(wxS("%s reading node '%s' in file '%s' failed!"), prefix, rootName, path));
      }
      return node;
    }
    // Unreadable: set the user's file aside, never delete it, and start afresh.
    if (createFile && !createdFile) {
      wxRenameFile(path, firstFreeAsideName(file).GetFullPath(), false);
      createdFile = CreateFileNode(path, xml);
    }
  }
  error(wxString::Format(wxS("%s could not load '%s'"), prefix, path));
  return nullptr;
}

}  // namespace KivoUnit

#include "Labels.h"

#include <tinyxml.h>

#include <filesystem>

#include <wx/intl.h>

#include "NodePaths.h"
#include "Output.h"
#include "Text.h"
#include "kivo/base/KivoBase.h"
#include "kivo/element/KivoElement.h"
#include "kivo/locale/KivoLocale.h"
#include "kivo/locale/KivoTranslator.h"
#include "kivo/thread/KivoLocker.h"

namespace KivoHost {
namespace {

namespace fs = std::filesystem;

bool setLanguage(const LabelSettings& settings, std::string& error) {
  const wxLanguageInfo* info = wxLocale::FindLanguageInfo(fromUtf8(settings.language));
  if (info == nullptr) {
    error = "unknown language " + quoted(settings.language);
    return false;
  }
  const fs::path folder = settings.catalogs.empty()
                              ? fs::absolute(settings.configuration).parent_path() / "locale"
                              : fs::absolute(settings.catalogs);
  std::error_code ignored;
  if (!fs::is_directory(folder, ignored)) {
    error = "catalog folder " + quoted(folder.lexically_normal().string()) + " not found";
    return false;
  }
  // A missing <code>.mo is reported by the translator; the labels then stay as written.
  KivoUnit::KivoLocale::AddCatalogLookupPathPrefix(fromUtf8(folder.lexically_normal().string()));
  KivoUnit::KivoTranslator::getSingleton().InitLocale(info->Language, info->CanonicalName, true,
                                                      false);
  return true;
}

// The label the library makes from the element's "translatable_name".
void labelNode(KivoUnit::iNode& node) {
  const TiXmlElement* element = node.getTie();
  const char* name = element != nullptr ? element->Attribute("translatable_name") : nullptr;
  if (name != nullptr && *name != '\0') {
    TiXmlElement probe(element->Value());
    probe.SetAttribute("translatable_name", name);
    KivoUnit::KivoElement::TranslateNamesToLabels(&probe);
    const wxString label = fromUtf8(probe.Attribute("label"));
    node.setLabel(label);
    node.setAttributeRaw(wxS("label"), label);
  }
  for (KivoUnit::iNode* child : childrenOf(node)) labelNode(*child);
}

}  // namespace

bool showTranslatedLabels(const LabelSettings& settings, std::string& error) {
  if (!settings.language.empty() && !setLanguage(settings, error)) return false;
  KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo labels"));
  if (KivoUnit::KivoBase* base = guard.Write()) labelNode(*base);
  return true;
}

}  // namespace KivoHost

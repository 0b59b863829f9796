#include "kivo/plugin/iPlugin.h"

#include "kivo/convert/Convert.h"
#include "kivo/convert/Indent.h"

namespace KivoUnit {
namespace {

const wxString kNull = wxS("NULL");

wxString textOr(const char* text) { return text != nullptr ? Convert::StringToWX(text) : kNull; }

// The descriptor's values as the reports print them; "NULL" for what is missing.
struct DescriptorTexts {
  wxString name = kNull, date = kNull, author = kNull, company = kNull, description = kNull;
  wxString version = kNull, api = kNull, type = kNull;

  explicit DescriptorTexts(const _PluginInfo& info) {
    if (const _PluginDetails* d = info.details) {
      name = textOr(d->name);
      date = textOr(d->date);
      author = textOr(d->author);
      company = textOr(d->company);
      description = textOr(d->description);
    }
    if (const _PluginVersion* v = info.version) {
      version = wxString::Format(wxS("%i.%i.%i.%i"), v->first, v->second, v->third, v->fourth);
    }
    if (info.build != nullptr) api = wxString::Format(wxS("%i"), static_cast<int>(info.build->api));
    type = wxString::Format(wxS("0x%X"), info.type);
  }
};

// Entries before the terminator: the count less one, or counted up to the
// terminator when the count is 0 (the same rule as KivoBase::Find).
int namedMethodCount(const MethodList& list) {
  if (list.entries == nullptr) return 0;
  if (list.count != 0) return list.count > 0 ? list.count - 1 : 0;
  int count = 0;
  while (list.entries[count].name != nullptr) ++count;
  return count;
}

wxString methodsReport(const MethodList& list, const Indent& indent) {
  const int count = namedMethodCount(list);
  wxString xml = indent.it(wxString::Format(wxS("<methods count=\"%i\">"), count), 1);
  for (int i = 0; i < count; ++i) {
    const MethodEntry& entry = list.entries[i];
    xml += indent.it(wxString::Format(wxS("<method name=\"%s\" address=\"%lX\"/>"),
                                      textOr(entry.name),
                                      reinterpret_cast<unsigned long>(entry.function)),
                     2);
  }
  return xml + indent.it(wxS("</methods>"), 1);
}

}  // namespace

iPlugin::iPlugin(iNode* parent, const wxString& name) : iNode(parent, name) {
  appendClassTag(wxS(".iplugin"));
}

iPlugin::~iPlugin() = default;

bool iPlugin::Read(TiXmlElement* element) { return iNode::Read(element); }

bool iPlugin::Write() { return iNode::Write(); }

wxString iPlugin::Brief(_Plugin* plugin, const Indent& indent) {
  return Details(plugin, indent, true, false);
}

wxString iPlugin::Details(_Plugin* plugin, const Indent& indent, bool brief, bool methods) {
  if (plugin == nullptr || plugin->info == nullptr) return indent.it(wxS("<plugin was=\"null\"/>"), 0);
  const DescriptorTexts texts(*plugin->info);
  if (brief) {
    return indent.it(wxString::Format(wxS("<plugin name=\"%s\" version=\"%s\" api=\"%s\" />"),
                                      texts.name, texts.version, texts.api),
                     0);
  }
  wxString xml = indent.it(wxString::Format(wxS("<plugin name=\"%s\" version=\"%s\" api=\"%s\">"),
                                            texts.name, texts.version, texts.api),
                           0);
  xml += indent.it(wxS("<type>") + texts.type + wxS("</type>"), 1);
  xml += indent.it(wxS("<date>") + texts.date + wxS("</date>"), 1);
  xml += indent.it(wxS("<author>") + texts.author + wxS("</author>"), 1);
  xml += indent.it(wxS("<company>") + texts.company + wxS("</company>"), 1);
  xml += indent.it(wxS("<description>") + texts.description + wxS("</description>"), 1);
  if (methods && plugin->methods != nullptr) xml += methodsReport(*plugin->methods, indent);
  return xml + indent.it(wxS("</plugin>"), 0);
}

}  // namespace KivoUnit

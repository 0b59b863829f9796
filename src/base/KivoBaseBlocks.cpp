// The base's side of the plug-in method interface: memory blocks, their texts,
// exception replies and calling methods by name.
#include <cstring>
#include <string>

#include "kivo/convert/Convert.h"
#include "kivo/convert/Indent.h"
#include "kivo/base/KivoBase.h"
#include "kivo/plugin/iPlugin.h"

namespace KivoUnit {

KivoBlock* KivoBase::Alloc(_Plugin* plugin, unsigned int size) { return m_Memory.Alloc(plugin, size); }

void KivoBase::Free(_Plugin* plugin, KivoBlock* block) { m_Memory.Free(plugin, block); }

KivoBlock* KivoBase::Return(_Plugin* plugin, void* pointer) {
  KivoBlock* block = Alloc(plugin, 0);
  if (block == nullptr) return nullptr;
  block->data = pointer;
  block->type = KivoBlock::PointerReply;
  return block;
}

KivoBlock* KivoBase::Return(_Plugin* plugin, const void* data, unsigned int size,
                            KivoBlock::ReplyType type) {
  KivoBlock* block = Alloc(plugin, size);
  if (block == nullptr) return nullptr;
  if (size != 0) std::memcpy(block->data, data, size);
  block->type = type;
  return block;
}

KivoBlock* KivoBase::Return(_Plugin* plugin, const char* text, KivoBlock::ReplyType type) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  KivoBlock* block = Alloc(plugin, static_cast<unsigned int>(length + 1));
  if (block == nullptr) return nullptr;
  if (length != 0) std::memcpy(block->data, text, length);
  static_cast<char*>(block->data)[length] = '\0';
  block->type = type;
  return block;
}

KivoBlock* KivoBase::Return(_Plugin* plugin, const wxString& text, KivoBlock::ReplyType type) {
  return Return(plugin, Convert::StringToSTD(text).c_str(), type);
}

KivoBlock* KivoBase::Exception(_Plugin* plugin, const wxString& message) {
  const Indent indent(wxString(), wxS(" "), wxS("\n"));
  const wxString text = wxS("<exception>\n") + iPlugin::Details(plugin, indent, false, false) +
                        wxString::Format(wxS("\t<message>%s</message>\n"), message) +
                        wxS("</exception>\n");
  return Return(plugin, text, KivoBlock::ExceptionReply);
}

// Raw texts passed in place of a block are recognised by their first byte, which
// is where a block keeps its type.
const char* KivoBase::BlockToStr(_Plugin*, KivoBlock* block) {
  if (block == nullptr) return nullptr;
  switch (block->type) {
    case KivoBlock::XmlReply:
    case KivoBlock::TextReply:
    case KivoBlock::ExceptionReply:
      return static_cast<const char*>(block->data);
    case KivoBlock::RawXmlText:
    case KivoBlock::RawQueryText:
      return reinterpret_cast<const char*>(block);
    default:
      return nullptr;
  }
}

KivoBlock* KivoBase::Run(_Plugin* plugin, KivoBlock* block) {
  const char* text = BlockToStr(plugin, block);
  const wxString path = text != nullptr ? Convert::StringToWX(text) : wxString();
  return Return(plugin, Execute(path, wxString()), KivoBlock::TextReply);
}

KivoMethod KivoBase::Find(MethodList* list, const wxString& name) {
  if (list == nullptr || list->entries == nullptr) return nullptr;
  int count = list->count;
  if (count == 0) {
    while (list->entries[count].name != nullptr) ++count;
    ++count;  // the terminating entry
  }
  // Comparing UTF-8 bytes is the exact comparison of the converted texts.
  const std::string wanted = Convert::StringToSTD(name);
  KivoMethod found = nullptr;
  for (int i = 0; i < count - 1; ++i) {
    const MethodEntry& entry = list->entries[i];
    if (entry.name != nullptr && wanted == entry.name) found = entry.function;
  }
  return found;
}

KivoBlock* KivoBase::Execute(_Plugin* plugin, MethodList* list, const wxString& name,
                             KivoBlock* block) {
  KivoMethod method = Find(list, name);
  return method != nullptr ? method(plugin, block) : nullptr;
}

}  // namespace KivoUnit

// The library's own plug-in record, built at library load: its descriptor, its
// methods and the table of interface functions that plug-ins call.
#include "kivo/plugin/KivoInit.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include <tinyxml.h>

#include "log/Report.h"
#include "kivo/convert/Convert.h"
#include "kivo/convert/Indent.h"
#include "kivo/base/KivoBase.h"
#include "kivo/thread/KivoLocker.h"
#include "kivo/plugin/iPlugin.h"
#include "platform/MessageOutput.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/KivoInit";

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

// The texts live here so the descriptor's pointers stay valid until unload.
struct OwnDescriptor {
  std::string buildStamp = __DATE__ " " __TIME__;
  std::string name = "Kivo";
  std::string date = formatted("%s-%s-%s", "2009", "06", "02");
  std::string author = "Kivo developers";
  std::string company = "Kivo";
  std::string description =
      formatted("The Kivo Library\n%s Version %s build %li\nRelease %.02f %s", "Release",
                KIVO_VERSION, 15L, 9.06, "Alpha");
  // The project's version (set in the build), the same that `LibraryVersion` names.
  _PluginVersion version{KIVO_VERSION_PARTS};
  _PluginDetails details{name.c_str(), date.c_str(), author.c_str(), company.c_str(),
                         description.c_str()};
  _PluginBuild build{KIVO_PLUGIN_API, {buildStamp.c_str(), nullptr, nullptr, nullptr}, 0};
  _PluginInfo info{&version, &details, &build, 0x10000000};
};

OwnDescriptor g_Descriptor;

const Indent kReportIndent(wxString(), wxS(" "), wxS("\n"));

// Runs `action` with the base under the tree lock; `none` without a base.
template <typename Result, typename Action>
Result withBase(Result none, Action action) {
  KivoLocker guard(__LINE__, kSourcePath, __func__, wxString());
  KivoBase* base = guard.Write();
  if (base == nullptr) return none;
  // Plug-ins call in from C: nothing may unwind through their frames.
  try {
    return action(*base);
  } catch (...) {
    return KIVO_FAIL(none, LevelError, wxS("A call of the plug-in interface threw an exception"));
  }
}

// --- interface functions -----------------------------------------------------

KivoBlock* kivoExecute(_Plugin* caller, MethodList* list, const char* name, KivoBlock* block) {
  if (name == nullptr) return nullptr;
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) {
    return base.Execute(caller, list, Convert::StringToWX(name), block);
  });
}

KivoBlock* kivoAlloc(_Plugin* caller, unsigned int size) {
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) { return base.Alloc(caller, size); });
}

void kivoFree(_Plugin* caller, KivoBlock* block) {
  withBase<bool>(false, [&](KivoBase& base) {
    base.Free(caller, block);
    return true;
  });
}

KivoBlock* kivoReturn(_Plugin* caller, const char* text) {
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) {
    return base.Return(caller, text, KivoBlock::TextReply);
  });
}

KivoBlock* kivoException(_Plugin* caller, const char* message) {
  const wxString text = message != nullptr ? Convert::StringToWX(message) : wxString();
  return withBase<KivoBlock*>(nullptr,
                              [&](KivoBase& base) { return base.Exception(caller, text); });
}

KivoBlock* kivoDetails(_Plugin* caller) {
  const std::string report =
      Convert::StringToSTD(iPlugin::Details(caller, kReportIndent, false, false));
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) {
    return base.Return(caller, report.c_str(), KivoBlock::TextReply);
  });
}

const char* kivoCStr(_Plugin* caller, KivoBlock* block) {
  return withBase<const char*>(nullptr,
                               [&](KivoBase& base) { return base.BlockToStr(caller, block); });
}

KivoBlock* kivoState(_Plugin* caller, KivoBlock*) {
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) {
    const wxString report = base.State(Indent(wxString(), wxS(" "), wxS("\r\n")), wxString());
    return base.Return(caller, report, KivoBlock::XmlReply);
  });
}

KivoBlock* kivoRun(_Plugin* caller, KivoBlock* block) {
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) { return base.Run(caller, block); });
}

// The caller holds no lock once this returns.
KivoBase* kivoApiGetBase() {
  return withBase<KivoBase*>(nullptr, [](KivoBase& base) { return &base; });
}

// --- the library's own methods -----------------------------------------------

KivoBlock* methodBoot(_Plugin* caller, KivoBlock* block) {
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) {
    const char* text = base.BlockToStr(caller, block);
    if (base.Boot(text != nullptr ? Convert::StringToWX(text) : wxString())) {
      return base.Return(caller, "<ok/>", KivoBlock::TextReply);
    }
    return base.Exception(caller, wxString::Format(wxS("Kivo boot error: '%s'"), base.GetError()));
  });
}

KivoBlock* methodGetBase(_Plugin* caller, KivoBlock*) {
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) { return base.Return(caller, &base); });
}

KivoBlock* methodAbout(_Plugin*, KivoBlock*) {
  platform::showMessage(wxS("About Kivo"), Convert::StringToWX(g_Descriptor.description));
  return nullptr;
}

KivoBlock* methodInfo(_Plugin* caller, KivoBlock*) {
  return withBase<KivoBlock*>(nullptr, [&](KivoBase& base) {
    return base.Return(caller, base.Info(kReportIndent), KivoBlock::XmlReply);
  });
}

// The text of the "message" element of an XML text, or why there is none.
wxString xmlMessage(const char* xml) {
  const wxString text = Convert::StringToWX(xml);
  TiXmlDocument document;
  document.Parse(xml);
  if (document.Error()) {
    return wxString::Format(wxS("XML parse error %s: %s\nMsg '%s'"),
                            Convert::StringToWX(document.Value()),
                            Convert::StringToWX(document.ErrorDesc()), text);
  }
  const TiXmlElement* root = document.RootElement();
  if (root == nullptr) {
    return wxString::Format(wxS("XML parse error: No root element found in '%s'!"), text);
  }
  const TiXmlElement* message = Convert::StringToWX(root->Value()).Lower() == wxS("message")
                                    ? root
                                    : root->FirstChildElement("message");
  if (message == nullptr) {
    return wxString::Format(wxS("XML parse error: No message element found in '%s'!"), text);
  }
  return Convert::StringToWX(message->GetText() != nullptr ? message->GetText() : "");
}

wxString blockMessage(KivoBlock* block) {
  const char* raw = reinterpret_cast<const char*>(block);
  switch (block->type) {
    case KivoBlock::BinaryBlock:
      return wxString::Format(wxS("Binary block\nSize %i\nFlags %X\nData Address %lX"),
                              static_cast<int>(block->size), block->flag,
                              reinterpret_cast<unsigned long>(block->data));
    case KivoBlock::TextReply:
      return Convert::StringToWX(static_cast<const char*>(block->data));
    case KivoBlock::RawQueryText:
      return Convert::StringToWX(raw + 1);
    case KivoBlock::RawXmlText:
      return xmlMessage(raw);
    case KivoBlock::XmlReply:
    case KivoBlock::ExceptionReply:
      return xmlMessage(static_cast<const char*>(block->data));
    default:
      return wxString::Format(wxS("Unknown parameter type %X"), block->type);
  }
}

KivoBlock* methodMessageBox(_Plugin*, KivoBlock* block) {
  if (block != nullptr) platform::showMessage(wxS("Message Box"), blockMessage(block));
  return nullptr;
}

MethodEntry g_Entries[] = {
    {"Boot", &methodBoot},   {"GetBase", &methodGetBase}, {"About", &methodAbout},
    {"State", &kivoState},   {"Info", &methodInfo},       {"Run", &kivoRun},
    {"MessageBox", &methodMessageBox}, {nullptr, nullptr}};

MethodList g_Methods{0, g_Entries};

const KivoFunctions g_Functions{&kivoExecute, &kivoAlloc,  &kivoFree,  &kivoReturn,
                                &kivoException, &kivoDetails, &kivoCStr, &kivoState,
                                &kivoRun,     &kivoApiGetBase};

Kivo g_Kivo{{&g_Descriptor.info, &g_Methods}, &g_Functions};

}  // namespace

Kivo* getKivo() { return &g_Kivo; }

}  // namespace KivoUnit

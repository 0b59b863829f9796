#pragma once

// The plain records and function types that cross the boundary between the
// library and separately built plug-in libraries. Field order and widths are
// fixed; every narrow text is zero-terminated UTF-8.
//
// What a plug-in written in C sees on this 64-bit platform (natural alignment,
// little-endian; offsets in bytes):
//
//   struct KivoBlock      { uint8_t type; uint8_t flag; uint8_t reserved[2];
//                           uint32_t size; void* data; };            /* 16 */
//   struct MethodEntry    { const char* name; KivoMethod function; };  /* 16 */
//   struct MethodList     { int32_t count; /* 4 bytes padding */
//                           MethodEntry* entries; };                   /* 16 */
//   struct _Plugin        { _PluginInfo* info; MethodList* methods; }; /* 16 */
//   struct Kivo           { _Plugin plugin; KivoFunctions* functions; }; /* 24 */
//   struct _PluginInfo    { _PluginVersion* version; _PluginDetails* details;
//                           _PluginBuild* build; uint32_t type; };     /* 32 */
//   struct _PluginVersion { int32_t part[4]; };                        /* 16 */
//   struct _PluginDetails { const char* name, *date, *author, *company,
//                           *description; };                           /* 40 */
//   struct _PluginBuild   { uint32_t api; /* 4 bytes padding */
//                           const char* text[4]; uint32_t value; };    /* 48 */
//   struct KivoFunctions  { ten function pointers, in the order below }; /* 80 */
//
// A method is `KivoBlock* method(_Plugin* caller, KivoBlock* block)`. A Kivo
// pointer may be used wherever a _Plugin pointer is expected: the record starts
// with the two _Plugin fields.

#include <cstddef>
#include <cstdint>

namespace KivoUnit {

class KivoBase;
struct _Plugin;

struct KivoBlock {
  enum ReplyType : std::uint8_t {
    PointerReply = 0x08,   // data is a pointer the block does not own; size 0
    RawXmlText = 0x3C,     // not a block: a zero-terminated XML text ("<...")
    RawQueryText = 0x3F,   // not a block: a zero-terminated text starting with "?"
    BinaryBlock = 0x80,    // as made by Alloc
    XmlReply = 0x81,       // XML report text
    TextReply = 0x82,      // plain text
    ExceptionReply = 0xFF  // XML text with an "exception" root element
  };

  std::uint8_t type;
  // 1 when the data buffer was allocated with the block and goes with it.
  std::uint8_t flag;
  std::uint8_t reserved[2];
  // Bytes in the data buffer; texts count their terminating zero.
  std::uint32_t size;
  void* data;
};

extern "C" {
typedef KivoBlock* (*KivoMethod)(_Plugin* caller, KivoBlock* block);
}

struct MethodEntry {
  const char* name;  // null ends the list
  KivoMethod function;
};

struct MethodList {
  // Entries including the terminating one; 0 means "count up to the terminator".
  std::int32_t count;
  MethodEntry* entries;
};

struct _PluginVersion {
  std::int32_t first;
  std::int32_t second;
  std::int32_t third;
  std::int32_t fourth;
};

struct _PluginDetails {
  const char* name;
  const char* date;
  const char* author;
  const char* company;
  const char* description;
};

struct _PluginBuild {
  std::uint32_t api;
  const char* texts[4];  // the first is the build's date and time
  std::uint32_t value;
};

struct _PluginInfo {
  _PluginVersion* version;
  _PluginDetails* details;
  _PluginBuild* build;
  std::uint32_t type;
};

struct _Plugin {
  _PluginInfo* info;
  MethodList* methods;
};

extern "C" {
typedef KivoBlock* (*KivoExecuteFunction)(_Plugin* caller, MethodList* list, const char* name,
                                          KivoBlock* block);
typedef KivoBlock* (*KivoAllocFunction)(_Plugin* caller, unsigned int size);
typedef void (*KivoFreeFunction)(_Plugin* caller, KivoBlock* block);
typedef KivoBlock* (*KivoReturnFunction)(_Plugin* caller, const char* text);
typedef KivoBlock* (*KivoExceptionFunction)(_Plugin* caller, const char* message);
typedef KivoBlock* (*KivoDetailsFunction)(_Plugin* caller);
typedef const char* (*KivoCStrFunction)(_Plugin* caller, KivoBlock* block);
typedef KivoBlock* (*KivoStateFunction)(_Plugin* caller, KivoBlock* unused);
typedef KivoBlock* (*KivoRunFunction)(_Plugin* caller, KivoBlock* block);
typedef KivoBase* (*KivoApiGetBaseFunction)(void);
}

// The library's interface function table, in this order.
struct KivoFunctions {
  KivoExecuteFunction KivoExecute;
  KivoAllocFunction KivoAlloc;
  KivoFreeFunction KivoFree;
  KivoReturnFunction KivoReturn;
  KivoExceptionFunction KivoException;
  KivoDetailsFunction KivoDetails;
  KivoCStrFunction KivoCStr;
  KivoStateFunction KivoState;
  KivoRunFunction KivoRun;
  KivoApiGetBaseFunction KivoApiGetBase;
};

// The library's own object that plug-ins receive.
struct Kivo {
  _Plugin plugin;
  const KivoFunctions* functions;
  _Plugin* asPlugin() { return &plugin; }
};

extern "C" {
// The exports of a plug-in library, looked up by "start" and "stop".
typedef _Plugin* (*KivoStartFunction)(Kivo* kivo);
typedef void (*KivoStopFunction)(void);
}

static_assert(offsetof(KivoBlock, type) == 0 && offsetof(KivoBlock, flag) == 1 &&
              offsetof(KivoBlock, size) == 4 && offsetof(KivoBlock, data) == 8 &&
              sizeof(KivoBlock) == 16);
static_assert(offsetof(MethodEntry, function) == 8 && sizeof(MethodEntry) == 16);
static_assert(offsetof(MethodList, entries) == 8 && sizeof(MethodList) == 16);
static_assert(offsetof(_Plugin, methods) == 8 && sizeof(_Plugin) == 16);
static_assert(offsetof(Kivo, plugin) == 0 && offsetof(Kivo, functions) == 16 &&
              sizeof(Kivo) == 24);
static_assert(offsetof(_PluginInfo, build) == 16 && offsetof(_PluginInfo, type) == 24 &&
              sizeof(_PluginInfo) == 32);
static_assert(sizeof(_PluginVersion) == 16 && sizeof(_PluginDetails) == 40);
static_assert(offsetof(_PluginBuild, texts) == 8 && offsetof(_PluginBuild, value) == 40 &&
              sizeof(_PluginBuild) == 48);
static_assert(sizeof(KivoFunctions) == 10 * sizeof(void*));

}  // namespace KivoUnit

/*
 * The plug-in interface of the Kivo library in plain C (C99 and C++ alike).
 *
 * A plug-in is a shared library (.so) that exports
 *
 *   _Plugin* start(Kivo* kivo);     required: called once after loading with the
 *                                   library's own object; returns the plug-in's record
 *   void stop(void);                optional: called before unloading
 *   void ConnectDebugCallback(void); optional: looked up, never called
 *
 * Define them with KIVO_PLUGIN_EXPORT so they stay visible in a library built
 * with hidden visibility. A method is called by name through its plug-in's
 * MethodList; it receives the caller's record and a block and answers a block
 * made by the library (KivoReturn, KivoAlloc, KivoException) or NULL. The
 * library frees the argument and reply blocks of the methods it calls itself.
 *
 * Every record keeps its field order with the platform's natural alignment;
 * the checks at the end pin the 64-bit layout. Narrow texts are zero-terminated
 * UTF-8. A Kivo pointer may be used wherever a _Plugin pointer is expected: the
 * object starts with the two _Plugin fields.
 */
#ifndef KIVO_PLUGIN_KIVO_PLUGIN_H
#define KIVO_PLUGIN_KIVO_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

/* The interface number this header describes; a plug-in reports it in its build record. */
#define KIVO_PLUGIN_API 1005

/* Reply types of a KivoBlock. */
#define KIVO_POINTER_REPLY 0x08   /* data is a pointer the block does not own; size 0 */
#define KIVO_RAW_XML_TEXT 0x3C    /* not a block: a zero-terminated XML text ("<...") */
#define KIVO_RAW_QUERY_TEXT 0x3F  /* not a block: a zero-terminated text starting with "?" */
#define KIVO_BINARY_BLOCK 0x80    /* as made by KivoAlloc */
#define KIVO_XML_REPLY 0x81       /* XML report text */
#define KIVO_TEXT_REPLY 0x82      /* plain text, as made by KivoReturn */
#define KIVO_EXCEPTION_REPLY 0xFF /* XML text with an "exception" root element */

#ifdef __cplusplus
#define KIVO_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
namespace KivoUnit {
class KivoBase;
extern "C" {
#else
#define KIVO_PLUGIN_EXPORT __attribute__((visibility("default")))
typedef struct KivoBase KivoBase; /* opaque to C */
#endif

typedef struct KivoBlock KivoBlock;
typedef struct MethodEntry MethodEntry;
typedef struct MethodList MethodList;
typedef struct _PluginVersion _PluginVersion;
typedef struct _PluginDetails _PluginDetails;
typedef struct _PluginBuild _PluginBuild;
typedef struct _PluginInfo _PluginInfo;
typedef struct _Plugin _Plugin;
typedef struct KivoFunctions KivoFunctions;
typedef struct Kivo Kivo;

struct KivoBlock {
#ifdef __cplusplus
  enum ReplyType : uint8_t {
    PointerReply = KIVO_POINTER_REPLY,
    RawXmlText = KIVO_RAW_XML_TEXT,
    RawQueryText = KIVO_RAW_QUERY_TEXT,
    BinaryBlock = KIVO_BINARY_BLOCK,
    XmlReply = KIVO_XML_REPLY,
    TextReply = KIVO_TEXT_REPLY,
    ExceptionReply = KIVO_EXCEPTION_REPLY
  };
#endif
  uint8_t type;
  uint8_t flag; /* 1 when the data buffer was allocated with the block and goes with it */
  uint8_t reserved[2];
  uint32_t size; /* bytes in the data buffer; texts count their terminating zero */
  void* data;
};

typedef KivoBlock* (*KivoMethod)(_Plugin* caller, KivoBlock* block);

struct MethodEntry {
  const char* name; /* NULL ends the list */
  KivoMethod function;
};

struct MethodList {
  int32_t count; /* entries including the terminating one; 0: count up to the terminator */
  MethodEntry* entries;
};

struct _PluginVersion {
  int32_t first;
  int32_t second;
  int32_t third;
  int32_t fourth;
};

/* Any text may be NULL; reports show "NULL". */
struct _PluginDetails {
  const char* name;
  const char* date;
  const char* author;
  const char* company;
  const char* description;
};

struct _PluginBuild {
  uint32_t api;          /* KIVO_PLUGIN_API */
  const char* texts[4];  /* the first is the build's date and time */
  uint32_t value;
};

/* Any pointer may be NULL. */
struct _PluginInfo {
  _PluginVersion* version;
  _PluginDetails* details;
  _PluginBuild* build;
  uint32_t type;
};

struct _Plugin {
  _PluginInfo* info; /* NULL reports the plug-in as missing */
  MethodList* methods; /* may be NULL */
};

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

/* The library's interface functions. Each returns NULL (or does nothing) while
 * no base exists; all may be called from any thread. */
struct KivoFunctions {
  KivoExecuteFunction KivoExecute;     /* call a method of a list by name */
  KivoAllocFunction KivoAlloc;         /* a binary block of that many bytes */
  KivoFreeFunction KivoFree;           /* give a block back */
  KivoReturnFunction KivoReturn;       /* a text block holding a copy of the text */
  KivoExceptionFunction KivoException; /* an exception block with the message */
  KivoDetailsFunction KivoDetails;     /* the caller's details report */
  KivoCStrFunction KivoCStr;           /* the text of a block, NULL for binary ones */
  KivoStateFunction KivoState;         /* the base's state report */
  KivoRunFunction KivoRun;             /* run the node path in the block's text */
  KivoApiGetBaseFunction KivoApiGetBase;
};

/* The library's own object that plug-ins receive. */
struct Kivo {
  _Plugin plugin;
  const KivoFunctions* functions;
#ifdef __cplusplus
  _Plugin* asPlugin() { return &plugin; }
#endif
};

/* The exports of a plug-in library, looked up by "start", "stop" and "ConnectDebugCallback". */
typedef _Plugin* (*KivoStartFunction)(Kivo* kivo);
typedef void (*KivoStopFunction)(void);
typedef void (*KivoDebugCallbackFunction)(void);

#if defined(__cplusplus)
#define KIVO_LAYOUT_CHECK(name, condition) static_assert(condition, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define KIVO_LAYOUT_CHECK(name, condition) _Static_assert(condition, #name)
#else
#define KIVO_LAYOUT_CHECK(name, condition) typedef char kivo_layout_##name[(condition) ? 1 : -1]
#endif

KIVO_LAYOUT_CHECK(block, offsetof(KivoBlock, type) == 0 && offsetof(KivoBlock, flag) == 1 &&
                             offsetof(KivoBlock, size) == 4 && offsetof(KivoBlock, data) == 8 &&
                             sizeof(KivoBlock) == 16);
KIVO_LAYOUT_CHECK(method_entry, offsetof(MethodEntry, function) == 8 && sizeof(MethodEntry) == 16);
KIVO_LAYOUT_CHECK(method_list, offsetof(MethodList, entries) == 8 && sizeof(MethodList) == 16);
KIVO_LAYOUT_CHECK(plugin, offsetof(_Plugin, methods) == 8 && sizeof(_Plugin) == 16);
KIVO_LAYOUT_CHECK(kivo, offsetof(Kivo, plugin) == 0 && offsetof(Kivo, functions) == 16 &&
                            sizeof(Kivo) == 24);
KIVO_LAYOUT_CHECK(plugin_info, offsetof(_PluginInfo, build) == 16 &&
                                   offsetof(_PluginInfo, type) == 24 && sizeof(_PluginInfo) == 32);
KIVO_LAYOUT_CHECK(plugin_version, offsetof(_PluginVersion, fourth) == 12 &&
                                      sizeof(_PluginVersion) == 16);
KIVO_LAYOUT_CHECK(plugin_details, offsetof(_PluginDetails, description) == 32 &&
                                      sizeof(_PluginDetails) == 40);
KIVO_LAYOUT_CHECK(plugin_build, offsetof(_PluginBuild, texts) == 8 &&
                                    offsetof(_PluginBuild, value) == 40 &&
                                    sizeof(_PluginBuild) == 48);
KIVO_LAYOUT_CHECK(functions, offsetof(KivoFunctions, KivoApiGetBase) == 72 &&
                                 sizeof(KivoFunctions) == 80);

#undef KIVO_LAYOUT_CHECK

#ifdef __cplusplus
} /* extern "C" */
} /* namespace KivoUnit */
#endif

#endif /* KIVO_PLUGIN_KIVO_PLUGIN_H */

/* A Kivo plug-in in plain C: its method "Hello" answers a greeting. */
#include <kivo/plugin/kivo_plugin.h>

static const KivoFunctions* kivo;
static _PluginVersion version = {1, 0, 0, 0};
static _PluginDetails details = {"hello", NULL, NULL, NULL, "Greets in C"};
static _PluginBuild build = {KIVO_PLUGIN_API, {NULL, NULL, NULL, NULL}, 0};
static _PluginInfo info = {&version, &details, &build, 0};
static _Plugin record;

static KivoBlock* hello(_Plugin* caller, KivoBlock* argument) {
  (void)caller, (void)argument;
  return kivo->KivoReturn(&record, "hello from C");
}
static MethodEntry entries[] = {{"Hello", hello}, {NULL, NULL}};
static MethodList methods = {0, entries};
static _Plugin record = {&info, &methods};

KIVO_PLUGIN_EXPORT _Plugin* start(Kivo* library) {
  kivo = library->functions;
  return &record;
}

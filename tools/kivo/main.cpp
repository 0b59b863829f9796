// The kivo host program. For now it reports the library it runs against.
#include <cstdio>
#include <cstring>

#include "kivo/Application.h"
#include "kivo/Toolkit.h"
#include "kivo/Tracer.h"
#include "kivo/Version.h"

namespace {

void printUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: kivo [--version] [--help]\n"
               "  --version  print the version of the Kivo library and exit\n"
               "  --help     print this help and exit\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    printUsage(stdout);
    return 0;
  }
  if (argc > 2 || (argc == 2 && std::strcmp(argv[1], "--version") != 0)) {
    std::fprintf(stderr, "kivo: unknown arguments; try 'kivo --help'\n");
    return 2;
  }
  KivoUnit::Toolkit::Scope toolkit;
  if (!toolkit.ok()) {
    std::fprintf(stderr, "kivo: the toolkit could not be started\n");
    return 1;
  }
  KivoUnit::Application::getApp().setName(wxS("kivo"));
  std::printf("Kivo %s\n", KivoUnit::LibraryVersion());
  return 0;
}

// A host built outside the Kivo project, against an installed Kivo: boots the
// configuration FILE and prints what the node at PATH answers to COMMAND (for a
// library node: the plug-in's method of that name).
//   host FILE PATH COMMAND
#include <cstdio>

#include <kivo/kivo.h>

// The library's exported entry points: build the base, and shut it down.
extern "C" KivoUnit::Kivo* start(KivoUnit::Kivo*);
extern "C" void stop();

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: host FILE PATH COMMAND\n");
    return 2;
  }
  if (start(nullptr) == nullptr) return 1;
  int status = 1;
  {
    KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("host"));
    KivoUnit::KivoBase* base = guard.Write();
    if (base != nullptr && base->Boot(wxString::FromUTF8(argv[1]))) {
      if (KivoUnit::iNode* node = base->Search(wxString::FromUTF8(argv[2]))) {
        const wxString answer = node->Execute(wxString::FromUTF8(argv[3]), wxString());
        std::printf("%s\n", static_cast<const char*>(answer.utf8_str()));
        status = answer.empty() ? 1 : 0;
      }
    }
  }
  stop();
  return status;
}

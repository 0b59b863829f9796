// Searches a fixed tree with the input as a path. A node found is found again by
// its own full path; a relative search from a node agrees with the absolute search
// of the joined path; SearchOrCreate makes a node that Search then finds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "kivo/node/iNode.h"

namespace {

const char* kTree =
    "<kivo name='kivo'>"
    "<node name='a'><node name='b' x='1'><node name='c'/></node><node name='a b'/></node>"
    "<node name='d' label='Dee'><node name='e'/></node>"
    "<SymLink name='link' symlink_target_path='/a/b'/>"
    "</kivo>";

// Names of letters and digits joined by single slashes: no labels, parameters,
// parent steps or encodings whose meaning depends on where the search starts.
bool isPlainRelativePath(const wxString& path) {
  if (path.empty() || path[0] == '/' || path.Last() == '/') return false;
  wxChar previous = '/';
  for (const wxChar c : path) {
    const bool name = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!name && !(c == '/' && previous != '/')) return false;
    previous = c;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KivoFuzz::workFolder();
  // Paths reach the tree as C strings (the plug-in interface, the program's arguments):
  // the text ends at the first zero byte.
  const char* text = reinterpret_cast<const char*>(data);
  const wxString path = wxString::FromUTF8(text, strnlen(text, size));
  KivoFuzz::ScopedBase base;
  KivoFuzz::require(KivoFuzz::bootText(*base, "tree.xml", kTree), "the fixed tree boots");
  if (KivoUnit::iNode* found = base->Search(path)) {
    KivoFuzz::require(base->Search(found->GetFullPath()) == found->getThis(),
                      "a found node is found by its own path");
  }
  if (isPlainRelativePath(path)) {
    KivoUnit::iNode* a = base->Search(wxS("/a"));
    KivoFuzz::require(a->Search(path) == base->Search(wxS("/a/") + path),
                      "relative and absolute search agree");
  }
  bool created = false;
  KivoUnit::iNode* made = base->SearchOrCreate(created, path, wxS("node"), wxS("node"));
  if (made != nullptr && created) {
    KivoFuzz::require(base->Search(made->GetFullPath()) == made, "a created node is found again");
  }
  return 0;
}

#pragma once
// How much room UTF-8 text takes on a terminal, and cutting it without splitting
// a character: wide (East Asian) characters take two columns, combining marks none.
#include <string>

namespace KivoHost {

// The columns `text` takes.
size_t displayWidth(const std::string& text);
// The longest start of `text` that fits in `columns`, cut between characters; marks
// that combine with the last character kept stay with it.
std::string cutToWidth(const std::string& text, size_t columns);

}  // namespace KivoHost

#pragma once
// While a standard stream is redirected into a buffer, a crash would take its text
// (and a sanitizer's report) with it. A fatal signal first puts the stream back,
// copies what was captured to it, says which signal ended the program, and then
// lets the signal take its former course.
namespace KivoHost {

// `stream` (a descriptor) now writes to `buffer`; `saved` is its former target.
void armFatalSignals(int stream, int buffer, int saved);
void disarmFatalSignals(int stream);

}  // namespace KivoHost

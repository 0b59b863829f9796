// Logs two messages from a plain host; run with KIVO_DEBUG_OUTPUT=1 the accepted
// one must reach the debugger output (standard error) with the application name.
#include "kivo/app/Application.h"
#include "kivo/log/Tracer.h"

int main() {
  KivoUnit::Application::getApp().setName(wxS("debughost"));
  KivoUnit::Application::getApp().setLogLevel(KivoUnit::AppLogWarnings);
  KivoUnit::Tracer::getSingleton()->Log(3, wxS("filtered out"), 1, "src/host.cpp", "main");
  KivoUnit::Tracer::getSingleton()->Log(4, wxS("reaches the debugger"), 2, "src/host.cpp", "main");
  return 0;
}

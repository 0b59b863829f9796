#pragma once

#include "kivo/KivoExport.h"

class wxAppConsole;

namespace KivoUnit {

// The host's application object; the library only carries the pointer.
using HostApplication = wxAppConsole;

// One time-based update pass, created by the host on its stack.
class KIVO_API UpdateEvent {
 public:
  explicit UpdateEvent(double deltaTime) : m_DeltaTime(deltaTime) {}
  virtual ~UpdateEvent();

  // Seconds since the previous update, as the host measured them.
  virtual double getDeltaTime() const { return m_DeltaTime; }

 private:
  double m_DeltaTime;
};

// An update pass that also carries the host's application object.
class KIVO_API ApplicationUpdateEvent : public UpdateEvent {
 public:
  ApplicationUpdateEvent(HostApplication* app, double deltaTime)
      : UpdateEvent(deltaTime), m_App(app) {}
  ~ApplicationUpdateEvent() override;

  virtual HostApplication* getApp() const { return m_App; }

 private:
  HostApplication* m_App;
};

}  // namespace KivoUnit

#pragma once

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

namespace KivoUnit {

// A control that fires on an event type and may repeat at an interval ("repeat",
// "repeat_interval"). Concrete controls say what firing does.
class KIVO_API ControlNode : public iNode {
 public:
  ControlNode(iNode* parent, const wxString& element);
  ~ControlNode() override;

  void readAttributes() override;
  void writeAttributes() override;

  virtual float getRepeatInterval() const;
  virtual void setRepeatInterval(float interval);
  virtual bool getRepeat() const;
  virtual void setRepeat(bool repeat);
  // For good: updateControl never answers true again.
  virtual void stopRepeating();
  // Adds `dt`; true (and a fresh count) while repeating below the interval.
  virtual bool updateControl(float dt);
  virtual bool executeControl() = 0;
  virtual void setEventType(const wxString& eventType);
  virtual wxString getEventType() const;

 private:
  bool m_Stopped;
  float m_Accumulated;
  bool m_Repeat;
  float m_RepeatInterval;
  wxString m_EventType;
};

}  // namespace KivoUnit

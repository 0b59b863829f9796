#include "kivo/node/ControlNode.h"

#include "kivo/convert/Convert.h"

namespace KivoUnit {

ControlNode::ControlNode(iNode* parent, const wxString& element)
    : iNode(parent, element),
      m_Stopped(false),
      m_Accumulated(0.0f),
      m_Repeat(false),
      m_RepeatInterval(0.0f) {
  appendClassTag(wxS(".controlnode"));
}

ControlNode::~ControlNode() = default;

void ControlNode::readAttributes() {
  iNode::readAttributes();
  if (hasAttribute(wxS("repeat"))) {
    m_Repeat = Convert::StringToBoolean(getAttribute(wxS("repeat"), wxString()), false);
  }
  if (hasAttribute(wxS("repeat_interval"))) {
    m_RepeatInterval = static_cast<float>(
        Convert::StringToDouble(getAttribute(wxS("repeat_interval"), wxString()), 0.0));
  }
}

void ControlNode::writeAttributes() {
  setAttribute(wxS("repeat"), Convert::BooleanToString(m_Repeat));
  setAttribute(wxS("repeat_interval"), Convert::DoubleToString(m_RepeatInterval, 6, true));
  iNode::writeAttributes();
}

float ControlNode::getRepeatInterval() const { return m_RepeatInterval; }
void ControlNode::setRepeatInterval(float interval) { m_RepeatInterval = interval; }
bool ControlNode::getRepeat() const { return m_Repeat; }
void ControlNode::setRepeat(bool repeat) { m_Repeat = repeat; }
void ControlNode::stopRepeating() { m_Stopped = true; }
void ControlNode::setEventType(const wxString& eventType) { m_EventType = eventType; }
wxString ControlNode::getEventType() const { return m_EventType; }

bool ControlNode::updateControl(float dt) {
  m_Accumulated += dt;
  // A NaN interval never compares below, so such a control never fires.
  if (m_Repeat && !m_Stopped && m_Accumulated < m_RepeatInterval) {
    m_Accumulated = 0.0f;
    return true;
  }
  return false;
}

}  // namespace KivoUnit

#include "kivo/element/AttributeSet.h"

#include "kivo/convert/Convert.h"

namespace KivoUnit {

namespace {

wxString wide(const std::string& utf8) { return Convert::StringToWX(utf8); }

}  // namespace

AttributeSet::~AttributeSet() = default;

AttributeSet::Map& AttributeSet::get() { return m_Map; }

const AttributeSet::Map& AttributeSet::get() const { return m_Map; }

bool AttributeSet::has(const std::string& name) const { return m_Map.find(name) != m_Map.end(); }

std::string AttributeSet::get(const std::string& name, const std::string& def) const {
  const auto found = m_Map.find(name);
  return found == m_Map.end() ? def : found->second;
}

double AttributeSet::getDouble(const std::string& name, double def) const {
  return Convert::StringToDouble(wide(get(name, std::string())), def);
}

unsigned int AttributeSet::getSize(const std::string& name, unsigned int def) const {
  return Convert::StringToUint(wide(get(name, std::string())), def);
}

bool AttributeSet::getBool(const std::string& name, bool def) const {
  return Convert::StringToBoolean(wide(get(name, std::string())), def);
}

int AttributeSet::getInt(const std::string& name, int def) const {
  return Convert::StringToInteger(wide(get(name, std::string())), def);
}

void AttributeSet::set(const std::string& name, const std::string& value) {
  m_Map.insert_or_assign(name, value);
}

void AttributeSet::setDouble(const std::string& name, double value, unsigned int precision) {
  set(name, Convert::StringToSTD(
                Convert::DoubleToString(value, static_cast<int>(precision), true)));
}

void AttributeSet::setSize(const std::string& name, unsigned int value) {
  set(name, std::to_string(value));  // the same digits as "%u", without a wide detour
}

void AttributeSet::setBool(const std::string& name, bool value) {
  set(name, value ? std::string("true") : std::string("false"));
}

void AttributeSet::setInt(const std::string& name, int value) {
  set(name, std::to_string(value));  // the same digits as "%i"
}

void AttributeSet::erase(const std::string& name) { m_Map.erase(name); }

bool AttributeSet::empty() const { return m_Map.empty(); }

size_t AttributeSet::count() const { return m_Map.size(); }

void AttributeSet::clear() { m_Map.clear(); }

void AttributeSet::replace(const Map& map) { m_Map = map; }

}  // namespace KivoUnit

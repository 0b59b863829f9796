#pragma once

#include <map>
#include <string>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// An element's attributes as UTF-8 texts, exactly as they stand in the XML element.
// An empty value is a legal entry: the next write removes that attribute.
class KIVO_API AttributeSet {
 public:
  using Map = std::map<std::string, std::string>;

  AttributeSet() = default;
  AttributeSet(const AttributeSet&) = default;
  AttributeSet& operator=(const AttributeSet&) = default;

  virtual ~AttributeSet();
  virtual Map& get();
  virtual const Map& get() const;
  virtual bool has(const std::string& name) const;
  virtual std::string get(const std::string& name, const std::string& def) const;
  // Typed getters: a missing or empty value gives the default.
  virtual double getDouble(const std::string& name, double def) const;
  virtual unsigned int getSize(const std::string& name, unsigned int def) const;
  virtual bool getBool(const std::string& name, bool def) const;
  virtual int getInt(const std::string& name, int def) const;
  virtual void set(const std::string& name, const std::string& value);
  virtual void setDouble(const std::string& name, double value, unsigned int precision);
  virtual void setSize(const std::string& name, unsigned int value);
  virtual void setBool(const std::string& name, bool value);
  virtual void setInt(const std::string& name, int value);
  virtual void erase(const std::string& name);
  virtual bool empty() const;
  virtual size_t count() const;
  virtual void clear();
  virtual void replace(const Map& map);

 private:
  Map m_Map;
};

}  // namespace KivoUnit

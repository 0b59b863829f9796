#pragma once

#include "kivo/KivoExport.h"

namespace KivoUnit {

// Limits every configuration and include file is checked against before it is
// parsed: deeper nesting would exhaust the stack of the recursive readers, and
// TinyXML's duplicate check makes huge attribute lists quadratic. A file beyond a
// limit is refused with one message naming the file; the host may change them.
class KIVO_API XmlLimits {
 public:
  static constexpr int DefaultMaxDepth = 1000;
  static constexpr int DefaultMaxAttributes = 10000;

  // Nesting of elements in one file, counted from the root element as level 1.
  static int getMaxDepth();
  static void setMaxDepth(int levels);
  // Attributes on one element.
  static int getMaxAttributes();
  static void setMaxAttributes(int count);
};

}  // namespace KivoUnit

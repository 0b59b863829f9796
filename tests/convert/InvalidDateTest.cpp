// An invalid date has no text, and formatting it must not trip the toolkit's
// assertions (assert dialogs in a GUI host).
#include <gtest/gtest.h>

#include <wx/datetime.h>
#include <wx/debug.h>

#include "kivo/convert/Convert.h"

using KivoUnit::Convert;

namespace {

int g_Assertions = 0;

void countAssertion(const wxString&, int, const wxString&, const wxString&, const wxString&) {
  ++g_Assertions;
}

TEST(ConvertDateTime, AnInvalidDateGivesAnEmptyTextAndNoAssertion) {
  g_Assertions = 0;
  const wxAssertHandler_t previous = wxSetAssertHandler(&countAssertion);
  const wxString invalid = Convert::DateTimeToString(wxDateTime());
  const wxString valid = Convert::DateTimeToString(wxDateTime(2, wxDateTime::Mar, 2021, 4, 5, 6, 7));
  wxSetAssertHandler(previous);

  EXPECT_EQ(invalid, wxString());
  EXPECT_EQ(g_Assertions, 0);
  EXPECT_TRUE(valid.StartsWith(wxS("2021-03-02T04:05:06.007"))) << valid;
}

}  // namespace

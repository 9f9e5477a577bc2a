// The date and number objects, the error display, and the global object and navigator of the host.
#include <gtest/gtest.h>

#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/global.hpp"
#include "standin/multilanguage.hpp"
#include "standin/services.hpp"

namespace standin {
namespace {

using runtime::Variant;

// Puts back the runtime's short date form after a test that changes it.
class DateFormGuard {
 public:
  explicit DateFormGuard(const std::string& form) : saved_(runtime::short_date_form()) {
    runtime::set_short_date_form(form);
  }
  ~DateFormGuard() { runtime::set_short_date_form(saved_); }

 private:
  std::string saved_;
};

struct DateCase {
  const char* form;
  const char* text;
  const char* literal;  // null when the text is not a date
};

TEST(DateObject, WritesIsoLiterals) {
  const DateCase cases[] = {
      {"dd/mm/yyyy", "01/03/2026", "2026-03-01"},
      {"dd/mm/yyyy", "31/02/2026", nullptr},
      {"dd/mm/yyyy", "1/3/2026", "2026-03-01"},
      {"dd/mm/yyyy", "29/02/2025", nullptr},
      {"dd/mm/yyyy", "2026-03-01", "2026-03-01"},
      {"dd/mm/yyyy", "", nullptr},
      {"dd/mm/yyyy", "29/02/2024 14:30", "2024-02-29 14:30:00"},
      {"dd/mm/yyyy", "domani", nullptr},
      {"dd/mm/yyyy", "2026-03-01 00:00:00", "2026-03-01"},
      {"dd/mm/yyyy", "01/03/2026 25:00", nullptr},
      {"mm/dd/yyyy", "03/01/2026", "2026-03-01"},
  };
  // One object takes every text in turn: each new text replaces the old, valid or not.
  StandinDateObject date;
  EXPECT_EQ(date.ErrorCode(), 1);  // nothing given yet
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.form) + " \"" + c.text + "\"");
    DateFormGuard guard(c.form);
    date.set_Text(c.text);
    if (c.literal) {
      EXPECT_EQ(date.ErrorCode(), 0);
      EXPECT_EQ(date.DBFormat(), c.literal);
    } else {
      EXPECT_EQ(date.ErrorCode(), 1);
      EXPECT_THROW(date.DBFormat(), runtime::Error);
    }
  }
}

TEST(NumberObject, WritesSqlNumbers) {
  StandinNumberObject number;
  const std::pair<Variant, const char*> cases[] = {{Variant(std::int32_t{1001}), "1001"},
                                                   {Variant(12.25), "12.25"},
                                                   {Variant("1,5"), "1.5"},
                                                   {Variant(-3.0), "-3"},
                                                   {Variant::null(), "null"},
                                                   {Variant(), "null"},
                                                   {Variant("   "), "null"}};
  for (const auto& [value, written] : cases) EXPECT_EQ(number.DBFormat(value), written) << written;
  EXPECT_THROW(number.DBFormat(Variant("dodici")), runtime::Error);
}

TEST(ErrorDisplay, ShowsTheReportItWasGiven) {
  ScriptedResponder responder;
  responder.push_answer(box::kIgnore);
  StandinErrorDisplay display(responder);
  display.set_Error({-2147217900, "no such column: X", "SQLite provider"});
  display.set_ProviderErrors({{1, "no such column: X", "SQLite", ""}});
  std::int32_t extra = 0;
  EXPECT_EQ(display.ShowReport("MERIDAL", "Calendario", "GeneraQuerySQL", 4370, extra), box::kIgnore);
  EXPECT_EQ(extra, 0);
  // What the routine hands over is checked where the module's reports are; the error and the provider's
  // errors come from the display itself.
  ASSERT_EQ(responder.reports().size(), 1u);
  EXPECT_EQ(responder.reports()[0].error.number, -2147217900);
  EXPECT_EQ(responder.reports()[0].provider_errors.size(), 1u);
}

// What the host offers is read through the module's scenarios; asking for what it does not offer fails.
TEST(Global, RefusesSlotsAndPicturesItDoesNotHave) {
  ScriptedResponder responder;
  DateFormGuard guard{"dd/mm/yyyy"};
  StandinGlobal global{HostSettings{"Data Source=x.db", 7, "yyyy-mm-dd", "it"},
                       std::make_shared<StandinMultilanguage>(Dictionary{}, "it", responder)};
  EXPECT_EQ(runtime::short_date_form(), "yyyy-mm-dd");
  EXPECT_THROW(global.ImageList1()->Picture("nessuna"), runtime::Error);
  EXPECT_THROW(global.Interface(3), runtime::Error);
  EXPECT_THROW(global.MediaValue(0), runtime::Error);
}

}  // namespace
}  // namespace standin

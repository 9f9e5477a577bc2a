// The duration fields of the calendar window: hours and minutes are checked together when either field
// is left, rewritten as two digits when right, and keep the person in the field when wrong.
#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

class WindowHours : public OnEachEngine<WindowScenario> {
 protected:
  HeadlessFormSite& open() {
    auto& s = open_main();
    choose(s, "2026-01-15");  // a day without rows
    return s;
  }
  // Types both texts (the minutes first, so that leaving the hours checks the pair) and leaves the hours.
  bool leave_hours_with(HeadlessFormSite& s, const std::string& hours, const std::string& minutes) {
    s.code("TXT_MINUTI")->set_Text(minutes);
    EXPECT_TRUE(s.code("TXT_ORE")->type(hours));
    return s.code("TXT_ORE")->leave();
  }
};

TEST_P(WindowHours, RightValuesAreRewrittenAsTwoDigitsInTheFieldThatIsLeft) {
  auto& s = open();
  ASSERT_TRUE(s.code("TXT_ORE")->type("7"));
  ASSERT_TRUE(s.code("TXT_MINUTI")->type("5"));  // leaves the hours
  EXPECT_EQ(text(s, "TXT_ORE"), "07");
  EXPECT_EQ(text(s, "TXT_MINUTI"), "5");  // the other field is not touched
  ASSERT_TRUE(s.code("TXT_MINUTI")->leave());
  EXPECT_EQ(text(s, "TXT_MINUTI"), "05");

  // Blanks anywhere are ignored, a trailing letter is dropped, and what is left empty reads 0.
  struct Case {
    std::string hours, minutes, hours_after, minutes_after;
  };
  for (Case c : {Case{"24", "", "24", "00"}, Case{"24", "0", "24", "00"}, Case{"ab", "59", "00", "59"},
                 Case{"", "", "00", "00"}, Case{" 1 2", "3x", "12", "03"}}) {
    SCOPED_TRACE(c.hours + ":" + c.minutes);
    EXPECT_TRUE(window().CheckFormatoORE(c.hours, c.minutes));
    EXPECT_EQ(c.hours, c.hours_after);
    EXPECT_EQ(c.minutes, c.minutes_after);
  }
  EXPECT_TRUE(messages().empty());
}

TEST_P(WindowHours, WrongValuesShowTheirMessageAndKeepTheFocus) {
  auto& s = open();
  struct Case {
    const char* hours;
    const char* minutes;
    std::int32_t number;
  };
  // A fraction is refused by the field it stands in: durations are whole hours and whole minutes.
  const Case cases[] = {{"24", "1", 77203}, {"25", "0", 77202}, {"-1", "0", 77202},
                        {"8", "60", 77204}, {".9", "0", 77202}, {"8", ".5", 77204}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.hours) + ":" + c.minutes);
    responder_.clear_record();
    EXPECT_FALSE(leave_hours_with(s, c.hours, c.minutes));
    ASSERT_EQ(message_numbers(), std::vector<std::int32_t>{c.number});
    EXPECT_EQ(messages()[0].style, 48);
    EXPECT_EQ(messages()[0].title, kCaption);
    // The hours keep the focus, selected, and both texts stay as typed.
    EXPECT_EQ(s.focused_name(), "TXT_ORE");
    EXPECT_TRUE(s.code("TXT_ORE")->text_selected());
    EXPECT_EQ(text(s, "TXT_ORE"), c.hours);
    EXPECT_EQ(text(s, "TXT_MINUTI"), c.minutes);
  }

  responder_.clear_record();
  EXPECT_TRUE(leave_hours_with(s, "8", "59"));
  EXPECT_EQ(text(s, "TXT_ORE"), "08");
  EXPECT_TRUE(messages().empty());

  // The minutes field checks the pair the same way.
  ASSERT_TRUE(s.code("TXT_MINUTI")->type("75"));
  EXPECT_FALSE(s.code("TXT_MINUTI")->leave());
  EXPECT_EQ(message_numbers(), std::vector<std::int32_t>{77204});
  EXPECT_EQ(s.focused_name(), "TXT_MINUTI");
  EXPECT_TRUE(s.code("TXT_MINUTI")->text_selected());
}

CALENDATT_ON_EACH_ENGINE(WindowHours);

}  // namespace
}  // namespace calendatt::testing

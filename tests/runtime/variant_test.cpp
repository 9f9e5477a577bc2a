#include <gtest/gtest.h>

#include <cmath>

#include "runtime/error.hpp"
#include "runtime/variant.hpp"

namespace runtime {
namespace {

int error_number(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(WholeNumberConversion, RoundsHalfToEvenAndOverflows) {
  struct Case {
    double in;
    std::int32_t out;
  } cases[] = {{12.5, 12}, {13.5, 14}, {12.6, 13}, {-2.5, -2},
               {-3.5, -4}, {0.5, 0},   {1.5, 2},   {2147483647.0, 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(round_to_long(c.in), c.out) << c.in;
  EXPECT_EQ(error_number([] { round_to_long(2147483647.5); }), err::kOverflow);
  EXPECT_EQ(error_number([] { round_to_long(-2147483649.0); }), err::kOverflow);
  EXPECT_EQ(round_to_int(-32768.0), -32768);
  EXPECT_EQ(error_number([] { round_to_int(32767.5); }), err::kOverflow);
}

TEST(VariantConversion, TextsNumbersAndNull) {
  EXPECT_EQ(Variant("12.6").to_long(), 13);
  EXPECT_EQ(Variant(" 12,5 ").to_long(), 12);  // comma as decimal separator, half to even
  EXPECT_EQ(Variant(std::int16_t{7}).to_string(), "7");
  EXPECT_EQ(Variant(1001.0).to_string(), "1001");
  EXPECT_EQ(Variant(0.5).to_string(), ".5");
  EXPECT_EQ(Variant(-2.25).to_string(), "-2.25");
  EXPECT_EQ(Variant(true).to_string(), "True");
  EXPECT_EQ(Variant().to_long(), 0);
  EXPECT_EQ(error_number([] { (void)Variant("abc").to_long(); }), err::kTypeMismatch);
  EXPECT_EQ(error_number([] { (void)Variant::null().to_string(); }), err::kInvalidUse);
  EXPECT_EQ(error_number([] { (void)Variant("").to_double(); }), err::kTypeMismatch);
  EXPECT_TRUE(Variant("True").to_bool());
  EXPECT_FALSE(Variant("0").to_bool());
  EXPECT_EQ(Variant(true).to_long(), -1);
}

// Arrays and objects are read through the scenarios' lookup rows and host objects; misuse raises.
TEST(VariantConversion, ArraysAndObjectsRaiseWhenMisused) {
  Variant v(std::make_shared<Array2D>(1, 1, 1, 6));
  EXPECT_TRUE(v.array()->at(1, 1).is_empty());
  EXPECT_EQ(error_number([&] { (void)v.array()->at(2, 1); }), err::kSubscript);
  EXPECT_EQ(error_number([&] { (void)v.to_string(); }), err::kTypeMismatch);
  EXPECT_EQ(Variant().object(), nullptr);
  EXPECT_EQ(error_number([] { (void)Variant(3).object(); }), err::kObjectRequired);
}

TEST(PercentEncoding, KeepsLettersDigitsAndTheGivenBytesOnly) {
  EXPECT_EQ(percent_encode("Ab9 /-~\xC3\xA9%", "/~"), "Ab9%20/%2D~%C3%A9%25");
  EXPECT_EQ(percent_encode(std::string("a\0b", 3), ""), "a%00b");
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"7", 7},      {" 2 4", 24},   {"-1", -1},  {"ab", 0},   {"", 0},
               {"12abc", 12}, {"1.5x", 1.5},  {".5", 0.5}, {"+3", 3},   {"3-2", 3},
               {"- 4", -4},   {"1.2.3", 1.2}, {"  ", 0},   {"0059", 59}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(leading_number(c.text), c.value) << c.text;
}

TEST(Dates, ShortDateFormAndIsoBothRead) {
  set_short_date_form("dd/mm/yyyy");
  EXPECT_EQ(date_text(Date::from_ymd(2026, 3, 7)), "07/03/2026");
  EXPECT_EQ(date_text(Date{Date::from_ymd(2026, 3, 7).serial + 0.5}), "07/03/2026 12:00:00");
  EXPECT_EQ(parse_date("7/3/2026")->iso(), "2026-03-07");
  EXPECT_EQ(parse_date("2026-03-07")->iso(), "2026-03-07");
  EXPECT_EQ(parse_date("07/03/2026 12:00:00")->serial, Date::from_ymd(2026, 3, 7).serial + 0.5);
  for (const char* text : {"31/02/2026", "2026-02-30", "13/13/2026", "abc", ""})
    EXPECT_FALSE(parse_date(text)) << text;
  EXPECT_EQ(Variant("01/03/2026").to_date(), Date::from_ymd(2026, 3, 1));
  EXPECT_EQ(error_number([] { (void)Variant("32/01/2026").to_date(); }), err::kTypeMismatch);

  set_short_date_form("mm/dd/yyyy");
  EXPECT_EQ(date_text(Date::from_ymd(2026, 3, 7)), "03/07/2026");
  EXPECT_EQ(parse_date("03/07/2026")->iso(), "2026-03-07");
  set_short_date_form("dd/mm/yyyy");
}

// Day numbers count from 30 December 1899. Found by fuzzing: a number far outside the calendar became a
// date whose text could not be written.
TEST(Dates, NumbersAreDatesOnlyWithinTheRuntimesDays) {
  EXPECT_EQ(Date{0}.iso(), "1899-12-30");
  EXPECT_EQ(Variant("46082").to_date(), Date::from_ymd(2026, 3, 1));
  EXPECT_EQ(Variant(Date::from_ymd(9999, 12, 31).serial + 0.5).to_date().iso(), "9999-12-31");
  EXPECT_EQ(Variant(Date::from_ymd(100, 1, 1).serial).to_date().iso(), "0100-01-01");
  for (const Variant& v : {Variant("1e300"), Variant("-1e300"), Variant(1e300), Variant(-657435.0),
                           Variant(Date::from_ymd(9999, 12, 31).serial + 1)})
    EXPECT_EQ(error_number([&] { (void)v.to_date(); }), err::kOverflow) << v.to_string();
}

}  // namespace
}  // namespace runtime

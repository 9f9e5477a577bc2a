// The dictionary, the multilanguage object and the scripted responder.
#include <gtest/gtest.h>

#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/dictionary.hpp"
#include "standin/multilanguage.hpp"
#include "standin/responder.hpp"

namespace standin {
namespace {

using runtime::Variant;

TEST(Dictionary, FillsPlaceholdersInBothLanguages) {
  runtime::set_short_date_form("dd/mm/yyyy");
  Dictionary dictionary;
  runtime::ParamList date{Variant(runtime::Date::from_ymd(2026, 3, 1))};
  EXPECT_EQ(dictionary.translate(77194, date, "en"), "Dates earlier than 01/03/2026 are not allowed");
  EXPECT_EQ(dictionary.translate(42123, {}, "EN"), "Operation completed");
}

TEST(Dictionary, PlaceholderAndLookupEdgeCases) {
  Dictionary dictionary;
  // Null reads as an empty text; a missing parameter leaves its placeholder showing.
  EXPECT_EQ(dictionary.translate(77207, {Variant::null()}), "Saranno eliminate  date. ");
  EXPECT_EQ(dictionary.translate(77207, {}), "Saranno eliminate %1 date. ");
  // A parameter's own text is not searched for placeholders.
  EXPECT_EQ(fill_placeholders("%1 e %2", {Variant("%2"), Variant("b")}), "%2 e b");
  EXPECT_EQ(fill_placeholders("100% %0 %", {Variant("x")}), "100% %0 %");
  // Unknown numbers and languages.
  EXPECT_FALSE(dictionary.translate(1, {}).has_value());
  EXPECT_FALSE(dictionary.contains(77209));
  EXPECT_THROW(dictionary.translate(42123, {}, "de"), runtime::Error);
}

class MultilanguageTest : public ::testing::Test {
 protected:
  ScriptedResponder responder;
  StandinMultilanguage ml{Dictionary{}, "it", responder};
};

// An unknown number is marked; texts handed over are shown as given.
TEST_F(MultilanguageTest, UnknownNumbersTextsAsGivenAndTheLanguageSwitch) {
  EXPECT_EQ(ml.Translate(5, {}), "[x5x]");
  EXPECT_EQ(ml.ShowMessage(5, 64, "t", {}), box::kOk);
  ml.ShowText("testo 'libero'", 48, "t", Variant());
  ml.KVOMsgBox("[x77192x] Pianificazione", 48, "t");
  ASSERT_EQ(responder.messages().size(), 3u);
  EXPECT_EQ(responder.messages()[0].text, "[x5x]");
  EXPECT_EQ(responder.messages()[1].number, 0);
  EXPECT_EQ(responder.messages()[1].text, "testo 'libero'");
  EXPECT_EQ(responder.messages()[2].text, "[x77192x] Pianificazione");
  ml.set_language("en");
  EXPECT_EQ(ml.Translate(17778, {}), "Date");
  EXPECT_THROW(ml.set_language("fr"), runtime::Error);
}

TEST(ScriptedResponder, UnansweredQuestionsAreRecorded) {
  ScriptedResponder responder;
  EXPECT_EQ(responder.answer_message({77199, "lookup?", 1, "t"}), 0);
  // An answer that is not a button of the box does not count as an answer.
  responder.push_answer(box::kYes);
  EXPECT_EQ(responder.answer_message({77199, "lookup?", 1, "t"}), 0);
  ErrorReport report;
  report.routine = "Form_Load";
  EXPECT_EQ(responder.answer_report(report), 0);
  ASSERT_EQ(responder.unanswered().size(), 3u);
  EXPECT_NE(responder.unanswered()[0].find("77199"), std::string::npos);
  EXPECT_NE(responder.unanswered()[1].find("not one of its buttons"), std::string::npos);
  EXPECT_NE(responder.unanswered()[2].find("Form_Load"), std::string::npos);
}

TEST(ScriptedResponder, ReportsTakeScriptedAnswers) {
  ScriptedResponder responder;
  responder.push_answer(box::kRetry);
  EXPECT_EQ(responder.answer_report(
                {{3704, "Operation is not allowed when the object is closed", "SQLite provider"},
                 {{1, "no such table: X", "SQLite", "HY000"}},
                 "MERIDAL",
                 "Calendario attività WBS",
                 "Requery",
                 4370}),
            box::kRetry);
  ASSERT_EQ(responder.reports().size(), 1u);
  std::string text = responder.reports()[0].text();
  for (const char* part : {"MERIDAL - Calendario attività WBS", "Requery", "3704",
                           "Operation is not allowed when the object is closed", "SQLite provider",
                           "1 - no such table: X", "HY000"})
    EXPECT_NE(text.find(part), std::string::npos) << part << " missing from:\n" << text;
}

}  // namespace
}  // namespace standin

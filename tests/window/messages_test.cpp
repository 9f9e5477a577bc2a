// The module-wide message and formatting routines the calendar window carries: message boxes and
// translation with the host's contract (without it, handed_texts_test.cpp reads the marked texts), and the
// SQL text of values.
#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Variant;

class WindowMessages : public OnEachEngine<WindowScenario> {};

// With the contract a number shows the dictionary's text (with its parameters) and 0 the text handed over;
// the same holds for a translation, whose option 1 doubles the quotes for SQL.
TEST_P(WindowMessages, WithAContractTheDictionaryDecidesTheTextOfANumberedMessage) {
  open_main();
  auto& w = window();
  responder_.push_answer(standin::box::kCancel);
  EXPECT_EQ(w.MostraMessaggio("testo consegnato", 77192, 1, "Titolo"), standin::box::kCancel);
  EXPECT_EQ(w.MostraMessaggio("Testo così com'è", 0, 64, "Altro titolo"), standin::box::kOk);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0].text, "Pianificazione già esistente per la data corrente");
  EXPECT_EQ(messages()[0].style, 1);
  EXPECT_EQ(messages()[0].title, "Titolo");
  EXPECT_EQ(messages()[1].number, 0);
  EXPECT_EQ(messages()[1].text, "Testo così com'è");

  EXPECT_EQ(w.TraduciMessaggio("l'orto", 0, std::nullopt, 0), "[x0x] l'orto");
  EXPECT_EQ(w.TraduciMessaggio("l'orto", 0, std::nullopt, 1), "l''orto");
  EXPECT_EQ(w.TraduciMessaggio("altro", 77198, std::nullopt, 0),
            "La data selezionata non rientra nel periodo di pianificazione dell'attività");
  EXPECT_EQ(w.TraduciMessaggio("altro", 77198, std::nullopt, 1),
            "La data selezionata non rientra nel periodo di pianificazione dell''attività");
  EXPECT_EQ(w.TraduciMessaggio("", 77195, runtime::ParamList{Variant("31/03/2026")}, 0),
            "Non sono ammesse date superiori al 31/03/2026");
}

TEST_P(WindowMessages, FormatoDBWritesEveryKindAndRefusesWhatCannotBeWritten) {
  open_main();
  auto& w = window();
  const std::string date_null =
      "Si sta tentando di assegnare il valore (data) null a un campo che non ammette null.";
  const std::string number_null =
      "Si sta tentando di assegnare il valore (numerico) null a un campo che non ammette null.";
  const std::string bad_date = "Errore nella conversione della data (Quentor.CLSFW_Date, metodo DBFormat)";
  struct Case {
    Variant value;
    std::int32_t kind;
    bool nullable;
    Variant written;    // empty: nothing written
    std::string error;  // the last error afterwards
  };
  const Case cases[] = {
      {Variant("31/02/2026"), 3, false, Variant(), bad_date},  // a text that is no date
      // Written values leave the last error alone: texts with every quote doubled, numbers (kind 2
      // through the host's number object), dates as the database's literal.
      {Variant("l'orto ''"), 0, false, Variant("'l''orto '''''"), bad_date},
      {Variant("l'orto"), 4, false, Variant("N'l''orto'"), bad_date},
      {Variant("12.5"), 1, false, Variant(12.5), bad_date},
      {Variant(12.5), 2, false, Variant("12.5"), bad_date},
      {Variant("02/03/2026"), 3, false, Variant("'2026-03-02'"), bad_date},
      {Variant(day("2026-03-31")), 3, false, Variant("'2026-03-31'"), bad_date},
      // Blank values: null where the column admits it; where not, texts stay empty literals.
      {Variant::null(), 3, true, Variant("null"), bad_date},
      {Variant("  "), 0, false, Variant("''"), bad_date},
      {Variant(), 4, false, Variant("N''"), bad_date},
      {Variant::null(), 3, false, Variant(), date_null},
      {Variant(""), 1, false, Variant(), number_null},
      {Variant("  "), 3, false, Variant(), date_null},
      {Variant::null(), 2, false, Variant(), number_null},
      {Variant("1/13/2026"), 3, false, Variant(), bad_date},
      // Unknown kinds give nothing and leave the last error as it was.
      {Variant("x"), 5, false, Variant(), bad_date},
      {Variant(""), -1, false, Variant(), bad_date},
  };
  for (std::int32_t kind : {0, 1, 2, 4, 7})  // blanks where the column admits null, whatever the kind
    EXPECT_EQ(w.FormatoDB(Variant("   "), kind, true), Variant("null")) << kind;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(w.FormatoDB(c.value, c.kind, c.nullable), c.written) << "row " << i;
    EXPECT_EQ(w.last_format_error(), c.error) << "row " << i;
  }

  // A value the number object cannot write is caught and described, never raised.
  EXPECT_TRUE(w.FormatoDB(Variant("abc"), 2, false).is_empty());
  EXPECT_EQ(w.last_format_error().rfind("13 - ", 0), 0u) << w.last_format_error();
  EXPECT_TRUE(w.last_format_error().ends_with(" nella routine FormatoDB")) << w.last_format_error();
  EXPECT_EQ(runtime::pending_error().number, 0);
  EXPECT_TRUE(messages().empty());
}

TEST_P(WindowMessages, FormatoDBStoresItsErrorTextInTheUsersLanguage) {
  auto settings = env_->settings();
  settings.language = "en";
  env_->apply_settings(settings);
  open_main();
  EXPECT_TRUE(window().FormatoDB(Variant(""), 3, false).is_empty());
  EXPECT_EQ(window().last_format_error(),
            "An attempt was made to assign a null (date) value to a field that does not allow null.");
  EXPECT_TRUE(window().FormatoDB(Variant("30/02/2026"), 3, false).is_empty());
  EXPECT_EQ(window().last_format_error(),
            "Error while converting the date (Quentor.CLSFW_Date, DBFormat method)");
}

CALENDATT_ON_EACH_ENGINE(WindowMessages);

}  // namespace
}  // namespace calendatt::testing

// The module-wide message and formatting routines the calendar window carries: message boxes with and
// without the host's contract, message translation, and the SQL text of values.
#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Variant;

class WindowMessages : public OnEachEngine<WindowScenario> {};

TEST_P(WindowMessages, WithAContractTheDictionaryDecidesTheTextOfANumberedMessage) {
  open_main();
  responder_.push_answer(standin::box::kCancel);
  EXPECT_EQ(window().MostraMessaggio("testo consegnato", 77192, 1, "Titolo"), standin::box::kCancel);
  EXPECT_EQ(window().MostraMessaggio("Testo così com'è", 0, 64, "Altro titolo"), standin::box::kOk);
  EXPECT_EQ(window().MostraMessaggio("Non sono ammesse date inferiori al ...", 77194, 48, "T",
                                     runtime::ParamList{Variant("01/03/2026")}),
            standin::box::kOk);

  ASSERT_EQ(messages().size(), 3u);
  EXPECT_EQ(messages()[0].number, 77192);
  EXPECT_EQ(messages()[0].text, "Pianificazione già esistente per la data corrente");
  EXPECT_EQ(messages()[0].style, 1);
  EXPECT_EQ(messages()[0].title, "Titolo");
  EXPECT_EQ(messages()[1].number, 0);
  EXPECT_EQ(messages()[1].text, "Testo così com'è");
  EXPECT_EQ(messages()[1].style, 64);
  EXPECT_EQ(messages()[1].title, "Altro titolo");
  EXPECT_EQ(messages()[2].text, "Non sono ammesse date inferiori al 01/03/2026");
}

TEST_P(WindowMessages, WithoutAContractTheNumberIsShownBeforeTheTextAndNothingIsTranslated) {
  // A window that the host never handed its contract.
  auto bare = std::make_shared<FRMPD_CALENDATT>();
  ASSERT_EQ(bare->ActiveInterface, nullptr);
  responder_.push_answer(standin::box::kYes);
  EXPECT_EQ(bare->MostraMessaggio("Proseguire?", 76346, 4, "Titolo"), standin::box::kYes);
  EXPECT_EQ(bare->MostraMessaggio("Solo testo", 0, 48, "Titolo"), standin::box::kOk);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0].text, "[x76346x] Proseguire?");
  EXPECT_EQ(messages()[0].style, 4);
  EXPECT_EQ(messages()[0].title, "Titolo");
  EXPECT_EQ(messages()[1].text, "[x0x] Solo testo");

  EXPECT_EQ(bare->TraduciMessaggio("l'orto", 77198, std::nullopt, 0), "[x77198x] l'orto");
  EXPECT_EQ(bare->TraduciMessaggio("l'orto e l'olivo", 77198, std::nullopt, 1), "l''orto e l''olivo");
}

TEST_P(WindowMessages, TranslationOfAMessageWithItsOptions) {
  open_main();
  // Number 0: the text itself, marked, or with its quotes doubled for SQL.
  EXPECT_EQ(window().TraduciMessaggio("l'orto", 0, std::nullopt, 0), "[x0x] l'orto");
  EXPECT_EQ(window().TraduciMessaggio("l'orto", 0, std::nullopt, 1), "l''orto");
  // A number: the dictionary's text, with quotes doubled for option 1; the text handed over is not used.
  EXPECT_EQ(window().TraduciMessaggio("altro", 77198, std::nullopt, 0),
            "La data selezionata non rientra nel periodo di pianificazione dell'attività");
  EXPECT_EQ(window().TraduciMessaggio("altro", 77198, std::nullopt, 1),
            "La data selezionata non rientra nel periodo di pianificazione dell''attività");
  EXPECT_EQ(window().TraduciMessaggio("", 77195, runtime::ParamList{Variant("31/03/2026")}, 0),
            "Non sono ammesse date superiori al 31/03/2026");
  EXPECT_TRUE(messages().empty());
}

TEST_P(WindowMessages, FormatoDBWritesEveryKindAndRefusesWhatCannotBeWritten) {
  open_main();
  auto& w = window();
  const std::string date_null =
      "Si sta tentando di assegnare il valore (data) null a un campo che non ammette null.";
  const std::string number_null =
      "Si sta tentando di assegnare il valore (numerico) null a un campo che non ammette null.";
  const std::string bad_date = "Errore nella conversione della data (Quentor.CLSFW_Date, metodo DBFormat)";

  // A text that is no date.
  EXPECT_TRUE(w.FormatoDB(Variant("31/02/2026"), 3, false).is_empty());
  EXPECT_EQ(w.last_format_error(), bad_date);

  // Texts, with every quote doubled.
  EXPECT_EQ(w.FormatoDB(Variant("l'orto ''"), 0, false), Variant("'l''orto '''''"));
  EXPECT_EQ(w.FormatoDB(Variant("l'orto"), 4, false), Variant("N'l''orto'"));
  // Numbers: kind 1 as a number, kind 2 through the host's number object.
  EXPECT_EQ(w.FormatoDB(Variant("12.5"), 1, false), Variant(12.5));
  EXPECT_EQ(w.FormatoDB(Variant(12.5), 2, false), Variant("12.5"));
  // Dates as the database's literal.
  EXPECT_EQ(w.FormatoDB(Variant("02/03/2026"), 3, false), Variant("'2026-03-02'"));
  EXPECT_EQ(w.FormatoDB(Variant(day("2026-03-31")), 3, false), Variant("'2026-03-31'"));
  EXPECT_EQ(w.last_format_error(), bad_date);  // values written leave the last error alone

  // Blank values: null where the column admits it, whatever the kind.
  for (std::int32_t kind : {0, 1, 2, 3, 4, 7})
    EXPECT_EQ(w.FormatoDB(Variant("   "), kind, true), Variant("null")) << kind;
  EXPECT_EQ(w.FormatoDB(Variant::null(), 3, true), Variant("null"));
  // Blank values where null is not admitted: texts stay empty literals without an error.
  EXPECT_EQ(w.FormatoDB(Variant("  "), 0, false), Variant("''"));
  EXPECT_EQ(w.FormatoDB(Variant(), 4, false), Variant("N''"));
  EXPECT_EQ(w.last_format_error(), bad_date);
  EXPECT_TRUE(w.FormatoDB(Variant::null(), 3, false).is_empty());
  EXPECT_EQ(w.last_format_error(), date_null);
  EXPECT_TRUE(w.FormatoDB(Variant(""), 1, false).is_empty());
  EXPECT_EQ(w.last_format_error(), number_null);
  EXPECT_TRUE(w.FormatoDB(Variant("  "), 3, false).is_empty());
  EXPECT_EQ(w.last_format_error(), date_null);
  EXPECT_TRUE(w.FormatoDB(Variant::null(), 2, false).is_empty());
  EXPECT_EQ(w.last_format_error(), number_null);
  EXPECT_TRUE(w.FormatoDB(Variant("1/13/2026"), 3, false).is_empty());
  EXPECT_EQ(w.last_format_error(), bad_date);

  // Unknown kinds give nothing and leave the last error as it was.
  EXPECT_TRUE(w.FormatoDB(Variant("x"), 5, false).is_empty());
  EXPECT_TRUE(w.FormatoDB(Variant("x"), -1, false).is_empty());
  EXPECT_TRUE(w.FormatoDB(Variant(""), 5, false).is_empty());
  EXPECT_TRUE(w.FormatoDB(Variant(""), -1, false).is_empty());
  EXPECT_EQ(w.last_format_error(), bad_date);

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

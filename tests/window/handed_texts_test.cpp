// Every text the module hands to the host with a message number is the dictionary's Italian text of that
// number. With the host's contract the dictionary shows its own text, so the texts are read here where
// the module shows them itself: in a window the host never handed its contract, which marks each text
// with its number ("[x77196x] E' necessario ...").
#include <regex>

#include "standin/dictionary.hpp"
#include "window/window_host.hpp"

namespace calendatt::testing {
namespace {

using runtime::Variant;

// The numbered pieces of a shown text, in order, each without the line break that joins it to the next.
std::vector<std::pair<std::int32_t, std::string>> numbered_pieces(const std::string& shown) {
  static const std::regex mark(R"(\[x(\d+)x\] ((?:(?!\[x\d+x\] )[\s\S])*))");
  std::vector<std::pair<std::int32_t, std::string>> out;
  for (auto it = std::sregex_iterator(shown.begin(), shown.end(), mark); it != std::sregex_iterator(); ++it) {
    std::string piece = (*it)[2];
    while (piece.ends_with("\r\n")) piece.resize(piece.size() - 2);
    out.emplace_back(std::stoi((*it)[1]), piece);
  }
  return out;
}

// The dictionary's Italian text of a number as a pattern: its placeholders stand for any parameter.
std::regex dictionary_pattern(std::int32_t number) {
  auto text = standin::Dictionary().translate(number, {});
  if (!text) throw std::runtime_error("no dictionary text for " + std::to_string(number));
  static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
  std::string escaped = std::regex_replace(*text, special, R"(\$&)");
  return std::regex(std::regex_replace(escaped, std::regex("%[1-9]"), "(.+)"));
}

class HandedTexts : public OnEngine<WindowScenario, Engine::SQLite> {
 protected:
  struct Row {
    std::int32_t number;
    std::function<void()> show;  // what makes the module hand the text over
    // The text differs from the dictionary's by design: the activity field's "not found" has no " !".
    std::string expected = {};
  };

  // Runs each row without the host's contract and checks every piece the row shows under its number.
  void check(const std::vector<Row>& rows) {
    window().ActiveInterface = nullptr;
    for (const Row& row : rows) {
      SCOPED_TRACE(row.number);
      responder_.clear_record();
      row.show();
      std::vector<std::string> shown;
      for (const auto& m : messages()) shown.push_back(m.text);
      if (!window().last_format_error().empty()) shown.push_back(window().last_format_error());
      int seen = 0;
      for (const auto& text : shown) {
        for (const auto& [number, piece] : numbered_pieces(text)) {
          if (number != row.number) continue;
          ++seen;
          if (!row.expected.empty())
            EXPECT_EQ(piece, row.expected);
          else
            EXPECT_TRUE(std::regex_match(piece, dictionary_pattern(number))) << piece;
        }
      }
      EXPECT_GT(seen, 0) << "the text was not shown";
    }
    window().ActiveInterface = module_;
  }

  // Runs a step the host's contract is needed for (the calendar's query, a dialog's load).
  void with_contract(const std::function<void()>& step) {
    window().ActiveInterface = module_;
    step();
    window().ActiveInterface = nullptr;
  }

  void format(const Variant& value, std::int32_t kind) { window().FormatoDB(value, kind, false); }
  void no_format_error() { window().FormatoDB(Variant("x"), 0, false); }
};

TEST_F(HandedTexts, TheWindowInFreeMode) {
  auto s = open_kept();
  auto new_row_on = [&](const char* iso) {
    frame().CancelEdit();
    new_row(*s, iso);
  };
  auto hours = [&](std::string h, std::string m) { window().CheckFormatoORE(h, m); };
  const std::vector<Row> rows = {
      {77196, [&] { new_row_on("2026-03-10"), frame().Save(true, 0, true); }},
      {77197,
       [&] {
         // Codes that do not resolve: the activity field says so, then the save.
         new_row_on("2026-03-10");
         enter_codes(*s, "PRJ001", "N01", "ATT99");
         enter_duration(*s, "1", "0");
         frame().Save(true, 0, true);
       },
       "Codice attività non trovato per il progetto/nodo"},
      {77197,
       [&] {
         // The node completes a triple that does not resolve.
         new_row_on("2026-03-10");
         s->code("TXT_CODATTIVITA")->type("ATT99");
         s->code("TXT_CODPROG")->type("PRJ001");
         s->code("TXT_CODNODO")->type("N01");
         s->code("TXT_CODNODO")->leave();
       }},
      {77200, [&] { new_row_on("2026-03-10"), enter_codes(*s, "PRJ001", "N01", "ATT05"); }},
      {77199,
       [&] {
         new_row_on("2026-04-10");
         responder_.push_answer(standin::box::kCancel);
         enter_codes(*s, "PRJ001", "N01", "ATT06");
       }},
      {77192, [&] { new_row_on("2026-03-02"), enter_codes(*s, "PRJ001", "N01", "ATT01"); }},
      {77198,
       [&] {
         new_row_on("2026-04-01");
         enter_codes(*s, "PRJ001", "N01", "ATT01");
         enter_duration(*s, "1", "0");
         frame().Save(true, 0, true);
       }},
      {77193,
       [&] {
         frame().CancelEdit();
         with_contract([&] { choose(*s, "2026-03-05"); });
         frame().DeleteRow();
       }},
      {77202, [&] { hours("25", "0"); }},
      {77203, [&] { hours("24", "1"); }},
      {77204, [&] { hours("1", "60"); }},
      {52517, [&] { format(Variant(""), 3); }},
      {52518, [&] { format(Variant(""), 1); }},
      {25382, [&] { format(Variant("31/02/2026"), 3); }},
  };
  check(rows);
  no_format_error();
  frame().CancelEdit();
}

TEST_F(HandedTexts, TheRangeDialogsAndTheCalendarInCalledMode) {
  call_for_planned_activity();
  auto& main = open_main();
  // Runs the actions in a range dialog without the contract, which its load and the button need.
  auto in_range = [&](const char* name, const char* button, std::function<void(HeadlessFormSite&)> fill) {
    in_dialog(name, [this, fill](HeadlessFormSite& s) {
      window().ActiveInterface = nullptr;
      fill(s);
      window().ActiveInterface = module_;
      if (!s.closed()) click(s, "BTN_ANNULLA");
    });
    with_contract([&] { press(main, button); });
  };
  auto insert = [&](std::function<void(HeadlessFormSite&)> fill) {
    in_range(kInsertName, "BTN_INSMULTIPLO", fill);
  };
  auto insert_range = [&](std::string from, std::string to) {
    insert([=](HeadlessFormSite& s) { generate(s, from, to, "1", "1", "0", 0); });
  };
  auto remove = [&](std::string from, std::string to) {
    in_range(kDeleteName, "BTN_CANCMULTIPLA", [=](HeadlessFormSite& s) { delete_range(s, from, to, "1"); });
  };
  const std::vector<Row> rows = {
      {29648, [&] { insert([](HeadlessFormSite& s) { click(s, "BTN_CONFERMA"); }); }},
      {34941, [&] { insert_range("10/03/2026", "09/03/2026"); }},
      {77194,
       [&] {
         insert([](HeadlessFormSite& s) { type_date(s, "TXT_DATAINIZIALE", "28/02/2026"), leave(s); });
       }},
      {77195,
       [&] { insert([](HeadlessFormSite& s) { type_date(s, "TXT_DATAFINALE", "01/04/2026"), leave(s); }); }},
      {77201, [&] { insert_range("02/03/2026", "03/03/2026"); }},
      {42123, [&] { insert_range("20/03/2026", "20/03/2026"); }},
      {77207, [&] { responder_.push_answer(standin::box::kNo), remove("02/03/2026", "06/03/2026"); }},
      {77208, [&] { responder_.push_answer(standin::box::kNo), remove("02/03/2026", "06/03/2026"); }},
      {76346, [&] { responder_.push_answer(standin::box::kNo), remove("02/03/2026", "06/03/2026"); }},
      {77205, [&] { remove("04/03/2026", "05/03/2026"); }},
      {77206, [&] { remove("23/03/2026", "25/03/2026"); }},
      // The calendar itself.
      {77194, [&] { choose(main, "2026-02-27"); }},
      {77195, [&] { choose(main, "2026-04-02"); }},
      {77192,
       [&] {
         with_contract([&] { choose(main, "2026-03-02"); });
         frame().NewRow();
       }},
  };
  check(rows);
}

}  // namespace
}  // namespace calendatt::testing

// The journal the database keeps, read by `history` and put back by `undo`, on both engines: the counts of
// each action, a change made with plain SQL as an action of its own, an undo that puts back exactly what
// one action did (deleted days with their own keys), refused when another action changed a day since, and
// undone in turn.
#include "cli/cli_runner.hpp"

namespace cli::testing {
namespace {

class CliJournal : public calendatt::testing::OnEachEngine<CliScenario> {
 protected:
  void SetUp() override {
    CliScenario::SetUp();
    if (!HasFatalFailure()) add_long_activity("2030-12-31");
  }
  // "command,added,changed,deleted" of every action, newest first.
  std::vector<std::string> history() {
    auto r = run({"history", "--format", "csv"});
    EXPECT_EQ(r.status, 0) << r.all_err();
    std::vector<std::string> out;
    auto lines = split_lines(r.out);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      // action,when,who,command,added,changed,deleted: the command may be quoted, the counts are not.
      const std::string& line = lines[i];
      std::size_t counts = line.size();
      for (int n = 0; n < 3; ++n) counts = line.rfind(',', counts - 1);
      std::size_t command = 0;
      for (int n = 0; n < 3; ++n) command = line.find(',', command) + 1;
      if (line[command] == '"') ++command;
      out.push_back(line.substr(command, line.find_first_of(" ,\"", command) - command) +
                    line.substr(counts));
    }
    return out;
  }
  std::string action_of(std::size_t newest) {
    auto lines = split_lines(run({"history", "--format", "csv"}).out);
    return lines.at(1 + newest).substr(0, lines.at(1 + newest).find(','));
  }
  // Every day of LONG1, key and all: "id date hours:minutes".
  std::string long_days() const {
    std::string out;
    for (const auto& row :
         raw_->rows("SELECT PD4G_IDCALENDARIO || ' ' || PD4G_DATAATTIVITA || ' ' || PD4G_DURATAORE || ':' || "
                    "PD4G_DURATAMINUTI || ' ' || PD4G_ANNOATTIVITA || PD4G_ORAFINE FROM PD4G_CALENDATT WHERE "
                    "PD4G_IDLEGAME_PD0H = 1999 ORDER BY 1"))
      out += row + "\n";
    return out;
  }
};

TEST_P(CliJournal, HistoryCountsEachActionAndUndoPutsBackExactlyIt) {
  ASSERT_EQ(run(long1("add-range --from 2027-01-01 --to 2027-01-10 --every 1 --hours 2 --yes")).status, 0);
  const std::string generation = action_of(0);
  ASSERT_EQ(
      run(long1("add-range --from 2027-01-01 --to 2027-01-03 --every 1 --hours 5 --existing overwrite --yes"))
          .status,
      0);
  // Two of the five days to delete carry resources.
  for (const char* date : {"2027-01-05", "2027-01-07"})
    raw_->exec(
        "INSERT INTO PD4H_ALLRISPROG (PD4H_IDCALENDARIO_PD4G, PD4H_CODRISORSA, PD4H_ORE) SELECT "
        "PD4G_IDCALENDARIO, 'R', 1 FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999 AND "
        "PD4G_DATAATTIVITA = '" +
        std::string(date) + "'");
  const std::string before_deletion = long_days();
  ASSERT_EQ(run(long1("delete-range --from 2027-01-04 --to 2027-01-08 --every 1 --yes")).status, 0);
  ASSERT_EQ(run(long1("set-day --day 2027-01-10 --hours 7")).status, 0);
  // A day written with plain SQL is an action of its own.
  raw_->exec(
      "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
      "PD4G_DATAATTIVITA) "
      "VALUES (1, 201, 1999, '2027-02-01')");
  EXPECT_EQ(history(), (std::vector<std::string>{"SQL,1,0,0", "set-day,0,1,0", "delete-range,0,0,3",
                                                 "add-range,0,3,0", "add-range,10,0,0", "init,7,0,0"}));
  const std::string deletion = action_of(2), overwrite = action_of(3);

  // The deletion put back: the same rows, keys included, and the allocations' days are there again.
  auto undo = run({"undo", "--action", deletion, "--yes"});
  ASSERT_EQ(undo.status, 0) << undo.all_err();
  raw_->exec(
      "DELETE FROM PD4G_CALENDATT WHERE PD4G_DATAATTIVITA = '2027-02-01' AND PD4G_IDLEGAME_PD0H = 1999");
  raw_->exec(
      "UPDATE PD4G_CALENDATT SET PD4G_DURATAORE = 2, PD4G_ORAFINE = 2 WHERE PD4G_IDLEGAME_PD0H = 1999 AND "
      "PD4G_DATAATTIVITA = '2027-01-10'");
  EXPECT_EQ(long_days(), before_deletion);
  // The overwrite put back: the first three days have their two hours again.
  ASSERT_EQ(run({"undo", "--action", overwrite, "--yes"}).status, 0);
  EXPECT_EQ(
      count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999 AND PD4G_DURATAORE = 2"),
      10);

  // An action whose days changed since is not undone, and the refusal names the day and the action.
  auto first = run({"undo", "--action", generation, "--yes", "--lang", "en"});
  EXPECT_EQ(first.status, 1);
  EXPECT_TRUE(first.has_line_starting("calendatt: the day 2027-01-01 was changed since, by action "))
      << first.all_err();
  EXPECT_EQ(count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999"), 10);

  // An undo is an action: undoing it applies the overwrite again.
  ASSERT_EQ(run({"undo", "--action", action_of(0), "--yes"}).status, 0);
  EXPECT_EQ(
      count("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDLEGAME_PD0H = 1999 AND PD4G_DURATAORE = 5"), 3);

  // Pruning takes the company's journal rows and nothing of the calendar.
  const int days = calendar_rows(), journal = count("SELECT COUNT(*) FROM CALENDATT_GIORNALE");
  auto pruned = run({"history", "--prune-before", "2999-01-01", "--lang", "en", "--company", "2"});
  EXPECT_EQ(pruned.out.rfind("Removed ", 0), 0u) << pruned.out << pruned.all_err();
  EXPECT_LT(count("SELECT COUNT(*) FROM CALENDATT_GIORNALE"), journal);
  ASSERT_EQ(run({"history", "--prune-before", "2999-01-01"}).status, 0);
  EXPECT_EQ(count("SELECT COUNT(*) FROM CALENDATT_GIORNALE") + count("SELECT COUNT(*) FROM CALENDATT_AZIONI"),
            0);
  EXPECT_EQ(calendar_rows(), days);
}

CALENDATT_ON_EACH_ENGINE(CliJournal);

}  // namespace
}  // namespace cli::testing

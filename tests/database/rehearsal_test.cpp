// How statements take effect on both engines: each on its own, outside a rehearsal; nothing written in a
// rehearsal survives it. The statement observer gets the rows each write changed, while the caller's
// result stays as without it; a counting observer gets only the counts, and the write tally counts the
// calendar's rows.
#include "database/rehearsal.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "database/connection.hpp"
#include "database/statement_observer.hpp"
#include "planner/write_tally.hpp"
#include "runtime/error.hpp"
#include "support/engines.hpp"

namespace calendatt::testing {
namespace {

class DatabaseAction : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    if (GetParam() == Engine::PostgreSQL) {
      ASSERT_FALSE(test_server().empty()) << kNoServer;
    }
    db_ = std::make_unique<ScratchDatabase>(GetParam());
    db_->create()->Close();
    raw_ = db_->raw();
    raw_->exec("CREATE TABLE action_probe (id INTEGER PRIMARY KEY, name VARCHAR(20))");
  }

  std::shared_ptr<host::Connection> open() {
    auto c = database::new_connection();
    c->Open(db_->connection_string(), "", "", -1);
    return c;
  }
  static void run(host::Connection& c, const std::string& sql) {
    c.Execute(sql, host::kAdCmdText | host::kAdExecuteNoRecords);
  }
  static void insert(host::Connection& c, int id) {
    run(c, "INSERT INTO action_probe (id, name) VALUES (" + std::to_string(id) + ", 'n" + std::to_string(id) +
               "')");
  }
  static long count(host::Connection& c) {
    return c.Execute("SELECT COUNT(*) AS N FROM action_probe", host::kAdCmdText)->Field("N").to_long();
  }
  // The ids another session of the database sees.
  std::vector<std::string> seen() const {
    std::vector<std::string> ids;
    for (const std::string& row : raw_->rows("SELECT id FROM action_probe"))  // "type:value|"
      ids.push_back(row.substr(row.find(':') + 1, row.size() - row.find(':') - 2));
    return ids;
  }

  std::unique_ptr<ScratchDatabase> db_;
  std::unique_ptr<RawAccess> raw_;
};

using Ids = std::vector<std::string>;

TEST_P(DatabaseAction, EachStatementTakesEffectOnItsOwn) {
  auto c = open();
  insert(*c, 1);
  EXPECT_EQ(seen(), Ids{"1"});
  // A failing statement undoes only itself; the next one goes on.
  EXPECT_THROW(insert(*c, 1), runtime::Error);
  insert(*c, 2);
  EXPECT_EQ(seen(), (Ids{"1", "2"}));
  // Nothing is left open between statements: another session writes at once.
  raw_->exec("INSERT INTO action_probe (id, name) VALUES (3, 'other')");
  EXPECT_EQ(count(*c), 3);
}

TEST_P(DatabaseAction, NothingWrittenInItSurvivesWhatWouldHaveCommitted) {
  insert(*open(), 1);
  {
    database::Rehearsal rehearsal;
    EXPECT_TRUE(database::rehearsing());
    auto c = open();
    for (int id : {2, 3, 4}) insert(*c, id);
    EXPECT_EQ(count(*c), 4);
    EXPECT_EQ(seen(), Ids{"1"});
    // A connection that closes in the rehearsal does not commit either.
    auto closed = open();
    insert(*closed, 5);
    closed->Close();
    auto dropped = open();
    insert(*dropped, 6);
    dropped.reset();
    EXPECT_EQ(count(*c), 6);
    EXPECT_EQ(seen(), Ids{"1"});
  }
  EXPECT_FALSE(database::rehearsing());
  EXPECT_EQ(seen(), Ids{"1"});
  // After it, the connections commit as before.
  insert(*open(), 7);
  EXPECT_EQ(seen(), (Ids{"1", "7"}));
}

TEST_P(DatabaseAction, TheConnectionsOpenedInItSeeEachOthersRows) {
  database::Rehearsal rehearsal;
  auto window = open();
  auto dialog = open();
  insert(*window, 1);
  EXPECT_EQ(count(*dialog), 1);
  insert(*dialog, 2);
  dialog->Close();
  EXPECT_EQ(count(*window), 2);
  // A connection opened after another closed still finds its rows, and closes as any other.
  auto later = open();
  EXPECT_EQ(count(*later), 2);
  later->Close();
  EXPECT_EQ(later->State(), host::kAdStateClosed);
  EXPECT_THROW(later->Close(), runtime::Error);
  EXPECT_EQ(seen(), Ids{});
}

struct Recorder : database::StatementObserver {
  std::vector<database::ObservedStatement> seen;
  void statement_ran(const database::ObservedStatement& s) override { seen.push_back(s); }
};

TEST_P(DatabaseAction, TheObserverGetsTheRowsEachWriteChanged) {
  auto c = open();
  insert(*c, 1);
  insert(*c, 2);
  Recorder recorder;
  database::StatementObserver* before = database::observe_statements(&recorder);
  insert(*c, 3);
  // The same values written again are a write all the same.
  auto result = c->Execute("UPDATE action_probe SET name = 'n1' WHERE id = 1", host::kAdCmdText);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->State(), host::kAdStateClosed);  // no rows for the caller, as without the observer
  EXPECT_EQ(c->RowsAffected(), 1);
  run(*c, "DELETE FROM action_probe WHERE id >= 2;");
  EXPECT_EQ(count(*c), 1);                                      // reads are not reported
  run(*c, "UPDATE action_probe SET name = 'x' WHERE id = 99");  // changes nothing
  EXPECT_THROW(insert(*c, 1), runtime::Error);                  // fails: not reported
  EXPECT_EQ(database::observe_statements(before), &recorder);

  using Kind = database::ObservedStatement::Kind;
  ASSERT_EQ(recorder.seen.size(), 4u);
  auto row_text = [](const database::ObservedStatement& s, std::size_t r) {
    std::string text;
    for (std::size_t i = 0; i < s.columns.size(); ++i)
      text += s.columns[i] + "=" + s.rows[r][i].to_string() + ";";
    return text;
  };
  const auto& added = recorder.seen[0];
  EXPECT_EQ(added.kind, Kind::kInsert);
  EXPECT_EQ(added.rows_changed, 1);
  ASSERT_TRUE(added.rows_known);
  ASSERT_EQ(added.rows.size(), 1u);
  EXPECT_EQ(row_text(added, 0), "ID=3;NAME=n3;");
  const auto& same = recorder.seen[1];
  EXPECT_EQ(same.kind, Kind::kUpdate);
  EXPECT_EQ(same.text.find("RETURNING"), std::string::npos);
  ASSERT_EQ(same.rows.size(), 1u);
  EXPECT_EQ(row_text(same, 0), "ID=1;NAME=n1;");
  const auto& gone = recorder.seen[2];
  EXPECT_EQ(gone.kind, Kind::kDelete);
  EXPECT_EQ(gone.rows_changed, 2);
  ASSERT_EQ(gone.rows.size(), 2u);
  std::vector<std::string> deleted = {row_text(gone, 0), row_text(gone, 1)};
  std::sort(deleted.begin(), deleted.end());
  EXPECT_EQ(deleted, (std::vector<std::string>{"ID=2;NAME=n2;", "ID=3;NAME=n3;"}));
  EXPECT_EQ(recorder.seen[3].rows_changed, 0);
  EXPECT_TRUE(recorder.seen[3].rows.empty());
}

TEST_P(DatabaseAction, ACountingObserverGetsTheCountsOfTheStatementsAsWritten) {
  auto c = open();
  auto day = [](int id) {
    return "INSERT INTO PD4G_CALENDATT (PD4G_IDCALENDARIO, PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, "
           "PD4G_IDLEGAME_PD0H, PD4G_DATAATTIVITA, PD4G_DURATAORE) VALUES (" +
           std::to_string(id) + ", 1, 1, 1, '2030-01-0" + std::to_string(id) + "', 1)";
  };
  Recorder rows;
  database::StatementObserver* before = database::observe_statements(&rows);
  {
    planner::WriteTally tally;
    run(*c, day(1));
    run(*c, day(2));
    run(*c, "UPDATE PD4G_CALENDATT SET PD4G_DURATAORE = 2 WHERE PD4G_IDCALENDARIO > 0");
    run(*c, "DELETE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 2");
    EXPECT_THROW(run(*c, day(1)), runtime::Error);
    insert(*c, 9);  // another table's rows are not the calendar's
    // Rows written by another session meanwhile are not this run's.
    raw_->exec(day(7));
    const planner::WrittenRows w = tally.rows();
    EXPECT_EQ(w.added, 2);
    EXPECT_EQ(w.changed, 2);
    EXPECT_EQ(w.deleted, 1);
  }
  // The observer that was there before still got every write, with its rows.
  EXPECT_EQ(database::observe_statements(before), &rows);
  ASSERT_EQ(rows.seen.size(), 5u);
  EXPECT_TRUE(rows.seen[2].rows_known);
  // Alone, the tally wants no rows: the statement runs as written.
  struct Counter : database::StatementObserver {
    std::vector<database::ObservedStatement> seen;
    void statement_ran(const database::ObservedStatement& s) override { seen.push_back(s); }
    bool wants_rows() const override { return false; }
  } counter;
  before = database::observe_statements(&counter);
  run(*c, "UPDATE PD4G_CALENDATT SET PD4G_DURATAORE = 3");
  database::observe_statements(before);
  ASSERT_EQ(counter.seen.size(), 1u);
  EXPECT_EQ(counter.seen[0].rows_changed, 2);
  EXPECT_FALSE(counter.seen[0].rows_known);
}

CALENDATT_ON_EACH_ENGINE(DatabaseAction);

TEST(StatementObserverText, TheClauseIsAddedOnceAndOnlyToWrites) {
  using Kind = database::ObservedStatement::Kind;
  Kind kind{};
  EXPECT_TRUE(database::write_kind("  delete FROM t", kind));
  EXPECT_EQ(kind, Kind::kDelete);
  EXPECT_TRUE(database::write_kind("\nUpdate t SET a = 1", kind));
  EXPECT_EQ(kind, Kind::kUpdate);
  EXPECT_FALSE(database::write_kind("SELECT 'INSERT'", kind));
  EXPECT_FALSE(database::write_kind("INSERTED", kind));
  EXPECT_EQ(database::with_returning("DELETE FROM t WHERE a = 1 ; \n"),
            "DELETE FROM t WHERE a = 1 RETURNING *");
  EXPECT_EQ(database::with_returning("INSERT INTO t (a) VALUES (1) RETURNING a"), "");
  EXPECT_EQ(database::written_table(" insert into pd4g_calendatt (a) values (1)"), "PD4G_CALENDATT");
  EXPECT_EQ(database::written_table("DELETE FROM PD4G_CALENDATT WHERE a = 1"), "PD4G_CALENDATT");
  EXPECT_EQ(database::written_table("SELECT 1"), "");
  // A word inside a literal is not a clause.
  EXPECT_EQ(database::with_returning("UPDATE t SET a = 'returning'"),
            "UPDATE t SET a = 'returning' RETURNING *");
}

}  // namespace
}  // namespace calendatt::testing

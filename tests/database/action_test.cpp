// The person's action on both engines: what the connections write inside it is one transaction that
// others see only when it commits; a statement on a second connection first commits the first one; a
// failing statement undoes only itself; a connection closed inside the action keeps what it wrote.
#include "database/action.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "database/connection.hpp"
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
  static void insert(host::Connection& c, int id) {
    c.Execute("INSERT INTO action_probe (id, name) VALUES (" + std::to_string(id) + ", 'n" +
                  std::to_string(id) + "')",
              host::kAdCmdText | host::kAdExecuteNoRecords);
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

TEST_P(DatabaseAction, OutsideAnActionEachStatementCommitsAndInsideItTheActionCommitsOnce) {
  auto c = open();
  insert(*c, 1);
  EXPECT_EQ(seen(), Ids{"1"});
  {
    database::ActionScope action;
    EXPECT_TRUE(database::action_open());
    insert(*c, 2);
    insert(*c, 3);
    // The connection reads its own rows; another session does not see them yet.
    EXPECT_EQ(c->Execute("SELECT COUNT(*) AS N FROM action_probe", host::kAdCmdText)->Field("N").to_long(),
              3);
    EXPECT_EQ(seen(), Ids{"1"});
    // What is shown to the person commits first.
    database::commit_action();
    EXPECT_EQ(seen(), (Ids{"1", "2", "3"}));
    insert(*c, 4);
    EXPECT_EQ(seen(), (Ids{"1", "2", "3"}));
  }
  EXPECT_FALSE(database::action_open());
  EXPECT_EQ(seen(), (Ids{"1", "2", "3", "4"}));
}

TEST_P(DatabaseAction, NestedScopesKeepTheActionOpenAndEachCommitsWhenItEnds) {
  auto c = open();
  database::ActionScope outer;
  insert(*c, 1);
  {
    database::ActionScope inner;
    insert(*c, 2);
    EXPECT_EQ(seen(), Ids{});
  }
  EXPECT_EQ(seen(), (Ids{"1", "2"}));
  EXPECT_TRUE(database::action_open());
  insert(*c, 3);
  EXPECT_EQ(seen(), (Ids{"1", "2"}));
  database::commit_action();
  EXPECT_EQ(seen(), (Ids{"1", "2", "3"}));
}

TEST_P(DatabaseAction, AStatementOnAnotherConnectionSeesWhatTheFirstWrote) {
  auto window = open();
  auto dialog = open();
  database::ActionScope action;
  insert(*window, 1);
  // The dialog's connection reads the window's row, and writes a row the window then reads: no wait for
  // a lock of this same process.
  EXPECT_EQ(dialog->Execute("SELECT COUNT(*) AS N FROM action_probe", host::kAdCmdText)->Field("N").to_long(),
            1);
  EXPECT_EQ(seen(), Ids{"1"});
  insert(*dialog, 2);
  EXPECT_EQ(window->Execute("SELECT COUNT(*) AS N FROM action_probe", host::kAdCmdText)->Field("N").to_long(),
            2);
  EXPECT_EQ(seen(), (Ids{"1", "2"}));
}

TEST_P(DatabaseAction, AFailingStatementUndoesOnlyItself) {
  auto c = open();
  {
    database::ActionScope action;
    insert(*c, 1);
    EXPECT_THROW(insert(*c, 1), runtime::Error);  // the key exists
    EXPECT_FALSE(c->Errors().empty());
    // The action goes on: the earlier row and the later ones are kept (Ignore), and the failed statement
    // may run again (Retry).
    insert(*c, 2);
    EXPECT_THROW(c->Execute("UPDATE action_probe SET id = 2 WHERE id = 1", host::kAdCmdText), runtime::Error);
    insert(*c, 3);
  }
  EXPECT_EQ(seen(), (Ids{"1", "2", "3"}));
}

TEST_P(DatabaseAction, ClosingOrDroppingAConnectionKeepsWhatItWrote) {
  database::ActionScope action;
  auto closed = open();
  insert(*closed, 1);
  closed->Close();
  EXPECT_EQ(seen(), Ids{"1"});
  auto dropped = open();
  insert(*dropped, 2);
  dropped.reset();
  EXPECT_EQ(seen(), (Ids{"1", "2"}));
}

TEST_P(DatabaseAction, ALongActionCommitsWhatItWroteEveryHalfSecond) {
  auto c = open();
  database::ActionScope action;
  insert(*c, 1);
  EXPECT_EQ(seen(), Ids{});
  std::this_thread::sleep_for(database::kActionCommitInterval + std::chrono::milliseconds(50));
  // The next statement finds the transaction old: what came before it is committed.
  insert(*c, 2);
  EXPECT_EQ(seen(), Ids{"1"});
}

CALENDATT_ON_EACH_ENGINE(DatabaseAction);

}  // namespace
}  // namespace calendatt::testing

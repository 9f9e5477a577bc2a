// Roles of a shared server: the owner grants a planner write on company 1 and read on company 2, a
// viewer read on company 1; each command as each role, and the same writes made with plain SQL, which
// the database itself refuses.
#include <unistd.h>

#include <atomic>

#include "cli/cli_runner.hpp"

namespace cli::testing {
namespace {

using calendatt::testing::ServerSession;

class CliRoles : public calendatt::testing::OnEngine<CliScenario, Engine::PostgreSQL> {
 protected:
  void SetUp() override {
    CliScenario::SetUp();
    if (HasFatalFailure()) return;
    static std::atomic<int> counter{0};
    const std::string suffix = std::to_string(getpid()) + "_" + std::to_string(counter++);
    planner_ = "calendatt_planner_" + suffix;
    viewer_ = "calendatt_viewer_" + suffix;
    ServerSession admin(calendatt::testing::test_server());
    for (const auto& role : {planner_, viewer_}) admin.exec("CREATE ROLE " + role + " LOGIN");
    for (const auto& [role, company, access] :
         {std::tuple{planner_, "1", "write"}, {planner_, "2", "read"}, {viewer_, "1", "read"}}) {
      auto r = run({"grant", "--role", role, "--company", company, "--access", access, "--lang", "en"});
      ASSERT_EQ(r.status, 0) << r.all_err();
    }
  }
  void TearDown() override {
    CliScenario::TearDown();  // the database goes first, with the rights granted in it
    if (planner_.empty()) return;
    ServerSession admin(calendatt::testing::test_server());
    for (const auto& role : {planner_, viewer_}) admin.exec("DROP ROLE IF EXISTS " + role);
  }
  std::string as(const std::string& role) const { return db_->target() + " user=" + role; }
  CliResult run_as(const std::string& role, std::vector<std::string> args) {
    args.insert(args.end(), {"--db", as(role), "--lang", "en"});
    return run_program(std::move(args), db_->dir().string());
  }
  std::string company_days(int company) const {
    return raw_->value(
        "SELECT COUNT(*) || '/' || SUM(PD4G_DURATAORE) FROM PD4G_CALENDATT WHERE "
        "PD4G_DITTA_CG18 = " +
        std::to_string(company));
  }

  std::string planner_, viewer_;
};

const std::vector<std::string> kForeign = {"--project", "PRJ900", "--node", "Z01", "--activity", "ATT01"};

TEST_F(CliRoles, EachRoleReadsAndWritesOnlyItsGrantedCompanies) {
  const std::string before1 = company_days(1), before2 = company_days(2);
  // What the database enforces, whatever the program checks first: writes refused, nothing written,
  // nothing of a company shown to a role that may not read it.
  struct Case {
    std::string role;
    std::vector<std::string> args;
    int status;
    std::string hidden;  // never in standard output
  };
  const Case cases[] = {
      {planner_, words("add-day --company 2 --day 2026-03-10 --hours 3", kForeign), 3, ""},
      {planner_,
       words("add-range --company 2 --from 2026-03-10 --to 2026-03-12 --every 1 --hours 3", kForeign), 3, ""},
      {planner_, words("delete-day --company 2 --day 2026-03-02", kForeign), 3, ""},
      {planner_, words("set-day --company 2 --day 2026-03-02 --hours 1", kForeign), 3, ""},
      {viewer_, words("set-day --day 2026-03-02 --hours 1", kAtt01), 3, ""},
      {viewer_, words("delete-range --from 2026-03-01 --to 2026-03-31 --every 1 --yes", kAtt01), 3, ""},
      {viewer_, words("history --prune-before 2030-01-01"), 3, ""},
      {viewer_, words("list --company 2 --day 2026-03-02"), -1, "PRJ900"},
      {viewer_, words("days --company 2", kForeign), -1, "2026-03-02"},
      {viewer_, words("export-ics --company 2", kForeign), -1, "20260302"},
  };
  for (const Case& c : cases) {
    auto r = run_as(c.role, c.args);
    if (c.status >= 0) {
      EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.args[2] << "\n" << r.all_err();
    }
    if (!c.hidden.empty()) {
      EXPECT_EQ(r.out.find(c.hidden), std::string::npos) << r.out;
    }
  }
  EXPECT_EQ(company_days(1), before1);
  EXPECT_EQ(company_days(2), before2);
  // The planner writes its own company and reads the other; the viewer's listing leaves company 2 out.
  EXPECT_EQ(run_as(planner_, words("add-day --day 2026-03-10 --hours 3", kAtt01)).status, 0);
  EXPECT_NE(company_days(1), before1);
  EXPECT_NE(run_as(planner_, words("list --company 2 --day 2026-03-02")).out.find("PRJ900"),
            std::string::npos);
  EXPECT_EQ(run_as(viewer_, {"contents"}).out.find("PRJ900"), std::string::npos);
}

TEST_F(CliRoles, TheProgramSaysSoFirstInOneLineOfTheRunsLanguage) {
  auto grants = run({"grants", "--lang", "en"});
  EXPECT_EQ(grants.out, "ROLE\tCOMPANY\tACCESS\n" + planner_ + "\t1\twrite\n" + planner_ + "\t2\tread\n" +
                            viewer_ + "\t1\tread\n");
  const std::string before = company_days(1) + company_days(2);
  const std::tuple<std::string, std::vector<std::string>, std::string> refusals[] = {
      {planner_, words("add-day --company 2 --day 2026-03-10 --hours 3 --lang en", kForeign),
       "calendatt: the role " + planner_ + " may not write company 2, only read it: nothing was written"},
      {viewer_, words("delete-day --day 2026-03-02", kAtt01),
       "calendatt: il ruolo " + viewer_ + " non può scrivere la ditta 1, solo leggerla"},
      {viewer_, words("list --company 2 --lang en"),
       "calendatt: the role " + viewer_ + " may not read company 2"},
  };
  for (const auto& [role, args, line] : refusals) {
    auto r = run_program(with(args, {"--db", as(role)}), db_->dir().string());
    EXPECT_EQ(r.status, 3);
    ASSERT_EQ(r.err.size(), 1u) << r.all_err();
    EXPECT_EQ(r.err[0].rfind(line, 0), 0u) << r.err[0];
  }
  EXPECT_EQ(company_days(1) + company_days(2), before);
  // A password written in --db works, after one warning.
  auto secret =
      run_program(with(words("list --day 2026-03-02 --lang en"), {"--db", as(viewer_) + " password=x"}),
                  db_->dir().string());
  EXPECT_EQ(secret.status, 0);
  ASSERT_EQ(secret.err.size(), 1u) << secret.all_err();
  EXPECT_NE(secret.err[0].find("visible to other users of this machine"), std::string::npos) << secret.err[0];
  EXPECT_NE(secret.err[0].find(".pgpass"), std::string::npos) << secret.err[0];
  // Grants are the owner's: a planner cannot give itself more, nor run init over the owner's tables.
  auto self = run_as(planner_, {"grant", "--role", planner_, "--company", "2", "--access", "write"});
  EXPECT_EQ(self.status, 3);
  EXPECT_NE(self.all_err().find("only the tables' owner"), std::string::npos) << self.all_err();
  auto init = run_as(planner_, {"init"});
  EXPECT_EQ(init.status, 3);
  ASSERT_EQ(init.err.size(), 1u) << init.all_err();
  EXPECT_NE(init.err[0].find("the database denied this role the right to do that"), std::string::npos)
      << init.err[0];
}

TEST_F(CliRoles, TheDatabaseRefusesPlainSqlOfOtherCompaniesAndRevokingTakesEffectAtOnce) {
  ServerSession planner(as(planner_));
  const std::string before2 = company_days(2);
  for (const char* sql : {
           "UPDATE PD4G_CALENDATT SET PD4G_DITTA_CG18 = 2 WHERE PD4G_IDCALENDARIO = 1",
           "UPDATE PD4G_CALENDATT SET PD4G_DURATAORE = 1 WHERE PD4G_DITTA_CG18 = 2",
           "DELETE FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 2",
           "INSERT INTO PD4G_CALENDATT (PD4G_DITTA_CG18, PD4G_IDDISBAPROG_PD0G, PD4G_IDLEGAME_PD0H, "
           "PD4G_DATAATTIVITA) VALUES (2, 901, 1901, '2026-03-20')",
           "UPDATE PD4G_CALENDATT SET PD4G_DITTA_CG18 = 1 WHERE PD4G_DITTA_CG18 = 2",
           "INSERT INTO CALENDATT_PERMESSI VALUES (current_user, 3, 'write')",
       })
    EXPECT_ANY_THROW(planner.exec(sql)) << sql;
  EXPECT_EQ(company_days(2), before2);
  EXPECT_EQ(planner.value("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 2"), "2");
  // Revoked: the next statement of the same session sees nothing of company 2, and the next command too.
  ASSERT_EQ(run({"revoke", "--role", planner_, "--company", "2"}).status, 0);
  EXPECT_EQ(planner.value("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 2"), "0");
  EXPECT_EQ(run_as(planner_, words("list --company 2 --day 2026-03-02")).out.find("PRJ900"),
            std::string::npos);
  // The last grant gone, so are the table rights: not even company 1 is read.
  ASSERT_EQ(run({"revoke", "--role", planner_, "--company", "1"}).status, 0);
  EXPECT_ANY_THROW(planner.exec("SELECT 1 FROM PD4G_CALENDATT"));
  EXPECT_EQ(run({"revoke", "--role", planner_, "--company", "1"}).status, 1);
}

TEST(CliRolesOnFiles, GrantsAreForServersOnly) {
  calendatt::testing::ScratchDatabase db(Engine::SQLite);
  for (const char* line : {"grant --role mario --company 1 --access read --db ", "grants --db "}) {
    auto r = run_program(words(line + db.target()), db.dir().string());
    EXPECT_EQ(r.status, 2);
    ASSERT_EQ(r.err.size(), 1u);
    EXPECT_NE(r.err[0].find("decidono i permessi del file stesso"), std::string::npos) << r.err[0];
  }
}

}  // namespace
}  // namespace cli::testing

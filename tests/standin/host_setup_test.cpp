// The stand-in host put together: registration, the module's contract, and the host's own queries.
#include <gtest/gtest.h>

#include "database/sqlite_connection.hpp"
#include "database/temp_database.hpp"
#include "host/registry.hpp"
#include "host/services.hpp"
#include "runtime/date.hpp"
#include "runtime/error.hpp"
#include "standin/host_setup.hpp"

namespace standin {
namespace {

using runtime::Variant;

TEST(HostEnvironment, RegistersItsClassesForItsLifetime) {
  ScriptedResponder responder;
  std::string form_before = runtime::short_date_form();
  {
    HostEnvironment env(HostSettings{"", 3, "yyyy-mm-dd", "en"}, responder);
    EXPECT_EQ(runtime::short_date_form(), "yyyy-mm-dd");
    env.register_classes();
    auto& registry = host::Registry::instance();
    EXPECT_EQ(registry.create_as<host::FormFactory>(host::progid::kFormFactory), env.forms());
    // Each creation is a new object; the multilanguage one speaks the environment's language through its
    // responder.
    auto ml = registry.create_as<host::Multilanguage>(host::progid::kMultilanguage);
    EXPECT_NE(ml, registry.create_as<host::Multilanguage>(host::progid::kMultilanguage));
    EXPECT_NE(ml, env.global()->ClsMultilingua());
    EXPECT_EQ(ml->Translate(42732, {}), "Hours");
    ml->KVOMsgBox("[x0x] ciao", 64, "t");
    EXPECT_EQ(responder.messages().size(), 1u);
    auto log = registry.create_as<host::ErrorDisplay>(host::progid::kErrorDisplay);
    responder.push_answer(box::kAbort);
    std::int32_t extra = 0;
    EXPECT_EQ(log->ShowReport("MERIDAL", "c", "r", 4370, extra), box::kAbort);
    for (const char* id : {host::progid::kDate, host::progid::kNumber, host::progid::kConnectionFactory,
                           host::progid::kRecordService, host::progid::kLookup, host::progid::kDecode,
                           host::progid::kMaintenanceProg, host::progid::kMaintenanceProd,
                           host::progid::kRecordFrame, host::progid::kGridDefinition})
      EXPECT_TRUE(registry.create(id)) << id;

    ScriptedResponder other_responder;
    HostEnvironment other(HostSettings{}, other_responder);
    EXPECT_THROW(other.register_classes(), std::logic_error);
    EXPECT_THROW(HostEnvironment(HostSettings{"", 1, "dd/mm/yyyy", "xx"}, other_responder), runtime::Error);
  }
  for (const char* id :
       {host::progid::kMultilanguage, host::progid::kFormFactory, host::progid::kRecordFrame})
    EXPECT_FALSE(host::Registry::instance().contains(id)) << id;
  EXPECT_EQ(runtime::short_date_form(), form_before);
}

TEST(HostEnvironment, HandsTheModuleItsContract) {
  ScriptedResponder responder;
  HostEnvironment env(HostSettings{}, responder);
  auto module = env.create_module();
  ASSERT_TRUE(module);
  EXPECT_EQ(module->Cinterface_ClsGlobal(), env.global());
  EXPECT_EQ(module->Cinterface_ActiveNavigator(), env.navigator());
  ASSERT_TRUE(module->Cinterface_ClsVoceMenu());
  EXPECT_EQ(module->Cinterface_ClsVoceMenu()->Text(), "Calendario attività WBS");
  EXPECT_EQ(module->Cinterface_StatusBar(), env.status_bar());
  EXPECT_EQ(module->Cinterface_Caption(), Variant("Calendario attività WBS"));
  EXPECT_TRUE(responder.unanswered().empty());
}

TEST(HostEnvironment, RunsTheHostsQueriesOnTheSettingsDatabase) {
  database::testing::TempDatabase scratch;
  std::string path = scratch.path();
  database::open_or_create(path)->Execute("CREATE TABLE T (A INTEGER)", 129);
  ScriptedResponder responder;
  HostEnvironment env(HostSettings{"Data Source=" + path}, responder);
  EXPECT_EQ(env.run_query("SELECT COUNT(*) AS N FROM T")->Field("N"), Variant(std::int32_t{0}));
  // New settings take another database.
  HostSettings elsewhere = env.settings();
  elsewhere.connection_string = "Data Source=" + (scratch.dir() / "missing.db").string();
  env.apply_settings(elsewhere);
  EXPECT_THROW(env.run_query("SELECT 1"), runtime::Error);
}

}  // namespace
}  // namespace standin

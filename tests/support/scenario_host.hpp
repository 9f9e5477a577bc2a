#pragma once
// The scenario fixture of the headless host: a demo database of one engine (engines.hpp), the stand-in
// host with a scripted responder, and the module created and shown as the host does. A test fixture
// runs on both engines by deriving from OnEachEngine<...> and naming itself in CALENDATT_ON_EACH_ENGINE.
// Every SQL text the module sends (queries opened on a recordset and statements executed) is recorded, so
// that a test can check the texts the database receives.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calendar_window/frmpd_calendatt.hpp"
#include "common/mdlpd_calendatt.hpp"
#include "database/connection.hpp"
#include "database/demo.hpp"
#include "database/engine_recordset.hpp"
#include "database/sqlite_connection.hpp"
#include "database/temp_database.hpp"
#include "host/registry.hpp"
#include "module/clspd_calendatt.hpp"
#include "runtime/date.hpp"
#include "standin/host_setup.hpp"
#include "standin/record_frame.hpp"
#include "standin/services.hpp"
#include "standin/wbs_services.hpp"
#include "support/engines.hpp"

namespace calendatt::testing {

using standin::HeadlessFormSite;

// The SQL texts sent to the database, in order; a test may make chosen statements fail as the database
// would.
struct SqlLog {
  std::vector<std::string> texts;
  // Asked for every text before it runs; true makes that call fail with a provider error.
  std::function<bool(const std::string&)> fail_when;

  void record(const std::string& sql) {
    texts.push_back(sql);
    if (fail_when && fail_when(sql))
      throw runtime::Error(database::kCommandError, "Errore simulato del database", "SQLite provider");
  }

  std::vector<std::string> starting_with(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& t : texts)
      if (t.rfind(prefix, 0) == 0) out.push_back(t);
    return out;
  }
  std::size_t count_containing(const std::string& fragment) const {
    return static_cast<std::size_t>(std::count_if(texts.begin(), texts.end(), [&](const std::string& t) {
      return t.find(fragment) != std::string::npos;
    }));
  }
};

class RecordingConnection : public database::Connection {
 public:
  explicit RecordingConnection(std::shared_ptr<SqlLog> log) : log_(std::move(log)) {}
  std::shared_ptr<host::Recordset> Execute(const std::string& sql, std::int32_t options) override {
    log_->record(sql);
    return Connection::Execute(sql, options);
  }

 private:
  std::shared_ptr<SqlLog> log_;
};

class RecordingRecordset : public database::EngineRecordset {
 public:
  explicit RecordingRecordset(std::shared_ptr<SqlLog> log) : log_(std::move(log)) {}
  void Open(const std::string& source, const std::shared_ptr<host::Connection>& connection,
            std::int32_t cursor_type, std::int32_t lock_type, std::int32_t options) override {
    log_->record(source);
    EngineRecordset::Open(source, connection, cursor_type, lock_type, options);
  }

 private:
  std::shared_ptr<SqlLog> log_;
};

class RecordingConnectionFactory : public host::ConnectionFactory {
 public:
  explicit RecordingConnectionFactory(std::shared_ptr<SqlLog> log) : log_(std::move(log)) {}
  std::shared_ptr<host::Connection> NewConnection() override {
    return std::make_shared<RecordingConnection>(log_);
  }

 private:
  std::shared_ptr<SqlLog> log_;
};

class RecordingRecordService : public host::RecordService {
 public:
  explicit RecordingRecordService(std::shared_ptr<SqlLog> log) : log_(std::move(log)) {}
  std::shared_ptr<host::Recordset> NewRecordset() override {
    return std::make_shared<RecordingRecordset>(log_);
  }

 private:
  std::shared_ptr<SqlLog> log_;
};

// One calendar day as stored.
struct StoredDay {
  std::string date;
  int year, month, day, start_hour, start_minute, end_hour, end_minute, hours, minutes;
  bool operator==(const StoredDay&) const = default;
};

inline void PrintTo(const StoredDay& d, std::ostream* os) {
  *os << d.date << " " << d.start_hour << ":" << d.start_minute << "-" << d.end_hour << ":" << d.end_minute
      << " (" << d.hours << "h" << d.minutes << ") " << d.year << "/" << d.month << "/" << d.day;
}

class HostScenario : public ::testing::Test {
 protected:
  static constexpr const char* kInsertName = "FRMPD_ADDCALENDATT";
  static constexpr const char* kDeleteName = "FRMPD_DELCALENDATT";
  static constexpr const char* kInsertCaption = "Inserimento multiplo calendario attività";
  static constexpr const char* kDeleteCaption = "Cancellazione multipla calendario attività";

  std::unique_ptr<ScratchDatabase> db_;
  std::unique_ptr<RawAccess> raw_;
  std::shared_ptr<SqlLog> sql_ = std::make_shared<SqlLog>();
  standin::ScriptedResponder responder_;
  std::unique_ptr<standin::HostEnvironment> env_;
  std::shared_ptr<host::Cinterface> module_;
  std::shared_ptr<CLSPD_CALENDATT> class_;

  // The engine the scenario runs on.
  virtual Engine engine() const = 0;

  void SetUp() override {
    if (engine() == Engine::PostgreSQL) {
      ASSERT_FALSE(test_server().empty()) << kNoServer;
    }
    db_ = std::make_unique<ScratchDatabase>(engine());
    db_->create(true)->Close();
    raw_ = db_->raw();
    MDLPD_CALENDATT::reset();
    standin::HostSettings settings;
    settings.connection_string = db_->connection_string();
    settings.company = database::demo::kCompany;
    env_ = std::make_unique<standin::HostEnvironment>(settings, responder_);
    env_->register_classes();
    auto log = sql_;
    env_->add_class(host::progid::kConnectionFactory,
                    [log] { return std::make_shared<RecordingConnectionFactory>(log); });
    env_->add_class(host::progid::kRecordService,
                    [log] { return std::make_shared<RecordingRecordService>(log); });
    add_missing<standin::StandinLookupService>(host::progid::kLookup);
    add_missing<standin::StandinDecodeService>(host::progid::kDecode);
    add_missing<standin::StandinMaintenanceProg>(host::progid::kMaintenanceProg);
    add_missing<standin::StandinMaintenanceProd>(host::progid::kMaintenanceProd);
    add_missing<standin::StandinRecordFrame>(host::progid::kRecordFrame);
    add_missing<standin::StandinGridDefinition>(host::progid::kGridDefinition);
    module_ = env_->create_module();
    class_ = std::dynamic_pointer_cast<CLSPD_CALENDATT>(module_);
    ASSERT_TRUE(class_);
  }

  void TearDown() override {
    // A row still being entered would make the host's close ask for it to be saved; the person cancels it.
    if (class_ && class_->window() && class_->window()->frame()) class_->window()->frame()->CancelEdit();
    if (module_ && class_->window()) {
      EXPECT_TRUE(module_->Cinterface_CloseForm().to_bool()) << "the window refused to close";
    }
    class_.reset();
    module_.reset();
    env_.reset();
    raw_.reset();
    db_.reset();
    MDLPD_CALENDATT::reset();
    EXPECT_TRUE(responder_.unanswered().empty()) << responder_.unanswered().front();
  }

  template <class T>
  void add_missing(const char* prog_id) {
    if (!host::Registry::instance().contains(prog_id))
      env_->add_class(prog_id, [] { return std::make_shared<T>(); });
  }

  // Called mode: the host opens the calendar on one activity, with its codes, ids and planning period.
  void call_for(const std::string& project, const std::string& node, const std::string& activity,
                double node_id, double link_id, const std::string& start_iso, const std::string& end_iso) {
    module_->let_Cinterface_IsCalled(true);
    class_->set_pCodProgetto(project);
    class_->set_pCodNodo(node);
    class_->set_pCodAttivita(activity);
    class_->set_pIDDisBaProgWBS(node_id);
    class_->set_pIDLegameWBS(link_id);
    class_->set_pDataInizioWBS(runtime::date_text(*runtime::parse_date(start_iso)));
    class_->set_pDataFineWBS(*runtime::parse_date(end_iso));
  }

  // The demo activity PRJ001 / N01 / ATT01, planned in March 2026.
  void call_for_planned_activity() {
    call_for("PRJ001", "N01", "ATT01", database::demo::kNodeDesign, database::demo::kLinkPlanned,
             "2026-03-01", "2026-03-31");
  }

  // Shows the calendar window (modeless) and returns its site.
  HeadlessFormSite& open_main() {
    module_->Cinterface_ShowForm();
    auto site = env_->forms()->site("FRMPD_CALENDATT");
    if (!site) throw std::runtime_error("the calendar window did not open");
    return *site;
  }

  // Makes the first `times` statements that contain `fragment` fail, from now on.
  void fail_next(const std::string& fragment, int times = 1) {
    auto left = std::make_shared<int>(times);
    sql_->fail_when = [fragment, left](const std::string& sql) {
      if (*left <= 0 || sql.find(fragment) == std::string::npos) return false;
      --*left;
      return true;
    };
  }

  // Queues what the person does in a dialog the next time it shows.
  void in_dialog(const char* name, std::function<void(HeadlessFormSite&)> action) {
    env_->forms()->script(name, std::move(action));
  }

  // Presses a toolbar button of the calendar window; the dialog runs its queued actions.
  void press(HeadlessFormSite& main, const char* button) {
    sql_->texts.clear();
    ASSERT_TRUE(main.button(button)->click());
  }

  std::vector<std::string> failures() const { return env_->forms()->failures(); }

  // ---- What a person does in a dialog.

  // Types into a code field; the control decodes a changed code when the field is left.
  static void type(HeadlessFormSite& s, const char* field, const std::string& text) {
    ASSERT_TRUE(s.code(field)->type(text)) << field;
  }
  static void type_date(HeadlessFormSite& s, const char* field, const std::string& text) {
    ASSERT_TRUE(s.date(field)->type(text)) << field;
  }
  static void type_number(HeadlessFormSite& s, const char* field, const std::string& text) {
    ASSERT_TRUE(s.numeric(field)->type(text)) << field;
  }
  // The person clicks elsewhere in the window, leaving the focused field; false when its validation kept
  // the focus.
  static bool leave(HeadlessFormSite& s) { return s.focus("FrameMain"); }
  static void click(HeadlessFormSite& s, const char* button) { s.button(button)->click(); }

  // Fills the insertion dialog's range and presses Conferma.
  static void generate(HeadlessFormSite& s, const std::string& from, const std::string& to,
                       const std::string& every, const std::string& hours, const std::string& minutes,
                       int treatment) {
    type_date(s, "TXT_DATAINIZIALE", from);
    type_date(s, "TXT_DATAFINALE", to);
    type_number(s, "TXT_RIPETIOGNI", every);
    type(s, "TXT_ORE", hours);
    type(s, "TXT_MINUTI", minutes);
    ASSERT_TRUE(s.combo("CBO_VARPRESENTI")->choose(treatment));
    click(s, "BTN_CONFERMA");
  }

  // Fills the deletion dialog's range and presses Conferma.
  static void delete_range(HeadlessFormSite& s, const std::string& from, const std::string& to,
                           const std::string& every) {
    type_date(s, "TXT_DATAINIZIALE", from);
    type_date(s, "TXT_DATAFINALE", to);
    type_number(s, "TXT_CANCELLAOGNI", every);
    click(s, "BTN_CONFERMA");
  }

  // ---- The database.

  // The calendar days of an activity (company 1), ordered by date.
  std::vector<StoredDay> days_of(int link) const {
    std::vector<StoredDay> out;
    for (const auto& row : raw_->rows("SELECT PD4G_DATAATTIVITA, PD4G_ANNOATTIVITA, PD4G_MESEATTIVITA, "
                                      "PD4G_GGATTIVITA, PD4G_ORAINIZIO, "
                                      "PD4G_MININIZIO, PD4G_ORAFINE, PD4G_MINFINE, PD4G_DURATAORE, "
                                      "PD4G_DURATAMINUTI FROM PD4G_CALENDATT "
                                      "WHERE PD4G_DITTA_CG18 = 1 AND PD4G_IDLEGAME_PD0H = " +
                                      std::to_string(link))) {
      // "type:value|" per column
      std::vector<std::string> v;
      std::size_t pos = 0;
      while (pos < row.size()) {
        std::size_t colon = row.find(':', pos), bar = row.find('|', pos);
        v.push_back(row.substr(colon + 1, bar - colon - 1));
        pos = bar + 1;
      }
      auto n = [&](int i) { return std::stoi(v[static_cast<std::size_t>(i)]); };
      out.push_back(StoredDay{v[0], n(1), n(2), n(3), n(4), n(5), n(6), n(7), n(8), n(9)});
    }
    std::sort(out.begin(), out.end(), [](const StoredDay& a, const StoredDay& b) { return a.date < b.date; });
    return out;
  }

  std::vector<std::string> dates_of(int link) const {
    std::vector<std::string> out;
    for (const auto& d : days_of(link)) out.push_back(d.date);
    return out;
  }

  int count(const std::string& sql) const { return std::stoi(raw_->value(sql)); }

  // ---- Messages.

  const std::vector<standin::ShownMessage>& messages() const { return responder_.messages(); }
  std::vector<std::int32_t> message_numbers() const {
    std::vector<std::int32_t> out;
    for (const auto& m : messages()) out.push_back(m.number);
    return out;
  }
};

}  // namespace calendatt::testing

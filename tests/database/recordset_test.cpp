#include "database/engine_recordset.hpp"

#include <gtest/gtest.h>

#include "database/demo.hpp"
#include "runtime/error.hpp"
#include "temp_database.hpp"

namespace database {
namespace {

using runtime::Date;
using runtime::Variant;

template <class F>
std::int32_t error_number(F&& f, std::string* description = nullptr) {
  try {
    f();
  } catch (const runtime::Error& e) {
    if (description) *description = e.description();
    return e.number();
  }
  ADD_FAILURE() << "no error raised";
  return 0;
}

Date at(int y, unsigned m, unsigned d, int h = 0, int min = 0) {
  return Date{Date::from_ymd(y, m, d).serial + (h * 60 + min) / 1440.0};
}

class DatabaseRecordset : public ::testing::Test {
 protected:
  void SetUp() override { connection_ = db_.create(true); }

  std::shared_ptr<EngineRecordset> open(const std::string& sql) {
    auto rs = std::make_shared<EngineRecordset>();
    rs->Open(sql, connection_, host::kAdOpenUnspecified, host::kAdLockUnspecified, host::kAdCmdText);
    return rs;
  }
  std::shared_ptr<EngineRecordset> calendar(const std::string& day, const std::string& link = "") {
    return open(testing::calendar_query(demo::kCompany, day, "", link, "", ""));
  }
  std::string raw(const std::string& sql) { return testing::RawDatabase(db_.path()).value(sql); }

  testing::TempDatabase db_;
  std::shared_ptr<SqliteConnection> connection_;
};

TEST_F(DatabaseRecordset, EachValueKeepsItsType) {
  connection_->Execute(
      "CREATE TABLE T (ID INTEGER PRIMARY KEY, I INTEGER, R REAL, S TEXT, D DATE, DT DATETIME, "
      "B BLOB, U)",
      129);
  struct Case {
    const char* name;
    std::string column, stored;
    Variant expected;
  };
  const std::vector<Case> cases = {
      {"32-bit integer", "I", "-2147483648", Variant(std::int32_t{-2147483647 - 1})},
      {"integer above 32 bits", "I", "3000000000", Variant(3000000000.0)},
      {"integer at 2^53", "I", "9007199254740992", Variant(9007199254740992.0)},
      {"real", "R", "1.5", Variant(1.5)},
      {"whole real", "R", "2.0", Variant(2.0)},
      {"ISO text in a text column", "S", "'2026-03-01'", Variant("2026-03-01")},
      {"date column", "D", "'2026-03-01'", Variant(at(2026, 3, 1))},
      {"date and time column", "DT", "'2026-03-01 08:30:00'", Variant(at(2026, 3, 1, 8, 30))},
      {"date column holding other text", "D", "'domani'", Variant("domani")},
      {"null", "D", "NULL", Variant::null()},
      {"blob", "B", "x'00ff41'",
       Variant(std::string("\0\xff"
                           "A",
                           3))},
      {"untyped column with an ISO date", "U", "'2026-12-31'", Variant(at(2026, 12, 31))},
      {"untyped column with an impossible date", "U", "'2026-02-30'", Variant("2026-02-30")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    connection_->Execute("DELETE FROM T", 129);
    connection_->Execute("INSERT INTO T (" + c.column + ") VALUES (" + c.stored + ")", 129);
    EXPECT_EQ(open("SELECT * FROM T")->Field(c.column), c.expected);
  }

  // Never rounded: above 2^53 the value cannot be read.
  connection_->Execute("UPDATE T SET I = 9007199254740993", 129);
  std::string description;
  EXPECT_EQ(error_number([&] { open("SELECT I FROM T"); }, &description), runtime::err::kOverflow);
  EXPECT_NE(description.find("9007199254740993"), std::string::npos) << description;
}

TEST_F(DatabaseRecordset, ExpressionsHoldingIsoDatesReadAsDates) {
  auto start = open(
      "SELECT PD0H_IDLEGAME, \r\n CASE WHEN (PD0H_DATAINIZPIAN IS NOT NULL) OR (PD0H_DATAFINPIAN IS NOT "
      "NULL) \r\n     "
      "THEN PD0H_DATAINIZPIAN ELSE PD0H_DATAINIZPREV END AS PD0H_DATAINIZPIAN \r\n FROM PD0H_LEGDISBAPROG "
      "WHERE PD0H_IDLEGAME IN (1004, 1005) ORDER BY PD0H_IDLEGAME");
  EXPECT_EQ(start->Field("PD0H_DATAINIZPIAN"), Variant(at(2026, 3, 1)));  // forecast start
  start->MoveNext();
  EXPECT_EQ(start->Field("PD0H_DATAINIZPIAN"), Variant::null());
  EXPECT_EQ(
      open("SELECT '2026-03-01 08:00:00' AS X, 'ATT01' AS Y, COUNT(*) AS N FROM PD0G_DISBAPROG")->Field("X"),
      Variant(at(2026, 3, 1, 8)));
  auto other = open("SELECT 'ATT01' AS Y, COUNT(*) AS N FROM PD0G_DISBAPROG");
  EXPECT_EQ(other->Field("y"), Variant("ATT01"));
  EXPECT_EQ(other->Field("n"), Variant(static_cast<std::int32_t>(demo::kNodes.size())));
}

TEST_F(DatabaseRecordset, ExactCountAndNavigation) {
  auto empty = calendar("2026-01-01");
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_TRUE(empty->Eof());
  EXPECT_TRUE(empty->Bof());
  EXPECT_EQ(empty->AbsolutePosition(), -1);
  EXPECT_EQ(error_number([&] { empty->MoveFirst(); }), 3021);
  EXPECT_EQ(error_number([&] { empty->Field("PD4G_DATAATTIVITA"); }), 3021);
  EXPECT_EQ(empty->FieldNames().size(), 20u);

  auto days = calendar("", std::to_string(demo::kLinkPlanned));
  ASSERT_EQ(days->RecordCount(), 6);
  EXPECT_FALSE(days->Bof());
  int seen = 0;
  for (; !days->Eof(); days->MoveNext()) EXPECT_EQ(days->AbsolutePosition(), seen++);
  EXPECT_EQ(seen, 6);
  EXPECT_EQ(error_number([&] { days->MoveNext(); }), 3021);
  days->MoveLast();
  days->MovePrevious();
  EXPECT_EQ(days->AbsolutePosition(), 4);
  days->SetAbsolutePosition(0);
  days->MovePrevious();
  EXPECT_TRUE(days->Bof());
  EXPECT_EQ(error_number([&] { days->MovePrevious(); }), 3021);
  EXPECT_EQ(error_number([&] { days->SetAbsolutePosition(6); }), 3001);

  std::string description;
  days->MoveFirst();
  EXPECT_EQ(days->Field("pd4g_dataattivita"), days->Field("PD4G_DATAATTIVITA"));
  EXPECT_TRUE(days->HasField("Pd4g_IdLegame_Ini"));
  EXPECT_EQ(error_number([&] { days->Field("PD4G_CODPROG_PD68"); }, &description), 3265);
  EXPECT_NE(description.find("PD4G_CODPROG_PD68"), std::string::npos);
  // By position, as the grid reads its rows: the same values, and the same refusals.
  const auto names = days->FieldNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string lower = names[i];
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(days->FieldIndex(lower), static_cast<std::int32_t>(i)) << names[i];
    EXPECT_EQ(days->FieldAt(static_cast<std::int32_t>(i)), days->Field(names[i])) << names[i];
  }
  EXPECT_EQ(days->FieldIndex("PD4G_CODPROG_PD68"), -1);
  EXPECT_EQ(error_number([&] { days->FieldAt(static_cast<std::int32_t>(names.size())); }), 3265);
  EXPECT_EQ(error_number([&] { empty->FieldAt(0); }), 3021);

  days->Close();
  EXPECT_EQ(days->State(), host::kAdStateClosed);
  EXPECT_EQ(error_number([&] { days->RecordCount(); }), kObjectClosed);
}

TEST_F(DatabaseRecordset, UpdateWritesConvertedValuesWithParameters) {
  runtime::set_short_date_form("dd/mm/yyyy");
  auto day = calendar("2026-03-09");
  ASSERT_EQ(day->RecordCount(), 1);
  day->SetField("PD4G_DATAATTIVITA", "10/03/2026");
  day->SetField("PD4G_ANNOATTIVITA", " 2026 ");
  day->SetField("PD4G_GGATTIVITA", 10.0);
  day->SetField("PD4G_DURATAORE", "6");
  day->SetField("PD06_IDMEDIA_CG99", Variant::null());
  EXPECT_TRUE(day->EditPending());
  EXPECT_EQ(day->Field("PD4G_DATAATTIVITA"), Variant(at(2026, 3, 10)));  // converted at once
  day->Update();
  EXPECT_FALSE(day->EditPending());
  EXPECT_EQ(raw("SELECT typeof(PD4G_DATAATTIVITA) || ' ' || PD4G_DATAATTIVITA || ' ' || "
                "typeof(PD4G_ANNOATTIVITA) || "
                "' ' || typeof(PD4G_GGATTIVITA) || ' ' || PD4G_DURATAORE FROM PD4G_CALENDATT WHERE "
                "PD4G_IDCALENDARIO = 6"),
            "text 2026-03-10 integer integer 6");

  // UpdateBatch of the current record is the same write.
  day->SetField("PD4G_DURATAMINUTI", 15);
  day->UpdateBatch(host::kAdAffectCurrent);
  EXPECT_EQ(raw("SELECT PD4G_DURATAMINUTI FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 6"), "15");

  // Moving away writes pending changes, as the original provider does.
  auto allocations = open("SELECT * FROM PD4H_ALLRISPROG ORDER BY PD4H_IDALLRIS");
  allocations->SetField("PD4H_CODRISORSA", "l'orto; DROP TABLE PD4G_CALENDATT");
  allocations->MoveNext();
  EXPECT_EQ(raw("SELECT PD4H_CODRISORSA FROM PD4H_ALLRISPROG ORDER BY PD4H_IDALLRIS"),
            "l'orto; DROP TABLE PD4G_CALENDATT");
}

TEST_F(DatabaseRecordset, RefusedWrites) {
  auto day = calendar("2026-03-09");
  struct Case {
    const char* name;
    std::string field;
    Variant value;
    std::int32_t number;
  };
  for (const Case& c : std::vector<Case>{
           {"alias of the node id", "PD4G_IDDISBAPROG_PD68", Variant(5), -2147217887},
           {"alias of the link id", "PD4G_IDLEGAME_FIN", Variant(5), -2147217887},
           {"impossible date", "PD4G_DATAATTIVITA", Variant("31/02/2026"), runtime::err::kTypeMismatch},
           {"text that is no number", "PD4G_DURATAORE", Variant("otto"), runtime::err::kTypeMismatch},
           {"fraction in a whole-number column", "PD4G_DURATAORE", Variant(0.5), runtime::err::kTypeMismatch},
           {"fraction as text in a whole-number column", "PD4G_DURATAMINUTI", Variant(".9"),
            runtime::err::kTypeMismatch},
           {"unknown field", "PD4G_CODATTIVITA_PD0D", Variant("ATT01"), 3265},
       }) {
    SCOPED_TRACE(c.name);
    std::string description;
    EXPECT_EQ(error_number([&] { day->SetField(c.field, c.value); }, &description), c.number);
    EXPECT_NE(description.find(c.field), std::string::npos) << description;
  }
  EXPECT_FALSE(day->EditPending());
  // CancelUpdate restores the row, and takes back a row added.
  Variant hours = day->Field("PD4G_DURATAORE");
  day->SetField("PD4G_DURATAORE", 1);
  day->CancelUpdate();
  EXPECT_EQ(day->Field("PD4G_DURATAORE"), hours);
  day->AddNew();
  EXPECT_EQ(day->RecordCount(), 2);
  day->CancelUpdate();
  EXPECT_EQ(day->RecordCount(), 1);
  EXPECT_EQ(day->Field("PD4G_DURATAORE"), hours);

  auto expression = open("SELECT PD4G_DURATAORE * 60 AS MINUTI FROM PD4G_CALENDATT");
  EXPECT_EQ(error_number([&] { expression->SetField("MINUTI", 1); }), -2147217887);

  // Without the row id among the fields, or without a row id at all, the row cannot be found again.
  auto no_key = open("SELECT PD4G_DURATAORE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 1");
  no_key->SetField("PD4G_DURATAORE", 1);
  EXPECT_EQ(error_number([&] { no_key->Update(); }), 3251);
  no_key->CancelUpdate();
  auto project = open("SELECT * FROM PD68_PROGETTI");
  project->SetField("PD68_DESCRIZIONE", "x");
  EXPECT_EQ(error_number([&] { project->Update(); }), 3251);
  project->CancelUpdate();
  EXPECT_EQ(raw("SELECT PD4G_DURATAORE FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = 1"), "8");
}

TEST_F(DatabaseRecordset, AddNewInsertsAndReadsTheRowBack) {
  auto day = calendar("2026-03-10", std::to_string(demo::kLinkPlanned));
  ASSERT_EQ(day->RecordCount(), 0);
  day->AddNew();
  EXPECT_TRUE(day->IsNewRow());
  const std::vector<std::pair<std::string, Variant>> values = {
      {"PD4G_DITTA_CG18", 1},         {"PD4G_IDDISBAPROG_PD0G", 101.0},
      {"PD4G_IDLEGAME_PD0H", 1001.0}, {"PD4G_DATAATTIVITA", "10/03/2026"},
      {"PD4G_ANNOATTIVITA", 2026},    {"PD4G_MESEATTIVITA", 3},
      {"PD4G_GGATTIVITA", 10},        {"PD4G_ORAINIZIO", 0},
      {"PD4G_MININIZIO", 0},          {"PD4G_ORAFINE", "7"},
      {"PD4G_MINFINE", "0"},          {"PD4G_DURATAORE", "7"},
      {"PD4G_DURATAMINUTI", ""}};
  for (const auto& [field, value] : values) day->SetField(field, value);
  day->Update();
  EXPECT_FALSE(day->IsNewRow());
  EXPECT_EQ(day->RecordCount(), 1);
  // The generated id and the aliases of the written ids are read back.
  Variant id = day->Field("PD4G_IDCALENDARIO");
  EXPECT_GT(id.to_long(), static_cast<std::int32_t>(demo::kDays.size()));
  EXPECT_EQ(day->Field("PD4G_IDDISBAPROG_PD68"), Variant(demo::kNodeDesign));
  EXPECT_EQ(day->Field("PD4G_IDLEGAME_FIN"), Variant(demo::kLinkPlanned));
  EXPECT_EQ(day->Field("PD4G_DURATAMINUTI"), Variant::null());
  EXPECT_EQ(raw("SELECT PD4G_DATAATTIVITA || ' ' || PD4G_DURATAORE || ' ' || typeof(PD4G_IDLEGAME_PD0H) FROM "
                "PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = " +
                id.to_string()),
            "2026-03-10 7 integer");
  EXPECT_EQ(calendar("2026-03-10")->RecordCount(), 1);
}

TEST_F(DatabaseRecordset, DeleteRemovesTheRowFromTableAndRecordset) {
  // Days that carry resources are never deleted (the schema's key): these carry none.
  raw("DELETE FROM PD4H_ALLRISPROG");
  auto days = calendar("", std::to_string(demo::kLinkPlanned));
  ASSERT_EQ(days->RecordCount(), 6);
  days->SetAbsolutePosition(2);
  Variant next = [&] {
    days->MoveNext();
    Variant v = days->Field("PD4G_IDCALENDARIO");
    days->MovePrevious();
    return v;
  }();
  Variant deleted = days->Field("PD4G_IDCALENDARIO");
  days->Delete();
  EXPECT_EQ(days->RecordCount(), 5);
  EXPECT_EQ(error_number([&] { days->Field("PD4G_IDCALENDARIO"); }), -2147217885);
  days->MoveNext();
  EXPECT_EQ(days->Field("PD4G_IDCALENDARIO"), next);
  EXPECT_EQ(raw("SELECT COUNT(*) FROM PD4G_CALENDATT WHERE PD4G_IDCALENDARIO = " + deleted.to_string()), "0");

  // The last row: after Delete and MoveNext the recordset is at EOF.
  days->MoveLast();
  days->Delete();
  EXPECT_FALSE(days->Eof());
  days->MoveNext();
  EXPECT_TRUE(days->Eof());
  EXPECT_EQ(days->RecordCount(), 4);
}

}  // namespace
}  // namespace database

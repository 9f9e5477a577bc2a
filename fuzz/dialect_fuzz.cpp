// Dialect adaptation and literal folding against SQLite itself, on a small in-memory calendar table.
//
// The first byte chooses how the rest is read:
//  - even: a filter built from a grammar of the module's condition shapes. The same tree is written
//    twice: as the module writes it for the server (N'...', WITH (NOLOCK), TOP n, numbers glued to the
//    next keyword) and as plain SQLite text (LIMIT n, no hints, no folding). The adapted server text must
//    give exactly the rows of the plain text, in the same order.
//  - odd: the bytes are one SQL text. When SQLite runs it as it is and it uses none of the server forms,
//    the adapted text must give the same rows, or be refused as a whole (an error of its own).
// Anything else (a crash, a sanitizer report, a different result) stops the run.

#include <sqlite3.h>

#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "database/dialect.hpp"

namespace {

constexpr int kStepLimit = 200000;  // virtual machine steps per query before it is interrupted

// Authorizer: reading and deterministic functions only; nothing that writes, attaches or changes
// settings, and nothing whose value depends on the order rows are visited in.
int authorize(void*, int action, const char* a, const char*, const char*, const char*) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    case SQLITE_FUNCTION: {
      // Functions whose value depends on chance, on earlier statements or on the order rows are visited
      // in (a sum of reals rounds differently in another order).
      static const std::string kDenied =
          " random randomblob group_concat string_agg json_group_array json_group_object changes"
          " total_changes last_insert_rowid row_number rank dense_rank percent_rank cume_dist ntile lag lead"
          " first_value last_value nth_value load_extension sqlite_offset sum total avg ";
      std::string name = " ";
      for (const char* c = a; c && *c; ++c)
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
      return kDenied.find(name + " ") == std::string::npos ? SQLITE_OK : SQLITE_DENY;
    }
    default:
      return SQLITE_DENY;
  }
}

int progress(void* counter) {
  return ++*static_cast<int*>(counter) > kStepLimit / 100 ? 1 : 0;
}

struct Database {
  sqlite3* db = nullptr;
  int steps = 0;

  Database() {
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) std::abort();
    const char* setup =
        "CREATE TABLE PD4G_CALENDATT (ID INTEGER PRIMARY KEY, PD4G_DITTA INTEGER, PD4G_IDLEGAME_PD0H INTEGER,"
        " PD4G_DATAATTIVITA TEXT, PD4G_CODICE TEXT, PD4G_ORE REAL);"
        "CREATE INDEX PD4G_DAY ON PD4G_CALENDATT (PD4G_DITTA, PD4G_DATAATTIVITA);"
        "INSERT INTO PD4G_CALENDATT VALUES"
        " (1, 1, 1901, '2026-03-01', 'ATT01', 8),"
        " (2, 1, 1901, '2026-03-02', 'ATT01', 7.5),"
        " (3, 1, 1902, '2026-03-01', 'L''ORTO', 4),"
        " (4, 2, 1901, '2026-03-01', 'Z01', 8),"
        " (5, 1, 0, '2026-03-03', '', 0),"
        " (6, 1, NULL, NULL, NULL, NULL),"
        " (7, 2, 1902, '2026-02-28', 'a', 1),"
        " (8, 1, 1001, '2026-03-01', 'A', 2),"
        " (9, 0, -1, '2026-03-10', ' a', 0.5),"
        " (10, 1, 1901, '2026-03-01 08:00:00', 'a ', 3);";
    if (sqlite3_exec(db, setup, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    sqlite3_set_authorizer(db, authorize, nullptr);
    sqlite3_progress_handler(db, 100, progress, &steps);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 100000);
  }
};

Database& database() {
  static Database d;
  return d;
}

struct Result {
  bool ok = false;
  bool interrupted = false;
  bool single = true;  // one statement, nothing after it
  std::string error;
  std::vector<std::string> rows;
};

Result run(const std::string& sql) {
  Database& d = database();
  Result r;
  d.steps = 0;
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(d.db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail);
  if (rc != SQLITE_OK || !stmt) {
    r.error = sqlite3_errmsg(d.db);
    r.interrupted = rc == SQLITE_INTERRUPT;
    sqlite3_finalize(stmt);
    return r;
  }
  for (const char* c = tail; c && *c; ++c)
    if (*c != ' ' && *c != '\n' && *c != '\t' && *c != '\r') r.single = false;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    std::string row;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const unsigned char* text = sqlite3_column_text(stmt, i);
      int length = sqlite3_column_bytes(stmt, i);
      row += std::to_string(sqlite3_column_type(stmt, i)) + ":";
      if (text) row.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
      row += '|';
    }
    r.rows.push_back(std::move(row));
  }
  r.ok = rc == SQLITE_DONE;
  if (!r.ok) {
    r.error = sqlite3_errmsg(d.db);
    r.interrupted = rc == SQLITE_INTERRUPT;
  }
  sqlite3_finalize(stmt);
  return r;
}

[[noreturn]] void finding(const char* what, const std::string& original, const std::string& adapted,
                          const Result& a, const Result& b) {
  std::fprintf(stderr, "%s\n-- original:\n%s\n-- adapted:\n%s\n-- expected %zu rows%s%s, got %zu rows%s%s\n",
               what, original.c_str(), adapted.c_str(), a.rows.size(), a.ok ? "" : ", error ",
               a.error.c_str(), b.rows.size(), b.ok ? "" : ", error ", b.error.c_str());
  std::abort();
}

// ---------------------------------------------------------------------------------------------------
// The grammar: one tree, two texts.

struct Text {
  std::string server;  // as the module writes it
  std::string plain;   // the same for SQLite, without folding
  void add(const std::string& both) {
    server += both;
    plain += both;
    ends_with_number = false;
  }
  void add(const Text& t) {
    server += t.server;
    plain += t.plain;
    ends_with_number = t.ends_with_number;
  }
  bool ends_with_number = false;  // the server text may glue the next keyword to it
};

class Grammar {
 public:
  explicit Grammar(FuzzedDataProvider& in) : in_(in) {}

  Text query(int depth) {
    Text t;
    bool top = in_.ConsumeBool();
    int count = in_.ConsumeIntegralInRange(0, 12);
    t.add("SELECT ");
    if (top)
      t.server +=
          in_.ConsumeBool() ? "TOP " + std::to_string(count) + " " : "TOP (" + std::to_string(count) + ") ";
    bool aggregate = depth == 0 && in_.ConsumeIntegralInRange(0, 7) == 0;
    t.add(aggregate ? "COUNT(*)" : depth == 0 ? "ID, PD4G_CODICE, PD4G_DATAATTIVITA" : "ID");
    t.add(" FROM PD4G_CALENDATT");
    if (in_.ConsumeBool())
      t.server += in_.PickValueInArray({" WITH (NOLOCK)", " WITH(NOLOCK)", " with ( nolock, rowlock )"});
    t.add(" WHERE ");
    Text filter = condition(depth);
    t.add(filter);
    if (!aggregate) {
      keyword(t, "ORDER");
      t.add(" BY ID");
    }
    if (top) t.plain += " LIMIT " + std::to_string(count);
    return t;
  }

 private:
  // A keyword after the last token: the server text may glue it to a number.
  void keyword(Text& t, const std::string& word) {
    bool glue = t.ends_with_number && in_.ConsumeBool();
    t.server += glue ? word : " " + word;
    t.plain += " " + word;
    t.ends_with_number = false;
  }

  Text condition(int depth) {
    if (depth > 4 || in_.remaining_bytes() == 0) return comparison(depth);
    switch (in_.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1: {
        Text t = condition(depth + 1);
        keyword(t, in_.ConsumeBool() ? "AND" : "OR");
        t.add(" ");
        Text right = condition(depth + 1);
        t.add(right);
        return t;
      }
      case 2: {
        Text t;
        t.add("(");
        t.add(condition(depth + 1));
        t.add(")");
        return t;
      }
      case 3: {
        Text t;
        t.add("NOT ");
        Text inner = condition(depth + 1);
        t.add(inner);
        return t;
      }
      default:
        return comparison(depth);
    }
  }

  Text text_literal() {
    // No text ends with a blank: the adaptation compares texts without their trailing blanks, as the
    // server does, which the plain SQLite reference does not.
    static const char* const kTexts[] = {"",        "a",     "A",   "a  b",       " a",
                                         "L''ORTO", "ATT01", "Z01", "2026-03-01", "2026-03-01 08:00:00",
                                         "''",      "%a%"};
    std::string content;
    if (in_.ConsumeIntegralInRange(0, 3) == 0) {
      for (char c : in_.ConsumeRandomLengthString(8)) {
        if (c == '\0') continue;
        content += c;
        if (c == '\'') content += '\'';
      }
    } else {
      content = in_.PickValueInArray(kTexts);
    }
    while (!content.empty() && (content.back() == ' ' || content.back() == '\t')) content.pop_back();
    Text t;
    t.server = (in_.ConsumeBool() ? "N'" : "'") + content + "'";
    t.plain = "'" + content + "'";
    return t;
  }

  Text number_literal() {
    static const char* const kNumbers[] = {"0",
                                           "1",
                                           "1.0",
                                           "1e0",
                                           "0x10",
                                           "16",
                                           "1001",
                                           "1901",
                                           "2.5",
                                           ".5",
                                           "1E+3",
                                           "1000",
                                           "9007199254740993",
                                           "9007199254740992",
                                           "9223372036854775807",
                                           "9223372036854775808",
                                           "1e999",
                                           "00",
                                           "0.0"};
    Text t;
    if (in_.ConsumeIntegralInRange(0, 3) == 0)
      t.add(std::to_string(in_.ConsumeIntegralInRange<std::int64_t>(-5, 3000)));
    else
      t.add(in_.PickValueInArray(kNumbers));
    if (t.plain[0] == '-') t.plain = t.server = "(" + t.plain + ")";
    t.ends_with_number = t.plain.find_first_of("xX)") == std::string::npos;
    return t;
  }

  Text literal() { return in_.ConsumeBool() ? text_literal() : number_literal(); }

  Text column() {
    Text t;
    t.add(in_.PickValueInArray(
        {"PD4G_DITTA", "PD4G_IDLEGAME_PD0H", "PD4G_DATAATTIVITA", "PD4G_CODICE", "PD4G_ORE", "ID"}));
    return t;
  }

  Text operand() { return in_.ConsumeIntegralInRange(0, 2) == 0 ? column() : literal(); }

  std::string op() {
    return in_.PickValueInArray({" = ", "=", " <> ", " != ", " < ", " > ", " <= ", " >= ", " == "});
  }

  Text comparison(int depth) {
    Text t;
    switch (in_.ConsumeIntegralInRange(0, 11)) {
      case 0: {  // a column with a value, or the self-disabling pattern of the module's filters
        Text c = column(), v = literal();
        t.add("(");
        t.add(c);
        t.add(" = ");
        t.add(v);
        t.add(" OR ");
        t.add(v);
        t.add(in_.ConsumeBool() ? " = ''" : " = 0");
        t.add(")");
        return t;
      }
      case 1:
        t = column();
        t.add(in_.ConsumeBool() ? " IS NULL" : " IS NOT NULL");
        return t;
      case 2: {
        t = operand();
        t.add(" BETWEEN ");
        t.add(literal());
        t.add(" AND ");
        Text high = literal();
        t.add(high);
        return t;
      }
      case 3:
        t = operand();
        t.add(" IN (");
        t.add(literal());
        t.add(", ");
        t.add(literal());
        t.add(")");
        return t;
      case 4:  // next to an operator that binds tighter: never folded alone
        t = literal();
        t.add(op());
        t.add(literal());
        t.add(in_.PickValueInArray({" COLLATE NOCASE", " + 0", " || 'x'", " IS 0", " IS NOT NULL", " * 2"}));
        return t;
      case 5:
        t = literal();
        t.add(in_.PickValueInArray({" + 1", " || ''", " * 0"}));
        t.add(op());
        t.add(literal());
        return t;
      case 6: {
        if (depth >= 4) return comparison_of_operands();
        t.add("CASE WHEN ");
        t.add(condition(depth + 1));
        t.add(" THEN ");
        t.add(literal());
        t.add(" ELSE ");
        t.add(literal());
        t.add(" END");
        t.add(op());
        Text right = literal();
        t.add(right);
        return t;
      }
      case 7:
        if (depth < 3) {
          t = column();
          t.add(in_.ConsumeBool() ? " IN (" : " NOT IN (");
          t.add(query(depth + 1));
          t.add(")");
          return t;
        }
        [[fallthrough]];
      default:
        return comparison_of_operands();
    }
  }

  Text comparison_of_operands() {
    Text t = operand();
    t.add(op());
    t.add(operand());
    return t;
  }

  FuzzedDataProvider& in_;
};

void check_grammar(FuzzedDataProvider& in) {
  Grammar g(in);
  Text t = g.query(0);
  std::string adapted;
  try {
    adapted = database::adapt_statement(t.server);
  } catch (const std::exception&) {
    return;  // refused as a whole
  }
  Result expected = run(t.plain);
  if (!expected.ok) {
    // Limits of SQLite's parser are no fault of the adaptation.
    if (expected.interrupted || expected.error.find("stack overflow") != std::string::npos ||
        expected.error.find("too large") != std::string::npos)
      return;
    std::fprintf(stderr, "the grammar wrote a text SQLite refuses (%s):\n%s\n", expected.error.c_str(),
                 t.plain.c_str());
    std::abort();
  }
  Result got = run(adapted);
  if (!got.ok && got.interrupted) return;
  if (!got.ok || got.rows != expected.rows) finding("adapted text differs", t.plain, adapted, expected, got);
}

bool contains_ci(const std::string& text, const char* part) {
  auto it = std::search(text.begin(), text.end(), part, part + std::char_traits<char>::length(part),
                        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
  return it != text.end();
}

void check_text(const std::string& sql) {
  std::string adapted;
  try {
    adapted = database::adapt_statement(sql);
  } catch (const std::exception&) {
    return;
  }
  if (sql.find('\0') != std::string::npos) return;
  // Texts that mean something else to SQLite than to the server (N'x' reads as a column and its alias,
  // TOP and the hints as names), or whose value changes from one run to the next.
  for (const char* part : {"n'", "top", "with", "now", "current_", "julianday", "limit", "offset"})
    if (contains_ci(sql, part)) return;
  // Texts compare without their trailing blanks after the adaptation (as on the server), which SQLite
  // itself does not do: a literal ending in a blank, or an RTRIM the adaptation gives that rule, is left
  // to the grammar mode.
  for (const char* part : {" '", "\t'", "rtrim"})
    if (contains_ci(sql, part)) return;
  Result original = run(sql);
  if (!original.ok || !original.single) return;
  Result got = run(adapted);
  if (!got.ok) return;  // refused as a whole
  std::vector<std::string> a = original.rows, b = got.rows;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  if (a != b) finding("adapted text differs", sql, adapted, original, got);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 4096) return 0;
  if (data[0] % 2 == 0) {
    FuzzedDataProvider in(data + 1, size - 1);
    check_grammar(in);
  } else {
    check_text(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  }
  return 0;
}

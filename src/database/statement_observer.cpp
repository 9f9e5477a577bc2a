#include "database/statement_observer.hpp"

#include <cctype>

namespace database {
namespace {

StatementObserver* current = nullptr;

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string upper_ascii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The words of the text outside its literals and quoted identifiers, upper case.
std::vector<std::string> bare_words(const std::string& sql) {
  std::vector<std::string> words;
  std::string word;
  auto flush = [&] {
    if (!word.empty()) words.push_back(upper_ascii(word));
    word.clear();
  };
  for (std::size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    char close = c == '\'' ? '\'' : c == '"' ? '"' : c == '[' ? ']' : c == '`' ? '`' : '\0';
    if (close != '\0') {
      flush();
      ++i;
      while (i < sql.size() && sql[i] != close) ++i;
      continue;
    }
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_')
      word += c;
    else
      flush();
  }
  flush();
  return words;
}

}  // namespace

StatementObserver::~StatementObserver() = default;

StatementObserver* observe_statements(StatementObserver* observer) {
  StatementObserver* previous = current;
  current = observer;
  return previous;
}

StatementObserver* statement_observer() {
  return current;
}

bool write_kind(const std::string& sql, ObservedStatement::Kind& kind) {
  std::size_t at = 0;
  while (at < sql.size() && blank(sql[at])) ++at;
  std::size_t end = at;
  while (end < sql.size() && std::isalpha(static_cast<unsigned char>(sql[end]))) ++end;
  std::string first = upper_ascii(sql.substr(at, end - at));
  if (first == "INSERT") {
    kind = ObservedStatement::Kind::kInsert;
  } else if (first == "UPDATE") {
    kind = ObservedStatement::Kind::kUpdate;
  } else if (first == "DELETE") {
    kind = ObservedStatement::Kind::kDelete;
  } else {
    return false;
  }
  return true;
}

std::string written_table(const std::string& sql) {
  // The words and names up to the table: INSERT [OR ...] INTO t, UPDATE [OR ...] t, DELETE FROM t, where
  // t may be quoted and may follow its schema ("main"."T").
  std::size_t at = 0;
  auto next = [&]() -> std::string {
    while (at < sql.size() && blank(sql[at])) ++at;
    if (at >= sql.size()) return "";
    const char close = sql[at] == '"' ? '"' : sql[at] == '[' ? ']' : sql[at] == '`' ? '`' : '\0';
    std::string name;
    if (close != '\0') {
      const std::size_t end = sql.find(close, at + 1);
      name = sql.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
      at = end == std::string::npos ? sql.size() : end + 1;
    } else {
      while (at < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[at])) || sql[at] == '_'))
        name += sql[at++];
      if (name.empty()) name = sql[at++];
    }
    return upper_ascii(name);
  };
  const std::string verb = next();
  if (verb != "INSERT" && verb != "UPDATE" && verb != "DELETE") return "";
  std::string word = next();
  if (word == "OR") {
    next();
    word = next();
  }
  if (word == "INTO" || word == "FROM") word = next();
  // A schema before the table.
  while (at < sql.size() && blank(sql[at])) ++at;
  if (at < sql.size() && sql[at] == '.') {
    ++at;
    word = next();
  }
  return word;
}

std::string with_returning(const std::string& sql) {
  for (const std::string& word : bare_words(sql))
    if (word == "RETURNING") return "";
  std::string text = sql;
  while (!text.empty() && blank(text.back())) text.pop_back();
  if (!text.empty() && text.back() == ';') text.pop_back();
  while (!text.empty() && blank(text.back())) text.pop_back();
  return text + " RETURNING *";
}

}  // namespace database

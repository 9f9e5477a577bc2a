#pragma once
// Runs the real `calendatt` program (its path comes from CALENDATT_CLI) on a fresh demo database of
// either engine (support/engines.hpp), with standard input from /dev/null (no terminal) or from a
// pseudo-terminal, and collects its exit status, standard output and the lines of standard error.

#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/engines.hpp"

namespace cli::testing {

struct CliResult {
  int status = -1;
  std::string out;
  std::vector<std::string> err;  // one entry per line

  // The message numbers of the lines "[n] ...", in order.
  std::vector<int> numbers() const {
    std::vector<int> out_numbers;
    for (const auto& line : err) {
      if (line.size() < 3 || line[0] != '[') continue;
      auto close = line.find(']');
      try {
        out_numbers.push_back(std::stoi(line.substr(1, close - 1)));
      } catch (...) {
      }
    }
    return out_numbers;
  }
  bool has_line(const std::string& line) const {
    for (const auto& l : err)
      if (l == line) return true;
    return false;
  }
  bool has_line_starting(const std::string& prefix) const {
    for (const auto& l : err)
      if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }
  std::string all_err() const {
    std::string s;
    for (const auto& l : err) s += l + "\n";
    return s;
  }
};

inline std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline std::string program() {
  const char* path = std::getenv("CALENDATT_CLI");
  return path ? path : "";
}

inline std::vector<char*> argv_of(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The user the program runs as when a test needs one without the administrator's rights (permissions are
// not checked for root): nobody.
inline constexpr uid_t kUnprivileged = 65534;

// Starts the program with standard input from /dev/null and its output in files of `dir`, without
// waiting for it. With `unprivileged` it runs as an ordinary user when the tests run as root.
inline pid_t start_program(std::vector<std::string> args, const std::string& dir, bool unprivileged = false) {
  std::string path = program();
  if (unprivileged) {
    // The build folder may lie where an ordinary user cannot reach: the program is run from a copy.
    std::error_code ec;
    const std::string copy = dir + "/calendatt";
    if (!std::filesystem::exists(copy)) std::filesystem::copy_file(path, copy, ec);
    path = copy;
  }
  args.insert(args.begin(), path);
  const std::string out_path = dir + "/stdout.txt", err_path = dir + "/stderr.txt";
  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (unprivileged && geteuid() == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(kUnprivileged) != 0 || setuid(kUnprivileged) != 0) _exit(126);
    }
    auto argv = argv_of(args);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// Runs the program as start_program does and waits for it.
inline CliResult run_program(std::vector<std::string> args, const std::string& dir,
                             bool unprivileged = false) {
  CliResult r;
  int status = 0;
  pid_t pid = start_program(std::move(args), dir, unprivileged);
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = read_file(dir + "/stdout.txt");
  r.err = split_lines(read_file(dir + "/stderr.txt"));
  return r;
}

// Runs the program on a pseudo-terminal: whenever its output ends with `prompt`, the next of `answers`
// is typed. Everything it writes (both streams) comes back in `out`.
inline CliResult run_on_terminal(std::vector<std::string> args, const std::string& prompt,
                                 std::vector<std::string> answers) {
  args.insert(args.begin(), program());
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    auto argv = argv_of(args);
    execv(argv[0], argv.data());
    _exit(127);
  }
  CliResult r;
  if (pid < 0) return r;
  std::string seen;
  std::size_t answered = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    char buf[4096];
    ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) {
      ended = true;  // the program closed the terminal
      break;
    }
    seen.append(buf, static_cast<std::size_t>(n));
    if (answered < answers.size() && seen.size() >= prompt.size() &&
        seen.compare(seen.size() - prompt.size(), prompt.size(), prompt) == 0) {
      std::string line = answers[answered++] + "\n";
      if (write(master, line.data(), line.size()) < 0) break;
    }
  }
  int status = 0;
  // Still running at the deadline: it waits for an answer that never comes.
  if (!ended) kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  close(master);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = seen;
  r.err = split_lines(seen);
  return r;
}

using calendatt::testing::Engine;

// The codes of the demo's activity planned through March 2026.
inline const std::vector<std::string> kAtt01 = {"--project", "PRJ001",     "--node",
                                                "N01",       "--activity", "ATT01"};
// The codes and link of the activity added by CliScenario::add_long_activity.
inline const std::vector<std::string> kLong = {"--project", "PRJ002", "--node", "M01", "--activity", "LONG1"};
inline constexpr int kLongLink = 1999;

// The words of `line` (split at single spaces), then `codes`: att01("add-day --day 2026-03-10 --hours 7").
inline std::vector<std::string> words(const std::string& line, const std::vector<std::string>& codes = {}) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string word; std::getline(in, word, ' ');) out.push_back(word);
  out.insert(out.end(), codes.begin(), codes.end());
  return out;
}
inline std::vector<std::string> att01(const std::string& line) {
  return words(line, kAtt01);
}
inline std::vector<std::string> long1(const std::string& line) {
  return words(line, kLong);
}

// The demo's dates as the tests know them: the first planned day on 2 March 2026, whatever today is.
inline void fix_demo_dates() {
  setenv("CALENDATT_DEMO_BASE", "2026-03-02", 1);
}

// A fresh demo database for each test, made by `calendatt init --demo` on the fixed demo dates, on the
// engine of engine().
class CliScenario : public ::testing::Test {
 protected:
  std::unique_ptr<calendatt::testing::ScratchDatabase> db_;
  std::unique_ptr<calendatt::testing::RawAccess> raw_;

  virtual Engine engine() const = 0;

  void SetUp() override {
    ASSERT_FALSE(program().empty()) << "CALENDATT_CLI is not set";
    if (engine() == Engine::PostgreSQL) {
      ASSERT_FALSE(calendatt::testing::test_server().empty()) << calendatt::testing::kNoServer;
    }
    db_ = std::make_unique<calendatt::testing::ScratchDatabase>(engine());
    fix_demo_dates();
    auto init = run_program({"init", "--db", db_->target(), "--demo"}, db_->dir().string());
    ASSERT_EQ(init.status, 0) << init.all_err();
    raw_ = db_->raw();
  }

  void TearDown() override {
    raw_.reset();
    db_.reset();
  }

  // Runs a command on the scenario's database.
  CliResult run(std::vector<std::string> args) {
    args.push_back("--db");
    args.push_back(db_->target());
    return run_program(std::move(args), db_->dir().string());
  }

  static std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // "YYYY-MM-DD H:M (start H:M)" of every calendar day of a link in company 1, by date.
  std::vector<std::string> days_of(int link) const {
    std::vector<std::string> out;
    for (const auto& row : raw_->rows(
             "SELECT PD4G_DATAATTIVITA || ' ' || PD4G_DURATAORE || ':' || PD4G_DURATAMINUTI || ' (' || "
             "PD4G_ORAINIZIO || ':' || PD4G_MININIZIO || '-' || PD4G_ORAFINE || ':' || PD4G_MINFINE || ')' "
             "FROM PD4G_CALENDATT WHERE PD4G_DITTA_CG18 = 1 AND PD4G_IDLEGAME_PD0H = " +
             std::to_string(link))) {
      // "type:value|"
      out.push_back(row.substr(row.find(':') + 1, row.size() - row.find(':') - 2));
    }
    return out;
  }

  // Adds the activity PRJ002 / M01 / LONG1 (link 1999), planned from 2027 to `end`, for long generations.
  void add_long_activity(const std::string& end) {
    raw_->exec(
        "INSERT INTO PD0H_LEGDISBAPROG (PD0H_IDLEGAME, PD0H_IDDISBAPROG_PD0G, PD0H_CODATTIVITA_PD0D, "
        "PD0H_DATAINIZPIAN, PD0H_DATAFINPIAN) VALUES (1999, 201, 'LONG1', '2027-01-01', '" +
        end + "')");
    raw_->exec(
        "INSERT INTO PD0D_ATTIVITA (PD0D_DITTA_CG18, PD0D_CODATTIVITA, PD0D_DESCRIZIONE) "
        "VALUES (1, 'LONG1', 'Manutenzione lunga')");
  }

  int count(const std::string& sql) const { return std::stoi(raw_->value(sql)); }
  int calendar_rows() const { return count("SELECT COUNT(*) FROM PD4G_CALENDATT"); }
};

}  // namespace cli::testing

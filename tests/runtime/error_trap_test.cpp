#include <gtest/gtest.h>

#include <vector>

#include "runtime/error.hpp"

namespace runtime {
namespace {

// Answers the error report from a list and records what it was shown.
class ListReporter : public ErrorReporter {
 public:
  explicit ListReporter(std::vector<std::int32_t> answers) : answers_(std::move(answers)) {}
  std::int32_t VisualizzaErrore(const std::string& routine) override {
    shown.push_back(routine + ":" + std::to_string(pending_error().number) + ":" +
                    pending_error().description);
    if (answers_.empty()) return 0;
    auto a = answers_.front();
    answers_.erase(answers_.begin());
    return a;
  }
  std::vector<std::string> shown;

 private:
  std::vector<std::int32_t> answers_;
};

// Runs three steps; the second fails the first time it runs.
std::vector<int> run_routine(ListReporter& reporter, bool* left, std::int32_t* leaving) {
  std::vector<int> ran;
  int attempts = 0;
  ErrorTrap trap(reporter, "Form_Load");
  trap.step([&] { ran.push_back(1); });
  trap.step([&] {
    if (attempts++ == 0) throw Error(3704, "Operation is not allowed when the object is closed", "db");
    ran.push_back(2);
  });
  trap.step([&] { ran.push_back(3); });
  *left = trap.left();
  *leaving = trap.leaving_answer();
  return ran;
}

// Retry runs the failing step again, Ignore goes on with the next one, Abort and any other answer leave.
TEST(ErrorTrap, TheAnswerDecidesWhatRunsAfterTheFailingStep) {
  const std::pair<std::int32_t, std::vector<int>> cases[] = {
      {kRetry, {1, 2, 3}}, {kIgnore, {1, 3}}, {kAbort, {1}}, {0, {1}}, {1, {1}}};
  for (const auto& [answer, ran] : cases) {
    SCOPED_TRACE(answer);
    ListReporter reporter({answer});
    bool left = false;
    std::int32_t leaving = -1;
    EXPECT_EQ(run_routine(reporter, &left, &leaving), ran);
    EXPECT_EQ(left, ran.size() == 1);
    EXPECT_EQ(leaving, left ? answer : 0);
    EXPECT_EQ(reporter.shown,
              std::vector<std::string>{"Form_Load:3704:Operation is not allowed when the object is closed"});
    EXPECT_EQ(pending_error().number, 0);
  }
}

TEST(ErrorTrap, ForeignExceptionsBecomePendingErrors) {
  ListReporter reporter({kIgnore});
  ErrorTrap trap(reporter, "X");
  trap.step([] { throw std::runtime_error("boom"); });
  EXPECT_EQ(reporter.shown, std::vector<std::string>{"X:440:boom"});
}

}  // namespace
}  // namespace runtime

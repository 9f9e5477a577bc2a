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
std::vector<int> run_routine(ListReporter& reporter, bool* left = nullptr, std::int32_t* leaving = nullptr) {
  std::vector<int> ran;
  int attempts = 0;
  ErrorTrap trap(reporter, "Form_Load");
  trap.step([&] { ran.push_back(1); });
  trap.step([&] {
    if (attempts++ == 0) throw Error(3704, "Operation is not allowed when the object is closed", "db");
    ran.push_back(2);
  });
  trap.step([&] { ran.push_back(3); });
  if (left) *left = trap.left();
  if (leaving) *leaving = trap.leaving_answer();
  return ran;
}

TEST(ErrorTrap, RetryRunsTheFailingStepAgain) {
  ListReporter reporter({kRetry});
  EXPECT_EQ(run_routine(reporter), (std::vector<int>{1, 2, 3}));
  ASSERT_EQ(reporter.shown.size(), 1u);
  EXPECT_EQ(reporter.shown[0], "Form_Load:3704:Operation is not allowed when the object is closed");
  EXPECT_EQ(pending_error().number, 0);
}

TEST(ErrorTrap, IgnoreGoesOnWithTheNextStep) {
  ListReporter reporter({kIgnore});
  EXPECT_EQ(run_routine(reporter), (std::vector<int>{1, 3}));
}

TEST(ErrorTrap, AbortAndAnyOtherAnswerLeaveTheRoutine) {
  for (std::int32_t answer : {std::int32_t{kAbort}, std::int32_t{0}, std::int32_t{1}}) {
    ListReporter reporter({answer});
    bool left = false;
    std::int32_t leaving = -1;
    EXPECT_EQ(run_routine(reporter, &left, &leaving), (std::vector<int>{1})) << answer;
    EXPECT_TRUE(left);
    EXPECT_EQ(leaving, answer);
  }
}

TEST(ErrorTrap, ForeignExceptionsBecomePendingErrors) {
  ListReporter reporter({kIgnore});
  ErrorTrap trap(reporter, "X");
  trap.step([] { throw std::runtime_error("boom"); });
  ASSERT_EQ(reporter.shown.size(), 1u);
  EXPECT_EQ(reporter.shown[0], "X:440:boom");
}

TEST(Suppressed, SkipsTheFailingStepAndClearsTheError) {
  int after = 0;
  EXPECT_FALSE(suppressed([] { throw Error(5, "Invalid procedure call"); }));
  EXPECT_EQ(pending_error().number, 0);
  EXPECT_TRUE(suppressed([&] { after = 1; }));
  EXPECT_EQ(after, 1);
}

}  // namespace
}  // namespace runtime

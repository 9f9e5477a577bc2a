#pragma once
// What a bulk run of the range dialogs did, for the status bar: the rows that the statements run while
// the dialog was open inserted, overwrote and deleted (planner/write_tally.hpp), the dates of the range
// left as they were, and the days the deletion's question said it spares. What others write meanwhile
// is not counted; a run stopped by an error says what it wrote before it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "database/journal.hpp"
#include "planner/write_tally.hpp"
#include "standin/form_model.hpp"
#include "standin/responder.hpp"

namespace desktop {

class RangeSummary {
 public:
  static constexpr const char* kInsertDialog = "FRMPD_ADDCALENDATT";
  static constexpr const char* kDeleteDialog = "FRMPD_DELCALENDATT";
  // The message a run that went through ends with.
  static constexpr std::int32_t kCompletedMessage = 42123;
  // The piece of the deletion's question that counts the days spared.
  static constexpr std::int32_t kSparedMessage = 77208;

  // A range dialog opened: the statements are counted from now.
  void opened(const standin::FormModel& dialog, standin::MessageResponder& responder);
  // The dialog closed (`completed`: its run went through): the line that says what the run did, in
  // `language`; nullopt when it was not a range dialog, or no run went through and nothing was written.
  std::optional<std::string> closed(const standin::FormModel& dialog, standin::MessageResponder& responder,
                                    const std::string& language, bool completed);

 private:
  std::unique_ptr<planner::WriteTally> tally_;
  // The person's action while the dialog is open: what it writes is one action of the journal.
  std::unique_ptr<database::ActionInProgress> action_;
};

}  // namespace desktop

#pragma once
// The lookup window of a code field: the rows of the prepared query in a list the person can search,
// showing the code, the description and the other columns the lookup prepared. Choosing a row (double
// click, Enter or OK) closes the window with that row.

#include <QDialog>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "runtime/variant.hpp"

class QLineEdit;
class QTableWidget;

namespace desktop {

struct LookupList {
  std::string title;
  std::vector<std::string> captions;  // one per column; missing captions show the column's number
  std::vector<std::vector<runtime::Variant>> rows;
};

class LookupDialog : public QDialog {
 public:
  // `filter` is the text the search starts with (the field's text).
  LookupDialog(const LookupList& list, const std::string& filter, const std::string& language,
               QWidget* parent);

  QLineEdit* filter_edit() const { return filter_; }
  QTableWidget* table() const { return table_; }
  // The row chosen, by its index in the list; none while nothing is chosen.
  std::optional<std::size_t> chosen() const { return chosen_; }

 private:
  void apply_filter(const QString& text);
  void choose_current();

  QLineEdit* filter_;
  QTableWidget* table_;
  std::optional<std::size_t> chosen_;
};

// Shows the lookup window modally; the index of the chosen row, or none.
std::optional<std::size_t> choose_from_list(const LookupList& list, const std::string& filter,
                                            const std::string& language, QWidget* parent);

}  // namespace desktop

#pragma once
// The grid of the calendar window written out: as a table under the captions of the run's language, or as
// CSV or JSON under keys that never change with the language (project, node, activity, day, hours,
// minutes, planning_start, planning_end). Every format writes dates ISO, the form the options take.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.hpp"
#include "runtime/variant.hpp"

namespace cli {

struct GridView {
  std::vector<std::string> keys;  // one per caption, for CSV and JSON
  std::vector<std::string> captions;
  std::vector<std::vector<runtime::Variant>> rows;  // one value per caption
};

void write_grid(const GridView& grid, Format format, std::ostream& out);

// CSV or JSON written a row at a time, for a grid of thousands of rows that need not be held twice;
// finish() ends the text. write_grid writes these two formats through it.
class RowWriter {
 public:
  RowWriter(std::vector<std::string> keys, Format format, std::ostream& out);
  void row(const std::vector<runtime::Variant>& values);
  void finish();

 private:
  void flush();

  std::vector<std::string> keys_;
  bool csv_;
  std::ostream& out_;
  std::string text_;
  std::size_t rows_ = 0;
};

// A text for a terminal: control characters written as \n, \t, \r or \xHH, the backslash doubled.
std::string escape_control(const std::string& text);

// Pieces of the formats.
// A CSV field added to the end of out: quoted, its quotes doubled, when it holds a comma, a quote or a
// line break.
void append_csv_field(std::string& out, std::string_view text);
std::string json_string(const std::string& text);
// A value as CSV or JSON write it: dates ISO, numbers with a point and without a leading-zero quirk.
// JSON: null for Empty and Null, true/false, numbers bare, texts quoted.
std::string machine_text(const runtime::Variant& value);
std::string json_value(const runtime::Variant& value);

}  // namespace cli

#include "cli/grid_output.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "standin/headless_controls.hpp"

namespace cli {

using runtime::Variant;
using runtime::VarType;

namespace {

bool is_number(const Variant& v) {
  return v.type() == VarType::Integer || v.type() == VarType::Long || v.type() == VarType::Double;
}

std::string number_literal(double d) {
  char buf[40];
  if (d == std::floor(d) && std::fabs(d) < 1e15) {
    auto end = std::to_chars(buf, buf + sizeof buf, static_cast<std::int64_t>(d)).ptr;  // -0 is 0
    return std::string(buf, end);
  }
  std::snprintf(buf, sizeof buf, "%.17g", d);
  return buf;
}

// The text of a cell in the table, escaped so that a stored line break cannot break the table's rows nor a
// stored escape sequence move the terminal; dates are ISO.
std::string shown_text(const Variant& v) {
  if (v.type() == VarType::Date) return machine_text(v);
  return escape_control(runtime::is_blank(v) ? std::string() : runtime::rtrim(v.to_string()));
}

// A stored text as it is written out: codes are kept padded with blanks in fixed-width columns, and the
// blanks are no part of the code.
std::string_view without_trailing_blanks(const std::string& text) {
  return std::string_view(text).substr(0, text.find_last_not_of(' ') + 1);
}

}  // namespace

std::string escape_control(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      static const char* hex = "0123456789abcdef";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

namespace {

void write_table(const GridView& grid, std::ostream& out) {
  std::vector<std::size_t> widths;
  for (const auto& c : grid.captions) widths.push_back(standin::utf8_length(c));
  std::vector<std::vector<std::string>> texts;
  for (const auto& row : grid.rows) {
    std::vector<std::string> line;
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      line.push_back(shown_text(row[i]));
      widths[i] = std::max(widths[i], standin::utf8_length(line.back()));
    }
    texts.push_back(std::move(line));
  }
  auto write_line = [&](const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i) line += "  ";
      line += cells[i];
      if (i + 1 < cells.size()) line += std::string(widths[i] - standin::utf8_length(cells[i]), ' ');
    }
    out << runtime::rtrim(line) << "\n";
  };
  write_line(grid.captions);
  for (const auto& line : texts) write_line(line);
}

}  // namespace

void append_csv_field(std::string& out, std::string_view text) {
  bool plain = std::none_of(text.begin(), text.end(),
                            [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
  if (plain) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::string json_string(const std::string& text) {
  // Bytes that are no UTF-8 become U+FFFD: the text stays JSON.
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string machine_text(const Variant& v) {
  if (v.type() == VarType::Empty || v.type() == VarType::Null) return "";
  if (v.type() == VarType::Boolean) return v.to_bool() ? "true" : "false";
  if (v.type() == VarType::Date) {
    runtime::Date d = v.to_date();
    return d.iso() + d.clock('T');
  }
  if (is_number(v)) return number_literal(v.to_double());
  return runtime::rtrim(v.to_string());
}

std::string json_value(const Variant& v) {
  if (v.type() == VarType::Empty || v.type() == VarType::Null) return "null";
  // Numbers as CSV writes them; JSON has no NaN nor infinity.
  if (is_number(v)) return std::isfinite(v.to_double()) ? number_literal(v.to_double()) : "null";
  if (v.type() == VarType::Boolean) return v.to_bool() ? "true" : "false";
  return json_string(machine_text(v));
}

RowWriter::RowWriter(std::vector<std::string> keys, Format format, std::ostream& out)
    : keys_(std::move(keys)), csv_(format == Format::kCsv), out_(out) {
  if (!csv_) {
    text_ += '[';
    return;
  }
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (i) text_ += ',';
    append_csv_field(text_, keys_[i]);
  }
  text_ += '\n';
}

void RowWriter::row(const std::vector<Variant>& values) {
  if (csv_) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i) text_ += ',';
      // Only a text can hold a comma, a quote or a line break; it is quoted where it stands, uncopied.
      if (values[i].type() == VarType::String)
        append_csv_field(text_, without_trailing_blanks(std::get<std::string>(values[i].raw())));
      else
        text_ += machine_text(values[i]);
    }
    text_ += '\n';
  } else {
    text_ += rows_ ? ",\n {" : "\n {";
    for (std::size_t i = 0; i < keys_.size() && i < values.size(); ++i) {
      if (i) text_ += ", ";
      text_ += json_string(keys_[i]);
      text_ += ": ";
      text_ += json_value(values[i]);
    }
    text_ += '}';
  }
  ++rows_;
  // The text goes out in pieces of some size: neither a field at a time nor the whole listing held.
  if (text_.size() >= 1 << 16) flush();
}

void RowWriter::finish() {
  if (!csv_) text_ += rows_ ? "\n]\n" : "]\n";
  flush();
}

void RowWriter::flush() {
  out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
}

void write_grid(const GridView& grid, Format format, std::ostream& out) {
  if (format == Format::kTable) {
    write_table(grid, out);
    return;
  }
  RowWriter writer(grid.keys, format, out);
  for (const auto& row : grid.rows) writer.row(row);
  writer.finish();
}

}  // namespace cli

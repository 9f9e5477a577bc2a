#pragma once
// The lookup window of a code field as the scripted user and the command line use it: the query the
// lookup service prepared runs on the host database, and the person picks the row of a code.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "standin/headless_controls.hpp"

namespace standin {

// The rows of a prepared lookup (text A run on the connection text), each value in query column order.
std::vector<std::vector<runtime::Variant>> run_lookup(const LookupRequest& request);

// The outcome of the decode a code control runs on the query its StartDecode handler prepared.
struct DecodeResult {
  bool found = false;
  std::string description;  // the first column of the first row
  std::string failure;      // the error's description when the query could not run
};

// Runs a prepared decode query (text A) on the connection text. No row means the code does not exist.
DecodeResult run_decode(const std::string& text_a, const std::string& connection_text);

// The decode a code field runs when the person leaves a changed code: `start_decode` raises the field's
// StartDecode, which prepares the query (text A), the description control (value B) and the connection
// text; the query runs and the description control receives the description, or is emptied. A blank code
// or an empty query only empties it and nothing runs (no result).
using StartDecodeRaiser = std::function<void(runtime::Variant& first, std::string& text_a,
                                             runtime::Variant& value_b, std::string& connection)>;
std::optional<DecodeResult> decode_code_field(const std::string& code, const StartDecodeRaiser& start_decode);

// A lookup row as the control delivers it: a two-dimensional array whose element (1, k) is the k-th
// column of the query (k from 0: 0 the code, 1 the description; for activities 2 the node code, 5 the
// WBS node id and 6 the WBS link id).
runtime::Variant lookup_row(const std::vector<runtime::Variant>& values);

// The person picks the `occurrence`-th row whose code is `code` (trailing blanks ignored): the field
// takes the code, the decode counts as done, and the row goes to CloseLookup. No such row: the lookup is
// closed without a choice.
HeadlessCodeEdit::LookupChooser pick_code(std::string code, int occurrence = 0);

}  // namespace standin

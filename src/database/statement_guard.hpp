#pragma once
// A last check on the text of a statement before it reaches an engine.
//
// The calendar writes its statements from fixed fragments and values written as literals; none of them
// holds a comment. A comment marker (`--` or `/*`) outside a literal can therefore only come from a value
// that escaped its quotes, whose usual aim is to cut off the rest of the statement (the filter on the
// company, a closing parenthesis). The connections refuse such a text as a whole.
//
// Literals are '...' with '' inside, and the quoted identifiers "...", [...] and `...`; what stands inside
// them is never looked at, so a code or a description holding "--" stays a valid value.

#include <string_view>

namespace database {

// True when the text holds `--` or `/*` outside every literal and quoted identifier. An unterminated
// literal counts as holding one too: its end is not where the writer meant it.
bool comment_outside_literals(std::string_view sql);

}  // namespace database

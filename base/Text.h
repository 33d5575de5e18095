#pragma once

#include <string>
#include <string_view>

namespace shamblex {

// Text that came from outside (a file name, a brain's status or exception, a child's
// remark) made fit for one line of a report or a label: every control character
// (a line break among them) becomes `replacement`, so that the text cannot break the
// line it stands in or move the terminal's cursor.
std::string singleLine(std::string_view text, char replacement = '?');

// Appends the field to a CSV row as RFC 4180 says: quoted, with its quotes doubled,
// when it holds a comma, a quote or a line break; as it is otherwise.
void appendCsvField(std::string& row, std::string_view field);
std::string csvField(std::string_view field);

}

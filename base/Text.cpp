#include "base/Text.h"

namespace shamblex {

std::string singleLine(std::string_view text, char replacement)
{
    std::string line(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = replacement;
    }
    return line;
}

void appendCsvField(std::string& row, std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        row.append(field);
        return;
    }
    row.push_back('"');
    for (char c : field) {
        if (c == '"')
            row.push_back('"');
        row.push_back(c);
    }
    row.push_back('"');
}

std::string csvField(std::string_view field)
{
    std::string text;
    appendCsvField(text, field);
    return text;
}

}

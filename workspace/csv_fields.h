#pragma once
// One line of delimited text split into fields. A field may be quoted as RFC 4180 has it ("a,b", and
// "" for a quote inside); a quoted field ends on its line. Blanks around a field are not part of it,
// nor are tabs unless they separate the fields.
#include <string>
#include <string_view>
#include <vector>

struct CsvField {
    enum Fault { kNone, kOpenQuote, kAfterQuote };
    std::string_view text;  // unquoted
    Fault fault = kNone;
};

// The separator of a line: the most frequent of tab, semicolon and comma outside quotes, in that order
// when they are equally frequent (a comma when there is none).
char DetectSeparator(std::string_view line);

// Splits `line` into `fields` (cleared first), which point into `line`: quoted fields are unquoted in place.
void SplitFields(std::string& line, char separator, std::vector<CsvField>& fields);

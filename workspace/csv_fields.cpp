#include "workspace/csv_fields.h"

#include <cstddef>

namespace {

bool IsBlank(char c, char separator) { return c == ' ' || (c == '\t' && separator != '\t'); }

std::size_t SkipBlanks(const std::string& line, std::size_t at, char separator) {
    while (at < line.size() && IsBlank(line[at], separator)) ++at;
    return at;
}

// Reads the quoted field whose opening quote is at `at`, writing its text over the raw one from `at`
// on; returns where the raw field ends.
std::size_t Unquote(std::string& line, std::size_t at, char separator, CsvField& field) {
    std::size_t out = at, in = at + 1;
    for (;;) {
        if (in == line.size()) {
            field.fault = CsvField::kOpenQuote;
            break;
        }
        if (line[in] == '"' && (in + 1 == line.size() || line[in + 1] != '"')) {
            ++in;
            break;
        }
        in += line[in] == '"' ? 2 : 1;  // "" is one quote
        line[out++] = line[in - 1];
    }
    field.text = std::string_view(line.data() + at, out - at);
    in = SkipBlanks(line, in, separator);
    if (in == line.size() || line[in] == separator) return in;
    if (field.fault == CsvField::kNone) field.fault = CsvField::kAfterQuote;
    const std::size_t next = line.find(separator, in);
    return next == std::string::npos ? line.size() : next;
}

}  // namespace

char DetectSeparator(std::string_view line) {
    std::size_t tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    for (char c : line) {
        quoted = quoted != (c == '"');
        if (quoted) continue;
        tabs += c == '\t';
        semicolons += c == ';';
        commas += c == ',';
    }
    if (tabs > 0 && tabs >= semicolons && tabs >= commas) return '\t';
    if (semicolons > 0 && semicolons >= commas) return ';';
    return ',';
}

void SplitFields(std::string& line, char separator, std::vector<CsvField>& fields) {
    fields.clear();
    for (std::size_t at = 0;; ++at) {
        CsvField& field = fields.emplace_back();
        at = SkipBlanks(line, at, separator);
        if (at < line.size() && line[at] == '"') {
            at = Unquote(line, at, separator, field);
        } else {
            const std::size_t start = at, next = line.find(separator, at);
            at = next == std::string::npos ? line.size() : next;
            std::size_t end = at;
            while (end > start && IsBlank(line[end - 1], separator)) --end;
            field.text = std::string_view(line.data() + start, end - start);
        }
        if (at >= line.size()) return;
    }
}

#include "workspace/csv_table.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>

#include "workspace/csv_fields.h"
#include "workspace/csv_lines.h"

namespace {

// Halfway between the largest float and 2^128: doubles from here on round to an infinite float.
constexpr double kFloatOverflow = 0x1.ffffffp+127;

enum class Number { kFinite, kText, kNotFinite, kOutOfRange };

Number ParseNumber(std::string_view text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
    const auto [end, error] = fast_float::from_chars(first, last, value);
    if (error != std::errc() || end != last) return Number::kText;
    if (std::isnan(value) || (std::isinf(value) && std::isalpha(static_cast<unsigned char>(last[-1]))))
        return Number::kNotFinite;
    return std::fabs(value) >= kFloatOverflow ? Number::kOutOfRange : Number::kFinite;
}

// At most `most` bytes of `text`, cut before a UTF-8 character rather than inside one, control
// characters shown as '?'.
std::string Shown(std::string_view text, std::size_t most = 24) {
    std::size_t length = text.size();
    if (length > most) {
        length = most;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    std::string shown(text.substr(0, length));
    for (char& c : shown) c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return length < text.size() ? shown + "..." : shown;
}

std::string Quoted(std::string_view text) { return "\"" + Shown(text) + "\""; }

const char* SeparatorName(char separator) {
    return separator == '\t' ? "tabs" : separator == ';' ? "semicolons" : "commas";
}

const char* FaultText(CsvField::Fault fault) {
    return fault == CsvField::kOpenQuote ? "quoted field not closed on its line"
                                         : "text after a closing quote";
}

class TableReader {
  public:
    TableReader(std::istream& in, const std::string& file, const CsvOptions& options)
        : lines_(in, kLongestCsvLine), problems_(file), options_(options) {}

    CsvTable Read() {
        if (NextContentLine()) {
            table_.separator = DetectSeparator(line_);
            SplitFields(line_, table_.separator, fields_);
            if (ReadColumns()) {
                if (!options_.header) ReadRow();
                while (!stopped_ && NextContentLine()) {
                    SplitFields(line_, table_.separator, fields_);
                    ReadRow();
                }
            }
        }
        if (problems_.Count() == 0) CheckTable();
        problems_.ThrowAny();
        return std::move(table_);
    }

  private:
    void Stop(std::size_t line, const std::string& message) {
        problems_.Add(line, 0, message);
        stopped_ = true;
    }

    // Skips blank and comment lines; false at the end of the text or where reading stops.
    bool NextContentLine() {
        for (;;) {
            const CsvLines::Result result = lines_.Next(line_);
            if (result == CsvLines::kTooLong)
                Stop(lines_.Number(), "a line longer than " + std::to_string(kLongestCsvLine) + " bytes");
            if (result == CsvLines::kEnd && lines_.Failed()) Stop(0, "cannot be read to its end");
            if (result != CsvLines::kLine) return false;
            const std::size_t first = line_.find_first_not_of(" \t");
            if (first != std::string::npos && line_[first] != '#') return true;
        }
    }

    std::string Column(std::size_t column) const {
        return "column " + std::to_string(column + 1) + " (" + Shown(names_[column]) + ")";
    }

    bool AllNumbers() const {
        double value = 0;
        for (const CsvField& field : fields_)
            if (field.fault != CsvField::kNone || ParseNumber(field.text, value) == Number::kText)
                return false;
        return true;
    }

    // From the header, or the first row when there is none; false when the rows cannot be read.
    bool ReadColumns() {
        const std::size_t line = lines_.Number(), count = fields_.size();
        if (count > kMostCsvColumns) {
            Stop(line, std::to_string(count) + " columns; at most " + std::to_string(kMostCsvColumns) +
                           " are read");
        } else if (count < 2) {
            Stop(line, "one column only; columns are separated by commas, tabs or semicolons");
        } else if (options_.header && AllNumbers()) {
            Stop(line, "numbers where the column names belong; is the table without a header?");
        }
        if (stopped_) return false;
        if (options_.header) {
            ReadNames(line);
        } else {
            for (std::size_t c = 0; c + 1 < count; ++c) names_.push_back("x" + std::to_string(c));
            names_.push_back("y");
        }
        ChooseTarget(line);
        values_.resize(count);
        return true;
    }

    void ReadNames(std::size_t line) {
        std::map<std::string, std::size_t> seen;
        for (const CsvField& field : fields_) {
            const std::size_t column = names_.size();
            names_.emplace_back(field.text);
            const auto [earlier, added] = seen.emplace(names_.back(), column);
            if (field.fault != CsvField::kNone) {
                problems_.Add(line, column + 1, FaultText(field.fault));
            } else if (field.text.empty()) {
                problems_.Add(line, column + 1, "column " + std::to_string(column + 1) + " has no name");
            } else if (!added) {
                problems_.Add(line, column + 1,
                              "column name " + Quoted(field.text) + " repeats column " +
                                  std::to_string(earlier->second + 1));
            }
        }
    }

    void ChooseTarget(std::size_t line) {
        targetColumn_ = names_.size() - 1;
        if (!options_.target.empty()) {
            std::size_t column = 0;
            while (column < names_.size() && names_[column] != options_.target) ++column;
            if (column == names_.size()) {
                problems_.Add(
                    line, 0,
                    "no column named " + Quoted(options_.target) + "; the columns are " + NameList());
            } else {
                targetColumn_ = column;
            }
        }
        for (std::size_t c = 0; c < names_.size(); ++c)
            if (c != targetColumn_) table_.inputNames.push_back(names_[c]);
        table_.targetName = names_[targetColumn_];
    }

    std::string NameList() const {
        constexpr std::size_t kMostNamed = 20;
        std::string list;
        for (std::size_t c = 0; c < names_.size() && c < kMostNamed; ++c)
            list += (c == 0 ? "" : ", ") + Shown(names_[c]);
        if (names_.size() > kMostNamed) list += ", ... (" + std::to_string(names_.size()) + " in all)";
        return list;
    }

    void ReadRow() {
        const std::size_t line = lines_.Number(), count = names_.size();
        const std::size_t given = std::min(fields_.size(), count);
        for (std::size_t c = 0; c < given; ++c) values_[c] = Cell(fields_[c], line, c);
        if (given < count) {
            problems_.Add(line, given + 1,
                          "missing value in " + Column(given) + ": the row has " + std::to_string(given) +
                              " of " + std::to_string(count) + " fields, separated by " +
                              SeparatorName(table_.separator));
        } else if (fields_.size() > count) {
            problems_.Add(line, count + 1,
                          "extra value " + Quoted(fields_[count].text) + ": the table has " +
                              std::to_string(count) + " columns, separated by " +
                              SeparatorName(table_.separator));
        }
        if (problems_.Count() == 0) Store(line);
    }

    double Cell(const CsvField& field, std::size_t line, std::size_t column) {
        double value = 0;
        if (field.fault != CsvField::kNone) {
            problems_.Add(line, column + 1, FaultText(field.fault));
        } else if (field.text.empty()) {
            problems_.Add(line, column + 1, "missing value in " + Column(column));
        } else {
            const char* problem = nullptr;
            switch (ParseNumber(field.text, value)) {
                case Number::kFinite:
                    return value;
                case Number::kText:
                    problem = "not a number in ";
                    break;
                case Number::kNotFinite:
                    problem = "not a finite number in ";
                    break;
                case Number::kOutOfRange:
                    problem = "out of float range in ";
                    break;
            }
            problems_.Add(
                line, column + 1,
                problem + Column(column) + ": " + Quoted(field.text) + DecimalCommaHint(field.text));
        }
        return 0;
    }

    // Where commas do not separate the columns, "1,5" is most likely a decimal comma.
    std::string DecimalCommaHint(std::string_view text) const {
        const std::size_t comma = text.find(',');
        if (table_.separator == ',' || comma == std::string_view::npos) return "";
        std::string dotted(text);
        dotted[comma] = '.';
        double value = 0;
        if (ParseNumber(dotted, value) != Number::kFinite) return "";
        return "; decimal commas are not read, write " + dotted;
    }

    // The memory given is counted as the rows need it; the machine's may run out before that.
    void Store(std::size_t line) {
        const std::uint64_t rowBytes = values_.size() * sizeof(double) + sizeof(std::size_t);
        try {
            if (storedBytes_ + rowBytes > options_.memoryBytes) throw std::bad_alloc();  // as if it had
            for (std::size_t c = 0; c < values_.size(); ++c)
                if (c != targetColumn_) table_.inputs.push_back(values_[c]);
            table_.targets.push_back(values_[targetColumn_]);
            table_.lines.push_back(line);
        } catch (const std::bad_alloc&) {
            Stop(line, "not enough memory for the table from this line on");
        }
        storedBytes_ += rowBytes;
    }

    // Programs compute in float, so a target is constant when it is the same float on every row (of
    // several: one row is allowed where the caller allows it).
    void CheckTable() {
        const std::size_t rows = table_.Rows();
        if (rows == 0) {
            problems_.Add(0, 0, "no data rows");
        } else if (rows < options_.minimumRows) {
            problems_.Add(0, 0,
                          std::to_string(rows) + (rows == 1 ? " data row" : " data rows") + "; at least " +
                              std::to_string(options_.minimumRows) + " are needed");
        } else if (rows > 1 && Constant(table_.targets)) {
            char value[32];
            std::snprintf(value, sizeof value, "%.10g", table_.targets[0]);
            problems_.Add(0, 0, "the target, " + Column(targetColumn_) + ", is " + value + " on every row");
        }
    }

    static bool Constant(const std::vector<double>& values) {
        for (double value : values)
            if (static_cast<float>(value) != static_cast<float>(values[0])) return false;
        return true;
    }

    CsvLines lines_;
    CsvProblems problems_;
    const CsvOptions& options_;
    std::string line_;
    std::vector<CsvField> fields_;
    std::vector<std::string> names_;
    std::size_t targetColumn_ = 0;
    std::vector<double> values_;  // of the row being read
    std::uint64_t storedBytes_ = 0;
    bool stopped_ = false;
    CsvTable table_;
};

}  // namespace

CsvTable ReadCsvTable(std::istream& in, const std::string& file, const CsvOptions& options) {
    return TableReader(in, file, options).Read();
}

CsvTable ReadCsvFile(const std::string& path, const CsvOptions& options) {
    std::ifstream in(path, std::ios::binary);
    const int error = errno;
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored)) {
        const char* reason = std::strerror(in ? EISDIR : error);
        throw CsvError({path + ": cannot be read: " + reason}, 1);
    }
    return ReadCsvTable(in, path, options);
}

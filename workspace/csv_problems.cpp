#include "workspace/csv_problems.h"

namespace {

std::string Joined(const std::vector<std::string>& shown, std::size_t total) {
    std::string text;
    for (const std::string& line : shown) text += (text.empty() ? "" : "\n") + line;
    const std::size_t more = total - shown.size();
    if (more > 0)
        text += "\n... and " + std::to_string(more) + (more == 1 ? " more problem" : " more problems");
    return text;
}

}  // namespace

CsvError::CsvError(std::vector<std::string> shown, std::size_t total)
    : std::runtime_error(Joined(shown, total)), shown_(std::move(shown)), total_(total) {}

void CsvProblems::Add(std::size_t line, std::size_t column, const std::string& message) {
    if (++total_ > kShownCsvProblems) return;
    std::string place = file_;
    if (line != 0) place += ":" + std::to_string(line);
    if (line != 0 && column != 0) place += ":" + std::to_string(column);
    shown_.push_back(place + ": " + message);
}

void CsvProblems::ThrowAny() const {
    if (total_ != 0) throw CsvError(shown_, total_);
}

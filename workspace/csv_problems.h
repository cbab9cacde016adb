#pragma once
// The problems found in a table of numbers, reported together in the style of a compiler
// ("data.csv:7:3: message"): the first few in full, then how many more there were.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

constexpr std::size_t kShownCsvProblems = 10;

// A refusal of the table: what() is the shown problems, one a line, and "... and N more problems"
// when there were more.
class CsvError : public std::runtime_error {
  public:
    CsvError(std::vector<std::string> shown, std::size_t total);
    const std::vector<std::string>& Shown() const { return shown_; }
    std::size_t Total() const { return total_; }

  private:
    std::vector<std::string> shown_;
    std::size_t total_;
};

class CsvProblems {
  public:
    explicit CsvProblems(std::string file) : file_(std::move(file)) {}

    // line 0: about the whole table; column 0: about a whole line. Both count from 1.
    void Add(std::size_t line, std::size_t column, const std::string& message);
    std::size_t Count() const { return total_; }
    // Throws the CsvError of the problems so far, if there are any.
    void ThrowAny() const;

  private:
    std::string file_;
    std::vector<std::string> shown_;
    std::size_t total_ = 0;
};

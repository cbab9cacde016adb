#include "app/table_reporter.h"

#include <boost/filesystem.hpp>
#include <boost/format.hpp>
#include <iostream>
#include <utility>

#include "app/program_file.h"

namespace {

// A terminal's line is redrawn often enough to look alive; a log gets a line now and then.
constexpr std::chrono::milliseconds kTerminalEvery{250}, kLogEvery{5000};

std::string Duration(double seconds) {
    return boost::str(boost::format(seconds < 10 ? "%.1f s" : "%.0f s") % seconds);
}

}  // namespace

std::string ProgressLine(double elapsed, const ProgressShape& shape, int generations,
                         const std::optional<ModelScores>& best) {
    std::string text = Duration(elapsed);
    if (shape.seconds > 0)
        text += " of " + Duration(shape.seconds) + " (" + Duration(std::max(shape.seconds - elapsed, 0.0)) +
                " left)";
    text += ", generation " + std::to_string(std::max(generations - 1, 0));
    if (shape.seconds <= 0) text += " of " + std::to_string(shape.generations);
    if (!best) return text + ": scoring the first programs";
    return text + boost::str(boost::format(": training error %.3g, validation error %.3g, size %d") %
                             best->trainingError % best->validationError % best->size);
}

TableReporter::TableReporter(std::string directory, bool keepPrograms, ProgressShape shape)
    : directory_(std::move(directory)), keepPrograms_(keepPrograms), shape_(shape) {}

TableReporter::~TableReporter() { StopProgress(); }

void TableReporter::StartProgress() {
    start_ = std::chrono::steady_clock::now();
    progress_ = std::thread([this] { ShowProgress(); });
}

void TableReporter::StopProgress() {
    if (!progress_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    progress_.join();
    if (shape_.terminal) std::cout << "\r\033[K" << std::flush;
}

double TableReporter::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void TableReporter::ShowProgress() {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto every = shape_.terminal ? kTerminalEvery : kLogEvery;
    while (!wake_.wait_for(lock, every, [this] { return stopping_; })) {
        std::string text = ProgressLine(Seconds(), shape_, generations_, best_);
        if (shape_.columns > 1 && text.size() >= shape_.columns) text.resize(shape_.columns - 1);
        if (shape_.terminal)
            std::cout << "\r" << text << "\033[K" << std::flush;
        else
            std::cout << text << '\n' << std::flush;
    }
}

void TableReporter::RunFailed(std::string message) {
    std::lock_guard<std::mutex> lock(mutex_);
    problems_.push_back(std::move(message));
}

void TableReporter::NewBestModel(std::string source, int generation, const ModelScores& scores) {
    const std::string path = ProgramFilePath(directory_, generation);
    const std::string problem = WriteProgramFile(path, source);
    std::lock_guard<std::mutex> lock(mutex_);
    best_ = scores;
    if (!problem.empty()) {
        problems_.push_back(problem);
        return;
    }
    if (!keepPrograms_ && !programFile_.empty() && programFile_ != path) {
        boost::system::error_code ignored;  // a file left behind costs room, not the run
        boost::filesystem::remove(programFile_, ignored);
    }
    programFile_ = path;
}

void TableReporter::FrontFound(const std::vector<FrontModel>& front, std::size_t chosen) {
    std::lock_guard<std::mutex> lock(mutex_);
    front_ = front;
    chosen_ = chosen;
}

void TableReporter::GenerationScored(int generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    generations_ = generation + 1;
}

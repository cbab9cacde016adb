#include "workspace/csv_lines.h"

#include <cstring>

bool CsvLines::Fill() {
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    at_ = 0;
    end_ = static_cast<std::size_t>(in_.gcount());
    if (!started_ && end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) at_ = 3;
    started_ = true;
    return end_ > 0;
}

CsvLines::Result CsvLines::Next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        bool more = true;
        while (more && at_ == end_) more = Fill();
        if (!more && !any) return kEnd;
        if (!more) break;
        any = true;
        const char* from = buffer_.data() + at_;
        const void* newline = std::memchr(from, '\n', end_ - at_);
        const std::size_t length = newline ? static_cast<const char*>(newline) - from : end_ - at_;
        line.append(from, length);
        at_ += length + (newline ? 1 : 0);
        if (line.size() > longest_ + 1) break;  // room for the CR of a CRLF
        if (newline) break;
    }
    ++number_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line.size() > longest_ ? kTooLong : kLine;
}

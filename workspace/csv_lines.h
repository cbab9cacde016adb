#pragma once
// The lines of a text stream one at a time, in bounded memory: a line ends at LF or CRLF (neither is
// part of it), an unterminated last line counts, and a UTF-8 byte-order mark at the start is left out.
#include <cstddef>
#include <istream>
#include <string>
#include <vector>

class CsvLines {
  public:
    enum Result { kLine, kEnd, kTooLong };

    CsvLines(std::istream& in, std::size_t longest) : in_(in), longest_(longest), buffer_(1 << 16) {}

    // kTooLong leaves `line` holding part of a line longer than `longest` bytes; reading stops there.
    Result Next(std::string& line);
    std::size_t Number() const { return number_; }  // of the line last read, from 1
    bool Failed() const { return in_.bad(); }       // a read error, as opposed to the end of the text

  private:
    bool Fill();

    std::istream& in_;
    std::size_t longest_;
    std::vector<char> buffer_;
    std::size_t at_ = 0, end_ = 0, number_ = 0;
    bool started_ = false;
};

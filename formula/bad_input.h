#pragma once
// Input the tool cannot use: a missing or unreadable file, a wrong option, K that does not fit.
// The tool prints the message as one line and ends with exit status 2, having written nothing.
#include <stdexcept>

struct BadInput : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The settings dialog fed arbitrary words: it ends with a standard exception or saves a file that
// loads again. The dialog reads standard input and prints to standard output, so both are
// redirected here.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "workspace/settings.h"
#include "workspace/settings_dialog.h"

namespace {

const std::string& Directory() {
    static const std::string directory = [] {
        char pattern[] = "/tmp/tarvo-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        return std::string(pattern);
    }();
    return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream words(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream printed;
    std::streambuf* const input = std::cin.rdbuf(words.rdbuf());
    std::streambuf* const output = std::cout.rdbuf(printed.rdbuf());
    unlink(SettingsPath(Directory()).c_str());
    try {
        CreateSettings(Directory());
    } catch (const std::exception&) {  // what the command loop prints
    }
    std::cin.rdbuf(input);
    std::cout.rdbuf(output);
    std::cin.clear();
    if (SettingsFileExists(Directory())) LoadSettings(Directory());  // throws if it does not load
    return 0;
}

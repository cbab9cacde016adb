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

static std::string directory;  // a fresh one, made once

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/tarvo-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    directory = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream words(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream printed;
    std::streambuf* const input = std::cin.rdbuf(words.rdbuf());
    std::streambuf* const output = std::cout.rdbuf(printed.rdbuf());
    unlink(SettingsPath(directory).c_str());
    try {
        CreateSettings(directory);
    } catch (const std::exception&) {  // what the command loop prints
    }
    std::cin.rdbuf(input);
    std::cout.rdbuf(output);
    std::cin.clear();
    if (SettingsFileExists(directory)) LoadSettings(directory);  // throws if it does not load
    return 0;
}

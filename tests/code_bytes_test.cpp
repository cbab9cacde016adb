// Compiled code byte for byte against tests/data/code_bytes.txt, which says how to read it.
#include <gtest/gtest.h>

#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>

#include "compile/activation.h"
#include "compile/code_generator.h"

namespace {

using Words = std::map<std::string, std::string>;

const char* const kTarget = sizeof(void*) == 4 ? "ia32" : "x86_64";

// Appends what `text` stands for: hex pairs, defined words, and helper names, whose bytes depend on
// where in `code` they land (rel32 on IA-32, imm64 on x86-64: as wide as an address).
void Append(const std::string& text, const Words& words, const std::uint8_t* code,
            std::vector<std::uint8_t>& bytes) {
    const std::map<std::string, float (*)(float)> helpers = {
        {"exp_func", exp_func},          {"log_func", log_func}, {"sin_func", sin_func},
        {"cos_func", cos_func},          {"tan_func", tan_func}, {"sigmoidal_act_func", sigmoidal_act_func},
        {"tanh_act_func", tanh_act_func}};
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        if (words.count(word)) {
            Append(words.at(word), words, code, bytes);
        } else if (helpers.count(word)) {
            auto value = reinterpret_cast<std::uintptr_t>(helpers.at(word));
            if (sizeof value == 4) value -= reinterpret_cast<std::uintptr_t>(code + bytes.size() + 4);
            for (std::size_t i = 0; i < sizeof value; ++i) bytes.push_back(std::uint8_t(value >> 8 * i));
        } else {
            std::size_t used = 0;
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, &used, 16)));
            EXPECT_TRUE(used == 2 && word.size() == 2) << "not a byte: " << word;
        }
    }
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    std::ostringstream text;
    for (std::size_t i = 0; i < count; ++i) {
        text << (i ? " " : "") << std::uppercase << std::hex << std::setw(2) << std::setfill('0')
             << int(bytes[i]);
    }
    return text.str();
}

TEST(CodeBytes, MatchTheGoldenFile) {
    std::ifstream file(TARVO_SOURCE_DIR "/tests/data/code_bytes.txt");
    Words words;
    CodeBuffer buffer;
    int cases = 0;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::istringstream stream(line.substr(0, line.find('#')));
        std::string target, program, expected;
        stream >> target;
        std::getline(stream.ignore(line.size(), '|'), program, '|');
        std::getline(stream, expected);
        if (target != "any" && target != kTarget) {
            continue;  // a blank line, a comment or the other target's
        }
        if (program.find('=') != std::string::npos) {  // NAME = bytes
            std::istringstream definition(program);
            std::string name;
            definition >> name >> std::ws;
            std::getline(definition.ignore(1), words[name]);
            continue;
        }
        std::vector<std::uint8_t> programBytes, expectedBytes;
        Append(program, words, nullptr, programBytes);
        Compile(buffer, programBytes);
        Append(expected, words, reinterpret_cast<const std::uint8_t*>(buffer.Function()), expectedBytes);
        EXPECT_EQ(Hex(buffer.Bytes(), buffer.Size()), Hex(expectedBytes.data(), expectedBytes.size()))
            << "line " << number << ": " << line;
        ++cases;
    }
    EXPECT_GT(cases, 100) << "tests/data/code_bytes.txt not found or cut short";
}

}  // namespace

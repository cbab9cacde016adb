#include "formula/program_file.h"

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "compile/helpers.h"
#include "compile/opcodes.h"
#include "compile/source_emitter.h"
#include "formula/bad_input.h"

namespace fs = boost::filesystem;

namespace {

const char kCodeLine[] = "__declspec(naked) inline float code(float[])";
const char kInputsStart[] = "\tfloat inputs []={";
const char kInputsEnd[] = "};";
constexpr std::size_t kHeadLines = 14;  // prologue, reload triple, fninit

// As the emitter writes them; a pop line follows the load of OP_ADDP .. OP_DIVP.
const char* const kPopLines[4] = {"\t_asm  faddp st(1),st", "\t_asm  fsubp st(1),st",
                                  "\t_asm  fmulp st(1),st", "\t_asm  fdivp st(1),st"};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

struct MemoryLine {
    std::uint8_t op;  // OP_LOAD for fld, OP_ADD .. OP_DIV
    std::uint16_t column;
};

bool ReadMemoryLine(const std::string& line, MemoryLine& memory) {
    static const std::regex form(
        R"(\t_asm  (fld|fadd|fsub|fmul|fdiv) dword ptr \[e[acd]x(?:\+(\d{1,5}))?\])");
    static const char* const ops[] = {"fld", "fadd", "fsub", "fmul", "fdiv"};
    std::smatch match;
    if (!std::regex_match(line, match, form)) return false;
    for (std::uint8_t op = 0; op < 5; ++op) {
        if (match[1] == ops[op]) memory.op = op;
    }
    const unsigned long displacement = match[2].matched ? std::stoul(match[2]) : 0;
    memory.column = static_cast<std::uint16_t>(displacement / 4 % 16384);
    return true;
}

int IndexOf(const std::string& line, const char* const* texts, int count, const std::string& prefix) {
    for (int i = 0; i < count; ++i) {
        if (line == prefix + texts[i]) return i;
    }
    return -1;
}

void Append(std::vector<std::uint8_t>& program, int opcode, std::uint16_t column) {
    program.insert(program.end(), {static_cast<std::uint8_t>(opcode), static_cast<std::uint8_t>(column >> 8),
                                   static_cast<std::uint8_t>(column & 0xFF)});
}

// Reads the instruction whose first line is body[at] and returns how many lines it takes, or 0 when
// no instruction begins there. Only a reading: CheckBody compares the lines with the emitter's.
std::size_t ReadInstruction(const std::vector<std::string>& body, std::size_t at,
                            std::vector<std::uint8_t>& program) {
    const auto line = [&](std::size_t i) { return i < body.size() ? body[i] : std::string(); };
    MemoryLine memory{};
    if (body[at] == "\t_asm  nop") {
        Append(program, OP_NOP, 0);
        return 1;
    }
    if (ReadMemoryLine(body[at], memory)) {
        const int pop = memory.op == OP_LOAD ? IndexOf(line(at + 1), kPopLines, 4, "") : -1;
        Append(program, pop >= 0 ? OP_ADDP + pop : memory.op, memory.column);
        return pop >= 0 ? 2 : 1;
    }
    if (body[at] != "\t_asm  push ecx") return 0;
    std::size_t next = at + 1;
    const bool ofInput = ReadMemoryLine(line(next), memory) && memory.op == OP_LOAD;
    if (ofInput) ++next;
    next += 1;  // the argument's store
    int helper = 0;
    for (int h = 0; h < kHelperCount; ++h)
        if (line(next) == std::string("\t_asm  call ") + kHelpers[h].emittedName) helper = h;
    Append(program, OP_EXP_INPUT + 2 * helper + (ofInput ? 0 : 1), ofInput ? memory.column : 0);
    return next + 5 - at;  // the call, the stack adjustment and the reload triple
}

// A body line as the message shows it: without its leading tab.
std::string Unknown(const std::string& line) {
    return "unknown body line \"" + line.substr(std::min(line.find_first_not_of(" \t"), line.size())) + "\"";
}

[[noreturn]] void Refuse(const std::string& path, std::size_t line, const std::string& what) {
    throw BadInput(path + ":" + std::to_string(line) + ": " + what);
}

// Every line of the body must be the emitter's line for the program read from it.
void CheckBody(const std::string& path, const std::vector<std::string>& body, std::size_t firstLine,
               const std::vector<std::uint8_t>& program) {
    std::vector<std::string> expected = Lines(EmitBody(program));
    expected.push_back("");  // the template's line break before the closing brace
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (i == body.size()) Refuse(path, firstLine + i, "the program body ends early");
        if (body[i] != expected[i]) Refuse(path, firstLine + i, Unknown(body[i]));
    }
    if (body.size() > expected.size()) {
        Refuse(path, firstLine + expected.size(), Unknown(body[expected.size()]));
    }
}

std::vector<std::uint8_t> ReadBody(const std::string& path, const std::vector<std::string>& body,
                                   std::size_t firstLine) {
    std::vector<std::uint8_t> program;
    for (std::size_t at = kHeadLines, used = 1; at < body.size() && used != 0; at += used) {
        used = ReadInstruction(body, at, program);
    }
    CheckBody(path, body, firstLine, program);
    return program;
}

// "(float)<value> " items joined by ",".
std::vector<float> ReadInputs(const std::string& path, std::size_t lineNumber, const std::string& line) {
    const std::string list = line.substr(sizeof kInputsStart - 1, line.size() - sizeof kInputsStart + 1 - 2);
    std::vector<float> values;
    std::istringstream items(list);
    for (std::string item; std::getline(items, item, ',');) {
        char* end = nullptr;
        const bool framed = item.size() > 8 && item.compare(0, 7, "(float)") == 0 && item.back() == ' ';
        if (framed) values.push_back(std::strtof(item.c_str() + 7, &end));
        if (!framed || end != &item.back()) Refuse(path, lineNumber, "unreadable inputs list");
    }
    return values;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string FindProgramFile(const std::string& fileOrDirectory) {
    boost::system::error_code error;
    const fs::file_status status = fs::status(fileOrDirectory, error);
    if (!fs::exists(status)) throw BadInput(fileOrDirectory + ": no such file or directory");
    if (!fs::is_directory(status)) return fileOrDirectory;
    static const std::regex name(R"(program(0|[1-9][0-9]{0,8})\.cpp)");
    long best = -1;
    for (fs::directory_iterator entry(fileOrDirectory, error), end; !error && entry != end;
         entry.increment(error)) {
        std::smatch match;
        const std::string file = entry->path().filename().string();
        if (std::regex_match(file, match, name) && fs::is_regular_file(entry->status())) {
            best = std::max(best, std::stol(match[1]));
        }
    }
    if (best < 0) throw BadInput(fileOrDirectory + ": no program file (program<N>.cpp) in this directory");
    const bool slash = fileOrDirectory.back() == '/';
    return fileOrDirectory + (slash ? "program" : "/program") + std::to_string(best) + ".cpp";
}

ProgramFile ReadProgramFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw BadInput(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return ParseProgramFile(path, text.str());
}

ProgramFile ParseProgramFile(const std::string& path, const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    const auto find = [&](std::size_t from, auto matches) {
        std::size_t i = from;
        while (i < lines.size() && !matches(lines[i])) ++i;
        return i;
    };
    const std::size_t code = find(0, [](const std::string& line) { return line == kCodeLine; });
    const std::size_t close = find(code, [](const std::string& line) { return line == "}"; });
    const std::size_t inputs = find(close, [](const std::string& line) {
        return line.compare(0, sizeof kInputsStart - 1, kInputsStart) == 0 && EndsWith(line, kInputsEnd);
    });
    if (inputs == lines.size() || code + 1 >= close || lines[code + 1] != "{") {
        throw BadInput(path + ": not a program file");
    }
    const std::vector<std::string> body(lines.begin() + code + 2, lines.begin() + close);
    ProgramFile file{path, ReadBody(path, body, code + 3), {}};
    file.values = ReadInputs(path, inputs + 1, lines[inputs]);
    return file;
}

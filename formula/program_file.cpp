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
#include "compile/x87_encoding.h"
#include "formula/bad_input.h"

namespace fs = boost::filesystem;

namespace {

const char kCodeLine[] = "__declspec(naked) inline float code(float[])";
const char kInputsStart[] = "\tfloat inputs []={";
const char kInputsEnd[] = "};";
constexpr std::size_t kHeadLines = 14;  // prologue, reload triple, fninit

// As the emitter writes them: after the load of OP_ADDP .. OP_DIVP, or alone for OP_ADDS .. OP_DIVS.
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
    int reg;  // the rotation register: eax 0, ecx 1, edx 2
};

bool ReadMemoryLine(const std::string& line, MemoryLine& memory) {
    static const std::regex form(
        R"(\t_asm  (fld|fadd|fsub|fmul|fdiv) dword ptr \[e([acd])x(?:\+(\d{1,5}))?\])");
    static const char* const ops[] = {"fld", "fadd", "fsub", "fmul", "fdiv"};
    std::smatch match;
    if (!std::regex_match(line, match, form)) return false;
    for (std::uint8_t op = 0; op < 5; ++op) {
        if (match[1] == ops[op]) memory.op = op;
    }
    memory.reg = match[2] == "a" ? 0 : match[2] == "c" ? 1 : 2;
    const unsigned long displacement = match[3].matched ? std::stoul(match[3]) : 0;
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

// The instruction whose first line is body[at]: `lines` 0 when none begins there. A load followed
// by a pop line is OP_ADDP .. OP_DIVP, or OP_LOAD and then OP_ADDS .. OP_DIVS (`split`): both give
// the same lines but count as one or two instructions, which the later lines' registers tell.
struct Reading {
    std::size_t lines = 0;
    std::uint8_t opcode = OP_NOP;
    std::uint16_t column = 0;
    int reg = -1;  // the register its memory line names, if it has one
    bool split = false;
};

Reading ReadInstruction(const std::vector<std::string>& body, std::size_t at) {
    const auto line = [&](std::size_t i) { return i < body.size() ? body[i] : std::string(); };
    MemoryLine memory{};
    if (body[at] == "\t_asm  nop") return {1, OP_NOP};
    if (ReadMemoryLine(body[at], memory)) {
        const int pop = memory.op == OP_LOAD ? IndexOf(line(at + 1), kPopLines, 4, "") : -1;
        if (pop < 0) return {1, memory.op, memory.column, memory.reg};
        return {2, static_cast<std::uint8_t>(OP_ADDP + pop), memory.column, memory.reg, true};
    }
    const int pop = IndexOf(body[at], kPopLines, 4, "");
    if (pop >= 0) return {1, static_cast<std::uint8_t>(OP_ADDS + pop)};  // after no load: the top two values
    if (body[at] != "\t_asm  push ecx") return {};
    std::size_t next = at + 1;
    const bool ofInput = ReadMemoryLine(line(next), memory) && memory.op == OP_LOAD;
    if (ofInput) ++next;
    next += 1;  // the argument's store
    int helper = 0;
    for (int h = 0; h < kHelperCount; ++h)
        if (line(next) == std::string("\t_asm  call ") + kHelpers[h].emittedName) helper = h;
    return {next + 5 - at,  // the call, the stack adjustment and the reload triple
            static_cast<std::uint8_t>(OP_EXP_INPUT + 2 * helper + (ofInput ? 0 : 1)),
            static_cast<std::uint16_t>(ofInput ? memory.column : 0), ofInput ? memory.reg : -1};
}

// The readings of the body so far that its registers allow, at most one per rotation position,
// the one of fewer instructions kept. When none fits, the first goes on, for CheckBody to refuse.
void Extend(std::vector<std::vector<std::uint8_t>>& readings, const Reading& read) {
    std::vector<std::vector<std::uint8_t>> next;
    const auto keep = [&next](std::vector<std::uint8_t> program) {
        for (const auto& kept : next)
            if (kept.size() / 3 % 3 == program.size() / 3 % 3) return;
        next.push_back(std::move(program));
    };
    for (const std::vector<std::uint8_t>& program : readings) {
        if (read.reg >= 0 && static_cast<std::size_t>(read.reg) != program.size() / 3 % 3) continue;
        std::vector<std::uint8_t> whole = program;
        Append(whole, read.opcode, read.column);
        keep(std::move(whole));
        if (!read.split) continue;
        std::vector<std::uint8_t> split = program;
        Append(split, OP_LOAD, read.column);
        Append(split, OP_ADDS + (read.opcode - OP_ADDP), 0);
        keep(std::move(split));
    }
    if (next.empty()) {
        next.push_back(readings.front());
        Append(next.front(), read.opcode, read.column);
    }
    std::stable_sort(next.begin(), next.end(), [](const auto& a, const auto& b) { return a.size() < b.size(); });
    readings = std::move(next);
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
    std::vector<std::vector<std::uint8_t>> readings(1);
    for (std::size_t at = kHeadLines; at < body.size();) {
        const Reading read = ReadInstruction(body, at);
        if (read.lines == 0) break;
        Extend(readings, read);
        at += read.lines;
    }
    CheckBody(path, body, firstLine, readings.front());
    return readings.front();
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

void CheckColumns(const ProgramFile& file) {
    for (std::size_t at = 0; at < file.program.size(); at += 3) {
        const Shape shape = FormOf(file.program[at]).shape;
        const std::size_t column = file.program[at + 1] << 8 | file.program[at + 2];
        const bool reads = shape != Shape::HelperOfTop && shape != Shape::Nop && shape != Shape::Pop;
        if (reads && column >= file.values.size()) {
            throw BadInput(file.path + ": instruction " + std::to_string(at / 3 + 1) + " reads column " +
                           std::to_string(column) + ", past the " + std::to_string(file.values.size()) +
                           " values of the inputs list");
        }
    }
}

#pragma once
// A program file as the console writes it (program<N>.cpp): the program comes back from the lines
// of its assembler body, the row values from the inputs list of its main function.
#include <cstdint>
#include <string>
#include <vector>

struct ProgramFile {
    std::string path;
    // 3-byte instructions as the body shows them: the operand of a form that reads the row is its
    // column (the byte offset / 4), of any other form 0; a nop line gives opcode 23. A load line
    // followed by a pop line reads as OP_ADDP .. OP_DIVP, which computes what OP_LOAD and OP_ADDS ..
    // OP_DIVS would.
    std::vector<std::uint8_t> program;
    std::vector<float> values;  // the inputs list: a row's inputs, then the run's constants
};

// The path itself, or for a directory its program<N>.cpp of the highest N.
std::string FindProgramFile(const std::string& fileOrDirectory);

// Throws BadInput with the path (and line) for a missing file, a file that is no program file,
// a body line that is not exactly what the console writes there, or an unreadable inputs list.
ProgramFile ReadProgramFile(const std::string& path);
ProgramFile ParseProgramFile(const std::string& path, const std::string& text);

// Throws BadInput when an instruction reads a column past the inputs list: the compiled program
// reads every column its instructions name, live or not.
void CheckColumns(const ProgramFile& file);

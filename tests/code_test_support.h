#pragma once
// Helpers shared by the code generator's tests: program building, hex dumps, the body of a buffer.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "compile/activation.h"
#include "compile/code_generator.h"
#include "compile/native_glue.h"
#include "compile/x87_encoding.h"

struct Instruction {
    std::uint8_t opcode;
    std::uint16_t operand;
};

inline std::vector<std::uint8_t> ProgramOf(std::initializer_list<Instruction> instructions) {
    std::vector<std::uint8_t> program;
    for (const Instruction& instruction : instructions) {
        program.push_back(instruction.opcode);
        program.push_back(static_cast<std::uint8_t>(instruction.operand >> 8));
        program.push_back(static_cast<std::uint8_t>(instruction.operand));
    }
    return program;
}

// "D9 80 08 04 00 00": upper-case pairs separated by one blank.
inline std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += pair;
    }
    return text;
}

inline std::string Hex(const std::vector<std::uint8_t>& bytes) { return Hex(bytes.data(), bytes.size()); }

// The bytes between prologue and epilogue, for programs that end with at most one x87 slot in use
// (the x86-64 exit grows with the final depth).
inline std::string BodyHex(const CodeBuffer& buffer) {
    const std::size_t exitSize = CodeBuffer().Size() - kPrologueSize;
    return Hex(buffer.Bytes() + kPrologueSize, buffer.Size() - kPrologueSize - exitSize);
}

// The nops that move an instruction to rotation position 0, 1 or 2, followed by a blank.
inline std::string NopsHex(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "90 ";
    }
    return text;
}

inline std::string ProgramHex(const std::vector<std::uint8_t>& program) { return Hex(program); }

// Whether this x87 raises stack faults (nine pushes give NaN). Real processors do; the IA-32
// emulator the tests run under does not, and there pushes wrap around and empty slots read stale.
inline bool X87ModelsStackFaults() {
    CodeBuffer buffer;
    Compile(buffer, ProgramOf({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}));
    const float row[] = {1.0f};
    return std::isnan(CallCompiled(buffer, row));
}

// Fills in the helper reference "<>" of an expected byte pattern such as "51 D9 1C 24 E8 <> 83 C4 04":
// `encode` turns the helper and the address of the reference into its bytes.
template <class Encode>
std::string ExpandHelper(const std::string& pattern, HelperFunction helper, const std::uint8_t* start,
                         Encode encode) {
    const std::size_t at = pattern.find("<>");
    if (at == std::string::npos) {
        return pattern;
    }
    const std::size_t bytesBefore = at / 3;  // "XX " per byte
    return pattern.substr(0, at) + Hex(encode(helper, start + bytesBefore)) + pattern.substr(at + 2);
}

#include "compile/source_emitter.h"

#include <boost/format.hpp>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>

#include "compile/helpers.h"
#include "compile/opcodes.h"

namespace {

const char kSourceTemplate[] =
    "#include \"stdafx.h\"\n#include <math.h>\n%1%\n"
    "__declspec(naked) inline float code(float[])\n{\n%2%\n}\n"
    "int _tmain(int argc, _TCHAR* argv[])\n{\n%3%\tfloat inputs []={%4%};\n\tfloat expected=%5%;\n"
    "\tfloat actual=code(inputs);\n\treturn 0;\n}\n";

// Same frame as the native prologue: 0C4h bytes of locals filled with 0CCh.
const char kPrologue[] =
    "\t_asm push ebp\n"
    "\t_asm mov ebp,esp\n"
    "\t_asm sub esp,0C4h\n"
    "\t_asm push ebx\n"
    "\t_asm push esi\n"
    "\t_asm push edi\n"
    "\t_asm lea  edi,[ebp-0C4h]\n"
    "\t_asm mov  ecx,31h\n"
    "\t_asm mov  eax,0CCCCCCCCh\n"
    "\t_asm rep stos dword ptr es:[edi]\n";

// All three rotation registers hold the row pointer; a helper call may change them.
const char kReload[] =
    "\t_asm  mov eax,dword ptr [ebp+8]\n"
    "\t_asm  mov ecx,dword ptr [ebp+8]\n"
    "\t_asm  mov edx,dword ptr [ebp+8]\n";

// Rounds the result to a float through the first local.
const char kEpilogue[] =
    "\t_asm fstp dword ptr [ebp-0C4h]\n"
    "\t_asm fld  dword ptr [ebp-0C4h]\n"
    "\t_asm pop  edi\n"
    "\t_asm pop  esi\n"
    "\t_asm pop  ebx\n"
    "\t_asm mov  esp,ebp\n"
    "\t_asm pop  ebp\n"
    "\t_asm ret\n";

const char* const kRegisters[3] = {"eax", "ecx", "edx"};
const char* const kMemoryOps[4] = {"fadd", "fsub", "fmul", "fdiv"};  // OP_ADD .. OP_DIV
// OP_ADDP .. OP_DIVP after their load, and OP_ADDS .. OP_DIVS alone
const char* const kPopLines[4] = {
    "\t_asm  faddp st(1),st\n",
    "\t_asm  fsubp st(1),st\n",
    "\t_asm  fmulp st(1),st\n",
    "\t_asm  fdivp st(1),st\n",
};

// Longest instruction: a helper of its input with a five-digit displacement, then the reload triple.
constexpr std::size_t kMaxInstructionText = 256;

// "\t_asm  <op> dword ptr [<reg>]\n", with "+<displacement>" inside the brackets when it is not 0.
void AppendMemoryLine(std::string& out, const char* op, const char* reg, unsigned displacement) {
    out += "\t_asm  ";
    out += op;
    out += " dword ptr [";
    out += reg;
    if (displacement != 0) {
        out += '+';
        out += std::to_string(displacement);
    }
    out += "]\n";
}

void AppendInstruction(std::string& out, std::uint8_t opcode, const char* reg, unsigned displacement) {
    if (opcode == OP_LOAD) {
        AppendMemoryLine(out, "fld", reg, displacement);
    } else if (opcode <= OP_DIV) {
        AppendMemoryLine(out, kMemoryOps[opcode - OP_ADD], reg, displacement);
    } else if (opcode <= OP_DIVP) {
        AppendMemoryLine(out, "fld", reg, displacement);
        out += kPopLines[opcode - OP_ADDP];
    } else if (opcode < OP_NOP) {
        const bool ofInput = (opcode - OP_EXP_INPUT) % 2 == 0;
        out += "\t_asm  push ecx\n";
        if (ofInput) AppendMemoryLine(out, "fld", reg, displacement);
        out += "\t_asm  fstp dword ptr [esp]\n";
        out += "\t_asm  call ";
        out += kHelpers[HelperOf(opcode)].emittedName;
        out += "\n\t_asm  add esp, 4\n";
        out += kReload;
    } else if (opcode >= OP_ADDS && opcode <= OP_DIVS) {
        out += kPopLines[opcode - OP_ADDS];
    } else {
        out += "\t_asm  nop\n";
    }
}

// The stream's default text (six significant digits) where it reads back as the same float, else the
// fewest digits that do: the file's program must compute with the very constants it was learned with.
std::string FloatText(float value) {
    std::ostringstream out;
    out << value;
    for (int digits = 7;
         digits <= 9 && std::isfinite(value) && std::strtof(out.str().c_str(), nullptr) != value; ++digits) {
        out.str("");
        out << std::setprecision(digits) << value;
    }
    return out.str();
}

}  // namespace

std::string EmitBody(const std::vector<std::uint8_t>& program) {
    const std::size_t count = program.size() / 3;
    std::string out;
    out.reserve(sizeof kPrologue + sizeof kReload + sizeof kEpilogue + 16 + count * kMaxInstructionText);
    out += kPrologue;
    out += kReload;
    out += "\t_asm fninit\n";
    for (std::size_t n = 0; n < count; ++n) {
        const std::uint8_t* instruction = &program[3 * n];
        const unsigned operand = (unsigned{instruction[1]} << 8) | instruction[2];
        // The native code forms the byte offset in 16 bits.
        const unsigned displacement = (4 * operand) & 0xFFFFu;
        AppendInstruction(out, instruction[0], kRegisters[n % 3], displacement);
    }
    out += kEpilogue;
    return out;
}

std::string InputsText(const std::vector<float>& sampleInputs) {
    std::string out;
    for (std::size_t i = 0; i < sampleInputs.size(); ++i) {
        if (i != 0) out += ',';
        out += "(float)" + FloatText(sampleInputs[i]) + ' ';
    }
    return out;
}

std::string ExpectedText(float sampleTarget) { return FloatText(sampleTarget); }

void PrepareSample(const std::vector<std::vector<float>>& rows, const std::vector<float>& constants,
                   std::vector<float>& sampleInputs, float& sampleTarget) {
    if (rows.empty() || rows.front().empty()) return;
    const std::vector<float>& row = rows.front();
    sampleInputs.assign(row.begin(), row.end() - 1);
    sampleInputs.insert(sampleInputs.end(), constants.begin(), constants.end());
    sampleTarget = row.back();
}

std::string FormatSource(const std::string& helperSource, const std::string& body,
                         const std::string& activationSource, const std::string& inputsText,
                         const std::string& expectedText) {
    return (boost::format(kSourceTemplate) % helperSource % body % activationSource % inputsText %
            expectedText)
        .str();
}

std::string EmitSource(const std::vector<std::uint8_t>& program, const std::vector<float>& sampleInputs,
                       float sampleTarget, const std::string& helperSource,
                       const std::string& activationSource) {
    return FormatSource(helperSource, EmitBody(program), activationSource, InputsText(sampleInputs),
                        ExpectedText(sampleTarget));
}

#include "compile/source_emitter.h"

#include <gtest/gtest.h>

#include <boost/format.hpp>
#include <limits>

namespace {

const std::string kHead =
    "\t_asm push ebp\n\t_asm mov ebp,esp\n\t_asm sub esp,0C4h\n\t_asm push ebx\n\t_asm push esi\n"
    "\t_asm push edi\n\t_asm lea  edi,[ebp-0C4h]\n\t_asm mov  ecx,31h\n\t_asm mov  eax,0CCCCCCCCh\n"
    "\t_asm rep stos dword ptr es:[edi]\n"
    "\t_asm  mov eax,dword ptr [ebp+8]\n\t_asm  mov ecx,dword ptr [ebp+8]\n\t_asm  mov edx,dword ptr "
    "[ebp+8]\n"
    "\t_asm fninit\n";
const std::string kTail =
    "\t_asm fstp dword ptr [ebp-0C4h]\n\t_asm fld  dword ptr [ebp-0C4h]\n\t_asm pop  edi\n\t_asm pop  esi\n"
    "\t_asm pop  ebx\n\t_asm mov  esp,ebp\n\t_asm pop  ebp\n\t_asm ret\n";
const std::string kReload =
    "\t_asm  mov eax,dword ptr [ebp+8]\n\t_asm  mov ecx,dword ptr [ebp+8]\n\t_asm  mov edx,dword ptr "
    "[ebp+8]\n";

std::string Call(const char* helper, const std::string& load) {
    return "\t_asm  push ecx\n" + load + "\t_asm  fstp dword ptr [esp]\n\t_asm  call " + helper +
           "\n\t_asm  add esp, 4\n" + kReload;
}

struct BodyCase {
    std::vector<std::uint8_t> program;
    std::string lines;  // between the head and the tail
};

// A leading nop puts the instruction under test at position 1, register ecx; operand 258 gives +1032.
const std::string kAt1 = "\t_asm  nop\n";
const std::string kLoad1032 = "\t_asm  fld dword ptr [ecx+1032]\n";

TEST(SourceEmitter, BodyLinesOfEveryOpcode) {
    const BodyCase cases[] = {
        {{}, ""},
        {{0, 0, 0}, "\t_asm  fld dword ptr [eax]\n"},
        {{0, 0, 0, 9, 1, 2}, "\t_asm  fld dword ptr [eax]\n" + Call("exp_func", kLoad1032)},
        {{0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4},
         "\t_asm  fld dword ptr [eax+4]\n\t_asm  fld dword ptr [ecx+8]\n\t_asm  fld dword ptr [edx+12]\n"
         "\t_asm  fld dword ptr [eax+16]\n"},
        {{0, 0x40, 0, 0, 0x40, 1, 0, 0xFF, 0xFF},  // 16-bit offsets: 16384 -> 0, 16385 -> 4, 65535 -> 65532
         "\t_asm  fld dword ptr [eax]\n\t_asm  fld dword ptr [ecx+4]\n\t_asm  fld dword ptr [edx+65532]\n"},
        {{23, 0, 0, 1, 1, 2}, kAt1 + "\t_asm  fadd dword ptr [ecx+1032]\n"},
        {{23, 0, 0, 2, 1, 2}, kAt1 + "\t_asm  fsub dword ptr [ecx+1032]\n"},
        {{23, 0, 0, 3, 1, 2}, kAt1 + "\t_asm  fmul dword ptr [ecx+1032]\n"},
        {{23, 0, 0, 4, 0, 0}, kAt1 + "\t_asm  fdiv dword ptr [ecx]\n"},
        {{23, 0, 0, 5, 1, 2}, kAt1 + kLoad1032 + "\t_asm  faddp st(1),st\n"},
        {{23, 0, 0, 6, 1, 2}, kAt1 + kLoad1032 + "\t_asm  fsubp st(1),st\n"},
        {{23, 0, 0, 7, 1, 2}, kAt1 + kLoad1032 + "\t_asm  fmulp st(1),st\n"},
        {{23, 0, 0, 8, 0, 0}, kAt1 + "\t_asm  fld dword ptr [ecx]\n\t_asm  fdivp st(1),st\n"},
        {{23, 0, 0, 23, 0, 0, 9, 0, 0}, kAt1 + kAt1 + Call("exp_func", "\t_asm  fld dword ptr [edx]\n")},
        {{23, 0, 0, 10, 1, 2}, kAt1 + Call("exp_func", "")},
        {{23, 0, 0, 11, 1, 2}, kAt1 + Call("log_func", kLoad1032)},
        {{23, 0, 0, 12, 1, 2}, kAt1 + Call("log_func", "")},
        {{23, 0, 0, 13, 1, 2}, kAt1 + Call("sin_func", kLoad1032)},
        {{23, 0, 0, 14, 1, 2}, kAt1 + Call("sin_func", "")},
        {{23, 0, 0, 15, 1, 2}, kAt1 + Call("cos_func", kLoad1032)},
        {{23, 0, 0, 16, 1, 2}, kAt1 + Call("cos_func", "")},
        {{23, 0, 0, 17, 1, 2}, kAt1 + Call("tan_func", kLoad1032)},
        {{23, 0, 0, 18, 1, 2}, kAt1 + Call("tan_func", "")},
        {{23, 0, 0, 19, 1, 2}, kAt1 + Call("sigmoidal_act_func", kLoad1032)},
        {{23, 0, 0, 20, 1, 2}, kAt1 + Call("sigmoidal_act_func", "")},
        {{23, 0, 0, 21, 1, 2}, kAt1 + Call("tanh_act_func", kLoad1032)},
        {{23, 0, 0, 22, 1, 2}, kAt1 + Call("tanh_act_func", "")},
        {{0, 0, 0, 1, 0}, "\t_asm  fld dword ptr [eax]\n"},  // a partial instruction is not one
    };
    for (const BodyCase& c : cases) {
        EXPECT_EQ(EmitBody(c.program), kHead + c.lines + kTail)
            << "program of " << c.program.size() << " bytes";
    }
}

TEST(SourceEmitter, BytesOutsideTheOpcodesAreNops) {
    for (unsigned opcode = 23; opcode <= 255; ++opcode) {
        const std::vector<std::uint8_t> program{static_cast<std::uint8_t>(opcode), 1, 2};
        EXPECT_EQ(EmitBody(program), kHead + "\t_asm  nop\n" + kTail) << "opcode " << opcode;
    }
}

TEST(SourceEmitter, FloatsPrintAsTheFormatTemplatesPrintThem) {
    const float inf = std::numeric_limits<float>::infinity();
    // clang-format off
    const std::pair<float, const char*> cases[] = {
        {0.5f, "0.5"}, {3, "3"}, {-1.25f, "-1.25"}, {1.0f / 3, "0.333333"}, {0.1f, "0.1"},
        {123456.7f, "123457"}, {1234567, "1.23457e+06"}, {1e-5f, "1e-05"}, {-0.0f, "-0"},
        {inf, "inf"}, {-inf, "-inf"}, {std::numeric_limits<float>::quiet_NaN(), "nan"},
    };
    // clang-format on
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(ExpectedText(value), text);
        EXPECT_EQ(ExpectedText(value), (boost::format("%s") % value).str());
        EXPECT_EQ(InputsText({value}), (boost::format("(float)%s ") % value).str());
    }
    EXPECT_EQ(InputsText({0.5f, 3, -1.25f}), "(float)0.5 ,(float)3 ,(float)-1.25 ");
    EXPECT_EQ(InputsText({}), "");
}

TEST(SourceEmitter, SampleIsTheFirstRowsInputsThenTheConstants) {
    std::vector<float> inputs{9, 9, 9, 9, 9};
    float target = -1;
    PrepareSample({}, {0.5f}, inputs, target);  // no rows: the earlier sample stays
    PrepareSample({{}}, {0.5f}, inputs, target);
    EXPECT_EQ(inputs, std::vector<float>(5, 9));
    EXPECT_EQ(target, -1);
    PrepareSample({{1, 2, 10}, {3, 4, 20}}, {0.5f, 7}, inputs, target);
    EXPECT_EQ(inputs, (std::vector<float>{1, 2, 0.5f, 7}));
    EXPECT_EQ(target, 10);
    PrepareSample({{2}}, {}, inputs, target);
    EXPECT_TRUE(inputs.empty());
    EXPECT_EQ(target, 2);
}

TEST(SourceEmitter, WholeFileWithHelpers) {
    const std::string exp = "float exp_func ( float x )\n{\n\treturn (float)::exp(x);\n}\n\n";
    const std::string tan = "float tan_func ( float x )\n{\n\treturn (float)::tan(x);\n}\n";
    EXPECT_EQ(EmitSource({0, 0, 1, 10, 0, 0, 17, 0, 0}, {0.5f, 3, -1.25f}, -7, exp + tan,
                         "\tsigmoidal_act_func_init ();\n\ttanh_act_func_init();\n"),
              "#include \"stdafx.h\"\n#include <math.h>\n" + exp + tan +
                  "\n__declspec(naked) inline float code(float[])\n{\n" + kHead +
                  "\t_asm  fld dword ptr [eax+4]\n" + Call("exp_func", "") +
                  Call("tan_func", "\t_asm  fld dword ptr [edx]\n") + kTail +
                  "\n}\nint _tmain(int argc, _TCHAR* argv[])\n{\n"
                  "\tsigmoidal_act_func_init ();\n\ttanh_act_func_init();\n"
                  "\tfloat inputs []={(float)0.5 ,(float)3 ,(float)-1.25 };\n"
                  "\tfloat expected=-7;\n\tfloat actual=code(inputs);\n\treturn 0;\n}\n");
}

}  // namespace

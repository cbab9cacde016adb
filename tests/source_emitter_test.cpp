// The emitter's assembly lines, helpers and sample against tests/data/source_emitter.case.
#include "compile/source_emitter.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "compile/opcodes.h"
#include "tests/console_case.h"

namespace {

TEST(SourceEmitter, BodiesAndAWholeFileMatchTheGoldenFile) {
    const ConsoleCase golden =
        ParseConsoleCase("", ReadFile(TARVO_SOURCE_DIR "/tests/data/source_emitter.case"));
    std::map<std::string, std::string> text;
    int bodies = 0;
    for (const ConsoleSection& section : golden.sections) {
        text[section.kind] = section.content;
        if (section.kind != "body") continue;
        std::istringstream hex(section.argument);
        std::vector<std::uint8_t> program;
        for (unsigned byte; hex >> std::hex >> byte;) program.push_back(static_cast<std::uint8_t>(byte));
        EXPECT_EQ(EmitBody(program), text["head"] + section.content + text["tail"]) << section.argument;
        ++bodies;
    }
    EXPECT_EQ(bodies, 32);
    for (unsigned opcode = kOpcodeCount; opcode <= 255; ++opcode)  // bytes outside the opcodes are nops
        EXPECT_EQ(EmitBody({static_cast<std::uint8_t>(opcode), 1, 2}),
                  text["head"] + "\t_asm  nop\n" + text["tail"]);
    const std::string exp = "float exp_func ( float x )\n{\n\treturn (float)::exp(x);\n}\n\n";
    const std::string tan = "float tan_func ( float x )\n{\n\treturn (float)::tan(x);\n}\n";
    EXPECT_EQ(EmitSource({0, 0, 1, 10, 0, 0, 17, 0, 0}, {0.5f, 3, -1.25f}, -7, exp + tan,
                         "\tsigmoidal_act_func_init ();\n\ttanh_act_func_init();\n"),
              text["source"]);
}

TEST(SourceEmitter, SampleIsTheFirstRowsInputsThenTheConstants) {
    std::vector<float> inputs{9, 9, 9, 9, 9};
    float target = -1;
    PrepareSample({}, {0.5f}, inputs, target);  // no rows, or an empty one: the earlier sample stays
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

}  // namespace

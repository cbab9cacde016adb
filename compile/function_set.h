#pragma once
// The function set: which opcodes generation and mutation may draw, and which helper texts an
// emitted program then needs.
#include <cstdint>
#include <string>
#include <vector>

#include "compile/opcodes.h"

// Empties the three outputs, then fills them from the function bits (the settings' FunctionFlag
// values): the pool gets 0 and 23, then one opcode pair per set bit in increasing bit order; the
// helper and activation texts get the source blocks of the set bits that need one.
void BuildOpcodePool(std::int32_t functionFlags, std::vector<std::uint8_t>& opcodePool,
                     std::string& helperSource, std::string& activationSource);

#include "platform/executable_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace {

// B8 2A 00 00 00 C3: mov eax,42; ret, the same bytes in 32-bit and 64-bit mode.
const std::uint8_t kReturn42[] = {0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3};

int CallAsFunction(const ExecutableMemory& memory) {
    auto function = reinterpret_cast<int (*)()>(reinterpret_cast<std::uintptr_t>(memory.data()));
    return function();
}

TEST(ExecutableMemory, RunsWhatIsWrittenIntoIt) {
    ExecutableMemory memory(4096);
    ASSERT_NE(memory.data(), nullptr);
    EXPECT_EQ(memory.size(), 4096u);
    EXPECT_EQ(memory.data()[4095], 0);  // zero-filled
    std::memcpy(memory.data(), kReturn42, sizeof kReturn42);
    EXPECT_EQ(CallAsFunction(memory), 42);
}

TEST(ExecutableMemory, MovesOwnership) {
    ExecutableMemory first(4096);
    std::memcpy(first.data(), kReturn42, sizeof kReturn42);
    std::uint8_t* const data = first.data();

    ExecutableMemory second(std::move(first));
    EXPECT_EQ(first.data(), nullptr);
    EXPECT_EQ(first.size(), 0u);
    EXPECT_EQ(second.data(), data);

    ExecutableMemory third(8192);
    third = std::move(second);  // releases third's own mapping
    EXPECT_EQ(third.data(), data);
    EXPECT_EQ(third.size(), 4096u);
    EXPECT_EQ(CallAsFunction(third), 42);

    ExecutableMemory empty;
    EXPECT_EQ(empty.data(), nullptr);
}

}  // namespace

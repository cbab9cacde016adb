#include "platform/executable_memory.h"

#include <sys/mman.h>

#include <cerrno>
#include <system_error>
#include <utility>

ExecutableMemory::ExecutableMemory(std::size_t size) {
    void* memory =
        mmap(nullptr, size, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        throw std::system_error(errno, std::generic_category(), "cannot map executable memory");
    }
    data_ = static_cast<std::uint8_t*>(memory);
    size_ = size;
}

ExecutableMemory::~ExecutableMemory() { Release(); }

ExecutableMemory::ExecutableMemory(ExecutableMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ExecutableMemory& ExecutableMemory::operator=(ExecutableMemory&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void ExecutableMemory::Release() noexcept {
    if (data_ != nullptr) {
        munmap(data_, size_);
        data_ = nullptr;
        size_ = 0;
    }
}

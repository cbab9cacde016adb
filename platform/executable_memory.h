#pragma once
// Memory that is readable, writable and executable at once, for code written at run time.
// Owned by one object; released when that object dies. Not thread-safe: one user at a time.
#include <cstddef>
#include <cstdint>

class ExecutableMemory {
  public:
    ExecutableMemory() = default;
    // Maps `size` bytes (rounded up to whole pages by the system), zero-filled.
    // Throws std::system_error when the system refuses.
    explicit ExecutableMemory(std::size_t size);
    ~ExecutableMemory();

    ExecutableMemory(ExecutableMemory&& other) noexcept;
    ExecutableMemory& operator=(ExecutableMemory&& other) noexcept;
    ExecutableMemory(const ExecutableMemory&) = delete;
    ExecutableMemory& operator=(const ExecutableMemory&) = delete;

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    void Release() noexcept;

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

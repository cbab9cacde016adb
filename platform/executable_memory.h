#pragma once
// Memory for code written at run time that is never writable and executable at once: one
// shared-memory object mapped twice, a read-write view that code is written through and a
// read-execute view, at another address, that runs it. A store through the writable view is seen
// at the same offset of the executable view. Position-dependent code (a relative call) must be
// encoded for the executable address: executable address = writable address + Distance().
//
// Use: write through Writable(), call FinishWriting(), then run from Executable(). Owned by one
// object; released when that object dies. Not thread-safe: one user at a time.
#include <cstddef>
#include <cstdint>

class ExecutableMemory {
  public:
    ExecutableMemory() = default;
    // Maps `size` bytes (a whole number of pages), zero-filled.
    // Throws std::system_error when the system refuses.
    explicit ExecutableMemory(std::size_t size);
    ~ExecutableMemory();

    ExecutableMemory(ExecutableMemory&& other) noexcept;
    ExecutableMemory& operator=(ExecutableMemory&& other) noexcept;
    ExecutableMemory(const ExecutableMemory&) = delete;
    ExecutableMemory& operator=(const ExecutableMemory&) = delete;

    std::uint8_t* Writable() const { return writable_; }
    const std::uint8_t* Executable() const { return executable_; }
    // Executable() minus Writable(), in wrap-around address arithmetic.
    std::uintptr_t Distance() const {
        return reinterpret_cast<std::uintptr_t>(executable_) - reinterpret_cast<std::uintptr_t>(writable_);
    }
    std::size_t Size() const { return size_; }

    // Makes code written since the last call the code that runs. Processors see a store through
    // the other view at once and this does nothing; an emulator that keeps translations of the
    // executable view (qemu's user mode, which runs the IA-32 tests) is made to drop them. Which of
    // the two holds is found once per process by running a probe.
    void FinishWriting() const;

  private:
    void Release() noexcept;

    std::uint8_t* writable_ = nullptr;
    const std::uint8_t* executable_ = nullptr;
    std::size_t size_ = 0;
};

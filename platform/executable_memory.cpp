#include "platform/executable_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <system_error>
#include <utility>

// The object has no name in any file system and goes away with its last mapping.
ExecutableMemory::ExecutableMemory(std::size_t size) {
    const int fd = memfd_create("tarvo-code", MFD_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot create code memory");
    void* writable = MAP_FAILED;
    void* executable = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(size)) == 0) {
        writable = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (writable != MAP_FAILED)
            executable = mmap(nullptr, size, PROT_READ | PROT_EXEC, MAP_SHARED, fd, 0);
    }
    const int error = errno;
    close(fd);
    if (executable == MAP_FAILED) {
        if (writable != MAP_FAILED) munmap(writable, size);
        throw std::system_error(error, std::generic_category(), "cannot map code memory");
    }
    writable_ = static_cast<std::uint8_t*>(writable);
    executable_ = static_cast<const std::uint8_t*>(executable);
    size_ = size;
}

ExecutableMemory::~ExecutableMemory() { Release(); }

namespace {

// Runs "mov eax,1; ret", rewrites it to return 2 and runs it again: an emulator that keeps
// its first translation still answers 1.
bool KeepsStaleTranslations() {
    const ExecutableMemory probe(static_cast<std::size_t>(sysconf(_SC_PAGESIZE)));
    const std::uint8_t code[] = {0xB8, 0x01, 0x00, 0x00, 0x00, 0xC3};  // mov eax,1; ret
    std::copy(std::begin(code), std::end(code), probe.Writable());
    const auto run = reinterpret_cast<int (*)()>(reinterpret_cast<std::uintptr_t>(probe.Executable()));
    run();
    probe.Writable()[1] = 0x02;
    return run() != 2;
}

}  // namespace

// Changing the view's protection is what makes such an emulator translate it anew; the view is
// never writable on the way.
void ExecutableMemory::FinishWriting() const {
    static const bool refresh = KeepsStaleTranslations();
    if (!refresh) return;
    auto* view = const_cast<std::uint8_t*>(executable_);
    if (mprotect(view, size_, PROT_NONE) != 0 || mprotect(view, size_, PROT_READ | PROT_EXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot refresh code memory");
}

ExecutableMemory::ExecutableMemory(ExecutableMemory&& other) noexcept
    : writable_(std::exchange(other.writable_, nullptr)),
      executable_(std::exchange(other.executable_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

ExecutableMemory& ExecutableMemory::operator=(ExecutableMemory&& other) noexcept {
    if (this != &other) {
        Release();
        writable_ = std::exchange(other.writable_, nullptr);
        executable_ = std::exchange(other.executable_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void ExecutableMemory::Release() noexcept {
    if (writable_ != nullptr) {
        munmap(writable_, size_);
        munmap(const_cast<std::uint8_t*>(executable_), size_);
        writable_ = nullptr;
        executable_ = nullptr;
        size_ = 0;
    }
}

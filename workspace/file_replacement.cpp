#include "workspace/file_replacement.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <regex>

namespace fs = boost::filesystem;

int (*syncToDisk)(int fd) = fsync;

namespace {

// Unique per call.
std::string TemporaryPathFor(const std::string& target) {
    const fs::path path(target);
    const std::string pattern =
        path.filename().string() + '.' + std::to_string(getpid()) + "-%%%%-%%%%-%%%%.tmp";
    return (path.parent_path() / fs::unique_path(pattern)).string();
}

int WriteAll(int fd, const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = write(fd, data + done, size - done);
        if (written < 0 && errno != EINTR) return errno;
        if (written > 0) done += static_cast<std::size_t>(written);
    }
    return 0;
}

int CopyAll(int from, int to) {
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = read(from, chunk, sizeof chunk);
        if (got == 0) return 0;
        if (got < 0 && errno != EINTR) return errno;
        const int error = got > 0 ? WriteAll(to, chunk, static_cast<std::size_t>(got)) : 0;
        if (error != 0) return error;
    }
}

// Makes the rename itself durable. The target is already replaced, so a directory that cannot be
// flushed (some file systems refuse it) is no failure of the replacement.
void SyncDirectoryOf(const std::string& target) {
    const fs::path parent = fs::path(target).parent_path();
    const int fd = open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    syncToDisk(fd);
    close(fd);
}

// Fills a new temporary file with `fill` (which returns 0 or an errno value), flushes it to disk,
// then renames it over the target: after a power loss the target holds the old content or the new.
template <class Fill>
int Replace(const std::string& target, Fill fill) {
    const std::string temporary = TemporaryPathFor(target);
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int error = fill(fd);
    if (error == 0 && syncToDisk(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    SyncDirectoryOf(target);
    return 0;
}

}  // namespace

int ReplaceFile(const std::string& target, const std::string& content) {
    return Replace(target, [&](int fd) { return WriteAll(fd, content.data(), content.size()); });
}

int ReplaceFileWithCopy(const std::string& target, const std::string& source) {
    const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return errno;
    const int error = Replace(target, [&](int fd) { return CopyAll(from, fd); });
    close(from);
    return error;
}

// A writer is gone when no process has its id; a reused id only delays the removal.
void RemoveStaleTemporaries(const std::string& directory) {
    static const std::regex kTemporary(
        R"((?:settings\.dat|data\.dat|program\d+\.cpp)\.(\d{1,9})-\w{4}-\w{4}-\w{4}\.tmp)");
    boost::system::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::smatch match;
        if (!std::regex_match(name, match, kTemporary)) continue;
        const long pid = std::strtol(match[1].str().c_str(), nullptr, 10);
        if (pid == getpid() || kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) continue;
        boost::system::error_code ignored;
        fs::remove(entry->path(), ignored);
    }
}

#pragma once
// Files of the working directory are replaced whole: written under a temporary name beside the
// target, flushed to disk, renamed over it, and the directory flushed after, so that a crash, a
// power loss or a failed write leaves the old content or the new, never a part of either. A
// temporary's name holds its writer's process id ("<file>.<pid>-xxxx-xxxx-xxxx.tmp"), so that one
// left by a killed process can be told from one that is still being written, by this process or
// another.
#include <string>

// Replaces `target` by a file holding exactly `content`. Returns 0, or the system's reason (an errno
// value) with the target as it was and no temporary file left.
int ReplaceFile(const std::string& target, const std::string& content);

// The same with a copy of the file `source`, which may lie on another file system.
int ReplaceFileWithCopy(const std::string& target, const std::string& source);

// Flushes an open file or directory to disk (fsync by default); tests put a watcher in its place.
extern int (*syncToDisk)(int fd);

// Removes the temporary files in `directory` whose writer has gone. Never fails: what cannot be
// removed or read stays.
void RemoveStaleTemporaries(const std::string& directory);

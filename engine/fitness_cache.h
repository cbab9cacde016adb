#pragma once
// Fitness of programs already scored on one row set, by the key of their live part: two programs
// with the same key have the same value on every row, so the same fitness. Open addressing over
// keys kept one after another in one string, so inserting allocates only when a table grows.
//
// Not thread-safe; several threads may Find at once while nobody inserts.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class FitnessCache {
  public:
    bool Find(std::string_view key, float& fitness) const;
    // Adds a key that is not present. Past `kMaxEntries` the cache starts again empty.
    void Insert(std::string_view key, float fitness);
    void Clear();
    // Makes room for `entries` keys at once rather than by doubling as they come.
    void Reserve(std::size_t entries);
    std::size_t Size() const { return size_; }
    // Whether Insert would have to start again empty or grow the table first.
    bool Full() const { return size_ >= kMaxEntries || 2 * (size_ + 1) > slots_.size(); }

    // Moves every entry of `other` into this cache and empties `other`.
    void TakeFrom(FitnessCache& other);

    static constexpr std::size_t kMaxEntries = std::size_t{1} << 20;  // about 60 MB of table and keys

  private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;  // 0: free (keys are never empty)
        float fitness = 0;
    };

    const Slot* Locate(std::string_view key, std::uint64_t hash) const;
    void Grow();
    void Rehash(std::size_t size);  // a power of two

    std::vector<Slot> slots_;
    std::string keys_;
    std::size_t size_ = 0;
};

// One cache for the scorers of one phase on several threads, each call under its lock: a program
// one thread has scored is known to the others (a lookup costs far less than an evaluation). The
// lock spins: it is held for a lookup and an insert into room made before the phase, never while
// the table is cleared or grown, and a thread put to sleep on a mutex costs a system call to wake,
// which at a thousand rows is more than the evaluations the sharing saves.
class SharedFitnessCache {
  public:
    // Empties the cache and makes room for `entries` keys (at most kMaxEntries); while no scorer
    // uses it.
    void Prepare(std::size_t entries);
    bool Find(std::string_view key, float& fitness);
    // Adds the key unless another thread has meanwhile or there is no room left: the cache stays as
    // large as Prepare made it.
    void Insert(std::string_view key, float fitness);
    // While no scorer uses it.
    FitnessCache& Unlocked() { return cache_; }

  private:
    class SpinLock {
      public:
        void lock();
        void unlock() { held_.store(false, std::memory_order_release); }

      private:
        std::atomic<bool> held_{false};
    };

    SpinLock lock_;
    FitnessCache cache_;
};

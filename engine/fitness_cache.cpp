#include "engine/fitness_cache.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// FNV-1a, then a full avalanche (MurmurHash3's finaliser): the table takes the low bits, and keys
// that differ only in their last bytes would otherwise crowd into neighbouring slots.
std::uint64_t Hash(std::string_view key) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : key) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53ull;
    return hash ^ (hash >> 33);
}

}  // namespace

const FitnessCache::Slot* FitnessCache::Locate(std::string_view key, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.length == 0) return &slot;
        if (slot.hash == hash && key == std::string_view(keys_).substr(slot.offset, slot.length)) return &slot;
    }
}

bool FitnessCache::Find(std::string_view key, float& fitness) const {
    if (size_ == 0) return false;
    const Slot* slot = Locate(key, Hash(key));
    if (slot->length == 0) return false;
    fitness = slot->fitness;
    return true;
}

void FitnessCache::Insert(std::string_view key, float fitness) {
    if (size_ >= kMaxEntries) Clear();
    if (2 * (size_ + 1) > slots_.size()) Grow();
    const std::uint64_t hash = Hash(key);
    Slot& slot = const_cast<Slot&>(*Locate(key, hash));
    slot = {hash, static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(key.size()), fitness};
    keys_.append(key);
    ++size_;
}

// Keeps the table and the key storage for the next keys.
void FitnessCache::Clear() {
    if (size_ == 0) return;
    std::fill(slots_.begin(), slots_.end(), Slot{});
    keys_.clear();
    size_ = 0;
}

void FitnessCache::Reserve(std::size_t entries) {
    std::size_t size = slots_.empty() ? 1024 : slots_.size();
    while (size < 2 * entries) size *= 2;
    if (size > slots_.size()) Rehash(size);
}

void FitnessCache::TakeFrom(FitnessCache& other) {
    for (const Slot& slot : other.slots_) {
        if (slot.length == 0) continue;
        const std::string_view key = std::string_view(other.keys_).substr(slot.offset, slot.length);
        float known;
        if (!Find(key, known)) Insert(key, slot.fitness);
    }
    other.Clear();
}

void FitnessCache::Grow() { Rehash(slots_.empty() ? 1024 : 2 * slots_.size()); }

void FitnessCache::Rehash(std::size_t size) {
    std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size));
    for (const Slot& slot : old) {
        if (slot.length == 0) continue;
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = static_cast<std::size_t>(slot.hash) & mask;
        while (slots_[i].length != 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

// Gives way to other threads now and then, in case the holder is waiting for a processor.
void SharedFitnessCache::SpinLock::lock() {
    for (unsigned k = 1; held_.exchange(true, std::memory_order_acquire); ++k) {
        while (held_.load(std::memory_order_relaxed)) {
            __builtin_ia32_pause();
            if (++k % 256 == 0) std::this_thread::yield();
        }
    }
}

void SharedFitnessCache::Prepare(std::size_t entries) {
    cache_.Clear();
    cache_.Reserve(std::min(entries, FitnessCache::kMaxEntries));
}

bool SharedFitnessCache::Find(std::string_view key, float& fitness) {
    std::lock_guard<SpinLock> lock(lock_);
    return cache_.Find(key, fitness);
}

void SharedFitnessCache::Insert(std::string_view key, float fitness) {
    std::lock_guard<SpinLock> lock(lock_);
    float known;
    if (!cache_.Full() && !cache_.Find(key, known)) cache_.Insert(key, fitness);
}

#pragma once
// Holds the one process-wide instance of T: default-constructed on first access and destroyed at
// program exit by a handler registered then, so it outlives everything set up before its first use.
// A use after that destruction throws. The first access must come before other threads start.
#include <cstdlib>
#include <new>
#include <stdexcept>

template <class T>
class CSingletonHolder {
  public:
    static T& Instance() {
        if (instance == nullptr) {
            if (destroyed) throw std::logic_error("Dead Reference Detected");
            instance = new (&storage) T();
            std::atexit(&Destroy);
        }
        return *instance;
    }

  private:
    static void Destroy() {
        instance->~T();
        instance = nullptr;
        destroyed = true;
    }

    // Static storage of its own, so neither the heap nor another static's destructor is involved.
    alignas(T) static inline unsigned char storage[sizeof(T)];
    static inline T* instance = nullptr;
    static inline bool destroyed = false;
};

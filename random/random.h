#pragma once
// The engine's view of a random generator, and the adapter that puts one generator behind it.
// A generator keeps all its state in its own object and takes no lock: one generator per thread.
#include <cstdlib>
#include <memory>

class TRandom {
  public:
    virtual ~TRandom() = default;
    // Restarts the sequence from the 32-bit pattern of seed.
    virtual void Seed(int seed) = 0;
    // Next value, uniform in [0, 1).
    virtual double NextReal() = 0;
    // Next integer in [min, max]; an empty interval gives the generator's own error value.
    virtual int NextInt(int min, int max) = 0;
};

// T is TRanrotBGenerator, TRanrotWGenerator or TRandomMersenne. The generators themselves do not
// derive from TRandom, so the engine can reach one through a TRandom pointer only by way of this.
template <class T>
class CRandom final : public TRandom {
  public:
    // rand() is never seeded by the program, so these seeds are the same in every run.
    CRandom() : generator(std::make_unique<T>(std::rand())) {}

    void Seed(int seed) override { generator->Seed(seed); }
    double NextReal() override { return generator->NextReal(); }
    int NextInt(int min, int max) override { return generator->NextInt(min, max); }

  private:
    std::unique_ptr<T> generator;
};

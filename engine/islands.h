#pragma once
// Island runs: several processes run the same run, each an island with a population of its own,
// and meet after every generation's scoring. At the meeting they agree on how the generation ends
// (any island stopped, a perfect fit anywhere, the last generation), island 0 reports the best
// program over all islands, and every K generations each island passes copies of its M best to the
// next island of the ring. The meetings are at fixed points, so a seeded island run repeats.
#include <cstdint>

#include "engine/gep_search.h"
#include "engine/migration.h"

// An island's link to the others. Every call but Island and Islands is collective: every island
// makes the same calls in the same order, from one thread at a time.
class IslandLink {
  public:
    virtual ~IslandLink() = default;
    virtual int Island() const = 0;  // 0 .. Islands() - 1; island 0 alone speaks and writes files
    virtual int Islands() const = 0;

    // Island 0's value, on every island.
    virtual std::uint32_t FirstIslands(std::uint32_t value) = 0;
    // Whether any island's value is true.
    virtual bool AnyIsland(bool value) = 0;
    // The least fitness over the islands and the island that has it (the lowest one among equals).
    struct Best {
        float fitness;
        int island;
    };
    virtual Best BestIsland(float fitness) = 0;
    // Island `from`'s bytes, returned on island 0 (empty elsewhere); only those two take part.
    virtual Bytes SendToFirst(int from, const Bytes& bytes) = 0;
    // Sends the bytes to the next island of the ring and returns those of the previous one.
    virtual Bytes PassAround(const Bytes& bytes) = 0;
    // Ends every island's process at once with this status: for a failure that leaves the
    // islands out of step.
    virtual void Abort(int status) = 0;
};

struct IslandOptions {
    std::int32_t migrateEvery = 5;  // generations, at least 1
    std::int32_t migrants = 5;      // 0: none
};

class IslandMeeting : public GenerationMeeting {
  public:
    IslandMeeting(IslandLink& islands, IslandOptions every) : link(islands), options(every) {}
    GenerationEnd AfterScoring(GepSearch& s, UIUpdater& reporter, int g, GenerationEnd alone) override;

  private:
    void ReportBest(GepSearch& s, UIUpdater& reporter, int g, IslandLink::Best best);
    void Migrate(GepGeneration& generation);

    IslandLink& link;
    IslandOptions options;
};

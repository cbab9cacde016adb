#include "engine/islands.h"

#include <limits>

#include "compile/source_emitter.h"

GenerationEnd IslandMeeting::AfterScoring(CEngine& e, int g, GenerationEnd alone) {
    if (link.AnyIsland(alone == GenerationEnd::Stopped)) return GenerationEnd::Stopped;
    // An island that recorded no program this generation has no best to offer.
    const bool recorded = e.bestFitness < e.settings.worstFitness;
    const IslandLink::Best best =
        link.BestIsland(recorded ? e.bestFitness : std::numeric_limits<float>::infinity());
    if (best.fitness < e.settings.worstFitness) ReportBest(e, g, best);
    if (best.fitness == 0) return GenerationEnd::PerfectFit;
    if (alone == GenerationEnd::Last) return alone;
    if (options.migrants > 0 && (g + 1) % options.migrateEvery == 0) Migrate(e);
    return GenerationEnd::Next;
}

// The best island's program travels to island 0, which reports it as a single run reports its
// generation's last new best.
void IslandMeeting::ReportBest(CEngine& e, int g, IslandLink::Best best) {
    const Bytes program =
        link.SendToFirst(best.island, link.Island() == best.island ? e.bestProgram : Bytes());
    if (link.Island() != 0) return;
    e.reporter->NewBestFit(
        EmitSource(program, e.sampleInputs, e.sampleTarget, e.helperSource, e.activationSource), g,
        best.fitness);
}

void IslandMeeting::Migrate(CEngine& e) {
    TakeMigrants(e, UnpackMigrants(link.PassAround(PackMigrants(BestMigrants(e, options.migrants)))));
}

#include "engine/islands.h"

#include <limits>

#include "compile/source_emitter.h"

GenerationEnd IslandMeeting::AfterScoring(GepSearch& s, UIUpdater& reporter, int g, GenerationEnd alone) {
    if (link.AnyIsland(alone == GenerationEnd::Stopped)) return GenerationEnd::Stopped;
    // An island that recorded no program this generation has no best to offer.
    const float worst = s.problem.settings.worstFitness;
    const bool recorded = s.generation.bestFitness < worst;
    const IslandLink::Best best =
        link.BestIsland(recorded ? s.generation.bestFitness : std::numeric_limits<float>::infinity());
    if (best.fitness < worst) ReportBest(s, reporter, g, best);
    if (best.fitness == 0) return GenerationEnd::PerfectFit;
    if (alone == GenerationEnd::Last) return alone;
    if (options.migrants > 0 && (g + 1) % options.migrateEvery == 0) Migrate(s.generation);
    return GenerationEnd::Next;
}

// The best island's program travels to island 0, which reports it as a single run reports its
// generation's last new best.
void IslandMeeting::ReportBest(GepSearch& s, UIUpdater& reporter, int g, IslandLink::Best best) {
    const GepGeneration& gen = s.generation;
    const Bytes program = link.SendToFirst(best.island, link.Island() == best.island ? gen.bestProgram : Bytes());
    if (link.Island() != 0) return;
    reporter.NewBestFit(EmitSource(program, gen.sampleInputs, gen.sampleTarget, s.problem.helperSource,
                                   s.problem.activationSource),
                        g, best.fitness);
}

void IslandMeeting::Migrate(GepGeneration& e) {
    TakeMigrants(e, UnpackMigrants(link.PassAround(PackMigrants(BestMigrants(e, options.migrants)))));
}

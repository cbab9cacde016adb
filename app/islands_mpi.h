#pragma once
// The islands of an island run as the processes of an MPI job, one island per rank. This header and
// its two sources (islands_mpi.cpp with MPI, islands_no_mpi.cpp without) are all of tarvo that knows
// of MPI; the build picks one source.
#include <memory>

#include "engine/islands.h"

// Joins the MPI job this process was started in (a job of its own without mpirun); the job ends for
// this process when the link is destroyed. Null when tarvo was built without MPI. Call it once, from
// the main thread, after HoldStopSignals, so that the threads MPI starts hold the signals too.
std::unique_ptr<IslandLink> JoinIslands();

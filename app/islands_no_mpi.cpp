#include "app/islands_mpi.h"

std::unique_ptr<IslandLink> JoinIslands() { return nullptr; }

#pragma once
// One way of learning: what a run does from its start to its end. The engine prepares a search when
// it is initialised and runs it on the run's own thread; the search says everything through the
// reporter, tests `control` at points of its own choosing, and ends by itself, failures included.
#include "engine/progress_reporter.h"
#include "engine/run_control.h"

class Search {
  public:
    virtual ~Search() = default;
    virtual void Run(UIUpdater& reporter, const RunControl& control) = 0;
};

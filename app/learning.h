#pragma once

// Makes the process-wide engine and reporter; called once at start-up, before any thread starts.
void PrepareLearning();

// Command 5: stops a run, loads the settings and the data of the working directory and starts learning.
void StartLearning();

// Command 6, quit and the end of input: asks a run to end and waits for it.
void StopLearning();

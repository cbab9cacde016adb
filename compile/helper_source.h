#pragma once
// Source texts of the helper functions and activation tables, as an emitted program carries them.
// The opcode-pool builder strings them together; the source emitter only receives the result.

extern const char* const kExpSource;
extern const char* const kLogSource;
extern const char* const kSinSource;
extern const char* const kCosSource;
extern const char* const kTanSource;
extern const char* const kSigmoidSource;  // table, its initialiser and sigmoidal_act_func
extern const char* const kTanhSource;     // table, its initialiser and tanh_act_func

// Lines of the emitted main function that fill the tables before the program runs.
extern const char* const kSigmoidInitCall;
extern const char* const kTanhInitCall;

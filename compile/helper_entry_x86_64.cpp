// x86-64: the helpers are the computations themselves; the compiled code parks its x87 values in
// its own frame around the call (native_glue_x86_64.cpp).
#include "compile/activation.h"

float exp_func(float x) { return ComputeExp(x); }
float log_func(float x) { return ComputeLog(x); }
float sin_func(float x) { return ComputeSin(x); }
float cos_func(float x) { return ComputeCos(x); }
float tan_func(float x) { return ComputeTan(x); }
float sigmoidal_act_func(float x) { return ComputeSigmoid(x); }
float tanh_act_func(float x) { return ComputeTanh(x); }

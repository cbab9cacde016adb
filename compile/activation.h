#pragma once
// The numeric helpers that compiled programs call, and the activation tables two of them read. The
// tables always hold the same values: built on first use and never written again, so any thread
// may read them at any time.
#include <cstddef>

constexpr int kActivationTableLength = 100;

struct ActivationTables {
    // tanh on [0, 3): f_f[i] = tanh(i / f_factor), f_d[i] = f_f[i+1] - f_f[i] (f_d[99] stays 0).
    float f_factor;
    float f_f[kActivationTableLength];
    float f_d[kActivationTableLength];
    // The logistic function on [-5, 5): g_f[i] at i/10 - 5, g_d[i] = g_f[i+1] - g_f[i] (g_d[99] stays 0).
    float g_f[kActivationTableLength];
    float g_d[kActivationTableLength];
};

const ActivationTables& Activation();

// The helpers that compiled programs call: float in, float out, through the platform's C calling
// convention. On IA-32 each parks the caller's x87 stack while it computes, since the program's
// values occupy slots there that the math library would need (helper_entry_ia32.cpp).
float exp_func(float x);
float log_func(float x);
float sin_func(float x);
float cos_func(float x);
float tan_func(float x);
// Table interpolation: 0 below -5, 1 above 5 and at 5 itself, NaN for NaN.
float sigmoidal_act_func(float x);
// Table interpolation, odd: +-f_f[99] from |x| >= 99/f_factor on, and -f_f[99] for NaN.
float tanh_act_func(float x);

// What the helpers compute: the math library's result rounded to float (exact_math.h), and the
// table interpolations. Fixed symbol names, so that the IA-32 entries can call them from assembly.
float ComputeExp(float x) __asm__("tarvo_compute_exp");
float ComputeLog(float x) __asm__("tarvo_compute_log");
float ComputeSin(float x) __asm__("tarvo_compute_sin");
float ComputeCos(float x) __asm__("tarvo_compute_cos");
float ComputeTan(float x) __asm__("tarvo_compute_tan");
float ComputeSigmoid(float x) __asm__("tarvo_compute_sigmoid");
float ComputeTanh(float x) __asm__("tarvo_compute_tanh");

// The table interpolations of a block. They run in extended precision, which only the x87 unit
// has: one value at a time.
void SigmoidBlock(const float* in, float* out, std::size_t n);
void TanhBlock(const float* in, float* out, std::size_t n);

#pragma once
// The numeric helpers that compiled programs call, and the activation tables two of them read.
// Written only by BuildTanhTable and BuildSigmoidTable, which engine initialisation runs before any
// thread evaluates a program; afterwards every thread only reads them, without locks.

constexpr int kActivationTableLength = 100;

// tanh on [0, 3): f_f[i] = tanh(i / f_factor), f_d[i] = f_f[i+1] - f_f[i] (f_d[99] stays 0).
extern float f_factor;
extern float f_f[kActivationTableLength];
extern float f_d[kActivationTableLength];
// The logistic function on [-5, 5): g_f[i] at i/10 - 5, g_d[i] = g_f[i+1] - g_f[i] (g_d[99] stays 0).
extern float g_f[kActivationTableLength];
extern float g_d[kActivationTableLength];

void BuildTanhTable();
void BuildSigmoidTable();

// Float in, float out, through the platform's C calling convention: generated code calls these.
float exp_func(float x);
float log_func(float x);
float sin_func(float x);
float cos_func(float x);
float tan_func(float x);
// Table interpolation: 0 below -5, 1 above 5 and at 5 itself, NaN for NaN.
float sigmoidal_act_func(float x);
// Table interpolation, odd: +-f_f[99] from |x| >= 99/f_factor on, and -f_f[99] for NaN.
float tanh_act_func(float x);

#include "compile/helpers.h"

#include <cmath>

#include "compile/activation.h"
#include "compile/exact_math.h"

namespace {

// Byte for byte what an emitted program must contain; the tests pin the lengths.


const char kExpSource[] =
    "float exp_func ( float x )\n"
    "{\n"
    "\treturn (float)::exp(x);\n"
    "}\n"
    "\n";

const char kLogSource[] =
    "float log_func ( float x )\n"
    "{\n"
    "\treturn (float)::log(x);\n"
    "}\n"
    "\n";

const char kSinSource[] =
    "float sin_func ( float x )\n"
    "{\n"
    "\treturn (float)::sin(x);\n"
    "}\n"
    "\n";

const char kCosSource[] =
    "float cos_func ( float x )\n"
    "{\n"
    "\treturn (float)::cos(x);\n"
    "}\n"
    "\n";

const char kTanSource[] =
    "float tan_func ( float x )\n"
    "{\n"
    "\treturn (float)::tan(x);\n"
    "}\n";

const char kSigmoidSource[] =
    "#define GTAB_LENGTH 100          /* Activation function table length */\n"
    "#define GTAB_MAX 1.0            /* Maximum in that table */\n"
    "static float g_f[GTAB_LENGTH], g_d[GTAB_LENGTH] ;\n"
    "void sigmoidal_act_func_init ()\n"
    "{\n"
    "   int i ;\n"
    "   for (i=0 ; i< GTAB_LENGTH ; i++)\n"
    "   {\n"
    "\t  g_f[i] = (float) (1.0/(1.0 + (float)(exp(-(float)(-5.0+i/10.0))))) ;\n"
    "\t  if (i)\n"
    "\t\t g_d[i-1] = g_f[i] - g_f[i-1] ;\n"
    "   }\n"
    "}\n"
    "\n"
    "float sigmoidal_act_func ( float x )\n"
    "{\n"
    "   int i ;\n"
    "   float xd ;\n"
    "   if(x < -5.0)\n"
    "   {\n"
    "\t   return 0.0;\n"
    "   }\n"
    "   else if(x > 5.0)\n"
    "   {\n"
    "\t   return 1.0;\n"
    "   }\n"
    "   xd = x * 10 ;\n"
    "\n"
    "   i = (int) 50+((int)xd) ;                 // Subscript in table -5.0 == 0 -4.9 ==1 5 == 99\n"
    "   return g_f[i] + g_d[i] * (xd-(int)xd)/10.0f ; // Else interpolate\n"
    "\n"
    "}\n"
    "\n";

const char kTanhSource[] =
    "#define LTAB_LENGTH 100          /* Activation function table length */\n"
    "#define LTAB_MAX 3.0            /* Maximum in that table */\n"
    "\n"
    "static float f_factor, f_f[LTAB_LENGTH], f_d[LTAB_LENGTH] ;\n"
    "\n"
    "void tanh_act_func_init ()\n"
    "{\n"
    "   int i ;\n"
    "\n"
    "   f_factor = (float)(LTAB_LENGTH/LTAB_MAX) ;\n"
    "   for (i=0 ; i<LTAB_LENGTH ; i++) {\n"
    "\t  f_f[i] = (float)tanh(((float) i)/f_factor) ;\n"
    "\t  if (i)\n"
    "\t\t f_d[i-1] = f_f[i] - f_f[i-1] ;\n"
    "\t  }\n"
    "}\n"
    "float tanh_act_func ( float x )\n"
    "{\n"
    "   int i ;\n"
    "   float xd ;\n"
    "\n"
    "   if (x >= 0.0) {                   // One symmetric half\n"
    "\t  xd = x * f_factor ;            // Find location in table\n"
    "\t  i = (int) xd ;                 // Subscript in table\n"
    "\t  if (i >= (LTAB_LENGTH - 1)||i<0)    // If outside table\n"
    "\t\t return f_f[LTAB_LENGTH-1] ; // hold at highest entry\n"
    "\t  return f_f[i] + f_d[i] * (xd - i) ; // Else interpolate\n"
    "\t  }\n"
    "\n"
    "   else {                            // Other symmetric half\n"
    "\t  xd = -x * f_factor ;\n"
    "\t  i = (int) xd ;\n"
    "\t  if (i >= (LTAB_LENGTH - 1)||i<0)\n"
    "\t\t return  f_f[LTAB_LENGTH-1] *-1;\n"
    "\t  return (f_f[i] + f_d[i] * (xd - i))*-1 ;\n"
    "\t  }\n"
    "}\n"
    "\n";

const char kSigmoidInitCall[] = "\tsigmoidal_act_func_init ();\n";

const char kTanhInitCall[] = "\ttanh_act_func_init();\n";

double Exp(double x) { return std::exp(x); }
double Log(double x) { return std::log(x); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }

}  // namespace

// clang-format off
const Helper kHelpers[kHelperCount] = {
    {"exp",     "exp_func",           0x010, kExpSource,     nullptr,          exp_func,           ComputeExp,     ExactExpBlock,   Exp},
    {"log",     "log_func",           0x020, kLogSource,     nullptr,          log_func,           ComputeLog,     ExactLogBlock,   Log},
    {"sin",     "sin_func",           0x040, kSinSource,     nullptr,          sin_func,           ComputeSin,     ExactSinBlock,   Sin},
    {"cos",     "cos_func",           0x080, kCosSource,     nullptr,          cos_func,           ComputeCos,     ExactCosBlock,   Cos},
    {"tan",     "tan_func",           0x100, kTanSource,     nullptr,          tan_func,           ComputeTan,     ExactTanBlock,   Tan},
    {"sigmoid", "sigmoidal_act_func", 0x200, kSigmoidSource, kSigmoidInitCall, sigmoidal_act_func, ComputeSigmoid, SigmoidBlock,    nullptr},
    {"tanh",    "tanh_act_func",      0x400, kTanhSource,    kTanhInitCall,    tanh_act_func,      ComputeTanh,    TanhBlock,       nullptr},
};
// clang-format on

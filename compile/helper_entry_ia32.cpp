// IA-32: compiled programs call the helpers with their own values still on the x87 stack, and the
// math library uses up to all eight slots (sin, cos and tan do), so a helper would overflow the
// stack or overwrite the program's values. Each entry therefore saves the whole x87 state, which
// also empties the stack, computes, restores the state and pushes only the result.
//
// Frame below the return address (16-byte aligned for the computation when the call was):
//   [esp+00h] argument of the computation   [esp+0Ch] result   [esp+10h..7Bh] fnsave image
#include "compile/activation.h"

// clang-format off
#define TARVO_HELPER_ENTRY(helper, computation)                                                  \
    __attribute__((naked)) float helper(float) {                                                  \
        __asm__("subl $124, %esp\n\t"         /* sub esp,7Ch                                 */   \
                "fnsave 16(%esp)\n\t"         /* fnsave [esp+10h]: the x87 state, then reset */   \
                "movl 128(%esp), %eax\n\t"    /* mov eax,[esp+80h]: the float argument       */   \
                "movl %eax, (%esp)\n\t"       /* mov [esp],eax                               */   \
                "call " computation "\n\t"                                                        \
                "fstps 12(%esp)\n\t"          /* fstp dword ptr [esp+0Ch]                    */   \
                "frstor 16(%esp)\n\t"         /* frstor [esp+10h]: the program's values back */   \
                "flds 12(%esp)\n\t"           /* fld dword ptr [esp+0Ch]: result on top      */   \
                "addl $124, %esp\n\t"         /* add esp,7Ch                                 */   \
                "ret\n\t");                                                                       \
    }
// clang-format on

TARVO_HELPER_ENTRY(exp_func, "tarvo_compute_exp")
TARVO_HELPER_ENTRY(log_func, "tarvo_compute_log")
TARVO_HELPER_ENTRY(sin_func, "tarvo_compute_sin")
TARVO_HELPER_ENTRY(cos_func, "tarvo_compute_cos")
TARVO_HELPER_ENTRY(tan_func, "tarvo_compute_tan")
TARVO_HELPER_ENTRY(sigmoidal_act_func, "tarvo_compute_sigmoid")
TARVO_HELPER_ENTRY(tanh_act_func, "tarvo_compute_tanh")

# IA-32 build on an x86-64 Debian host: g++ -m32 with the i386 multiarch libraries,
# tests run under qemu-i386 because the kernel here does not start 32-bit processes.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# The program's own C++ arithmetic uses SSE2 so that float and double operations round as IEEE
# single and double on both targets (g++ 12 keeps x87 excess precision across casts otherwise);
# the generated code and the math library still use the x87 unit.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)

#pragma once
// The program's version, which the build sets once for every program and library of it.
#ifndef TARVO_VERSION
#error "the build defines TARVO_VERSION"
#endif

constexpr char kTarvoVersion[] = TARVO_VERSION;

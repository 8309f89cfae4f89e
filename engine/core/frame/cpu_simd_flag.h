// The processor's packed-integer (MMX) flag as the system-information step recorded it: 1 when the
// processor has the instructions and the library uses them, else 0 (also before that step). The
// software renderer's add and subtract kernels read it to choose packed saturating arithmetic.
#pragma once

int GetCpuSimdFlag();
// Tests set the flag both ways.
void SetCpuSimdFlag(int flag);

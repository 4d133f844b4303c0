// The import slot through which this program's code calls a system function, for tests that
// put their own function in its place: the function's name and, for the 32-bit stdcall
// decoration, the bytes of its arguments.
#pragma once

#ifdef _WIN64
#define ORTK_IMPORT_SLOT(slot, name, bytes) extern "C" void* slot __asm__("__imp_" #name)
#else
#define ORTK_IMPORT_SLOT(slot, name, bytes) extern "C" void* slot __asm__("__imp__" #name "@" #bytes)
#endif

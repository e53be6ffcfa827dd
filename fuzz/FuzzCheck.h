#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a crash for libFuzzer: say which one and abort.
#define PF_FUZZ_CHECK(cond)                                                                   \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

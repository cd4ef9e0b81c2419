#pragma once
// TAVORA_CHECK(cond): a check that stays in every build type. When `cond` is false it
// writes the file, line and condition to stderr and aborts. For contract breaches that
// would otherwise corrupt data silently (a function meant to run under a lock running
// without it), where assert() would be compiled out of the builds the tests and users run.
#include <cstdio>
#include <cstdlib>

#define TAVORA_CHECK(cond)                                                                          \
    do {                                                                                            \
        if (!(cond)) [[unlikely]] {                                                                 \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);           \
            std::fflush(stderr);                                                                    \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)

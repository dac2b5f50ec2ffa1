// Shared by the fuzz targets: a property check that stops the run with a
// message (libFuzzer then keeps the input as a crash), and the offscreen
// application that Qt text and fonts need.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond, what)                                                        \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", what, __FILE__, __LINE__); \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

#ifdef FUZZ_WITH_QT_APP
#include <QGuiApplication>

// Qt gets its own arguments: it must not see (or take) libFuzzer's flags.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    return 0;
}
#endif

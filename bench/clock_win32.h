// The benchmarks' clock: the performance counter in microseconds.
#pragma once

#include <windows.h>

namespace orv::bench {

inline double NowMicroseconds() {
    static const double perMicrosecond = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1e6;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMicrosecond;
}

}  // namespace orv::bench

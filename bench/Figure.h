#pragma once

#include <cstdio>

// One measured figure on a line of its own, for scripts/run-bench's table:
// "figure<TAB>name<TAB>value<TAB>unit<TAB>target", the target being "<=N", ">=N", "~N"
// (about N) or "-" (none).
inline void figure(const char *name, double value, const char *unit, const char *target)
{
    std::printf("figure\t%s\t%.6g\t%s\t%s\n", name, value, unit, target);
}

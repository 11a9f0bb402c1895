/* The library behind geometry.h. */
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "geometry.h"

int gm_area(YqReal width, YqReal height, YqReal *area) {
    *area = width * height;
    return 0;
}

int gm_scale(YqReal points[], YqInt count, YqReal factor) {
    YqInt i;
    for (i = 0; i < count; ++i)
        points[i] *= factor;
    return (int)count;
}

int gm_label(YqChar *prefix, YqString *label, YqInt *number) {
    int n = snprintf(label->text, (size_t)label->capacity, "%s-%ld", prefix, *number);
    if (n < 0 || n >= label->capacity)
        return -1;
    label->length = n;
    ++*number;
    return 0;
}

/* The run-time passes every slot after the fixed arguments; the first
   `count` of them point at YqInt values. */
int gm_sum(YqInt count, ...) {
    va_list slots;
    YqInt total = 0;
    YqInt i;
    va_start(slots, count);
    for (i = 0; i < count; ++i)
        total += *va_arg(slots, YqInt *);
    va_end(slots);
    return (int)total;
}

int gm_version(void) { return 631; }

/*
 * geometry.h: a small C library that the run-time can call.
 *
 * linkforge reads the YqDLL lines and ignores the rest; the C compiler reads
 * them as prototypes, since dllif.h makes YqDLL mean int.
 */
#ifndef GEOMETRY_H
#define GEOMETRY_H

#include <dllif.h>

YqDLL gm_area(YqReal width, YqReal height, YqReal *area);
YqDLL gm_scale(YqReal points[], YqInt count, YqReal factor);
YqDLL gm_label(YqChar *prefix, YqString *label, YqInt *number);
YqDLL gm_sum(YqInt count, ...);
YqDLL gm_version(YqVoid);

#endif

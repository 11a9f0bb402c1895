/* Calls the geometry library through the dispatcher, the way the run-time
   does: every argument is a slot in av[]. */
#include <stdio.h>

#include "geometry.h"

extern struct YqFuncList YqFuncList[];

int main(void) {
    void *av[YQ_MAX_ARGS] = {0};
    YqReal width = 3.0, height = 2.5, area = 0.0;
    YqReal points[3] = {1.0, 2.0, 3.0};
    YqInt count = 3, number = 7, a = 10, b = 20, c = 12;
    YqReal factor = 2.0;
    char buffer[32];
    YqString label = {0, sizeof buffer, buffer};
    int i, rc;

    for (i = 0; YqFuncList[i].name; ++i)
        printf("function %d: %s, %d argument(s)\n", i, YqFuncList[i].name, YqFuncList[i].arg_count);

    av[0] = &width; av[1] = &height; av[2] = &area;
    rc = YqCall(0, av);
    printf("gm_area -> %d, area %.2f\n", rc, area);

    av[0] = points; av[1] = &count; av[2] = &factor;
    rc = YqCall(1, av);
    printf("gm_scale -> %d, points %.1f %.1f %.1f\n", rc, points[0], points[1], points[2]);

    av[0] = "item"; av[1] = &label; av[2] = &number;
    rc = YqCall(2, av);
    printf("gm_label -> %d, label \"%.*s\", number %ld\n", rc, (int)label.length, label.text, number);

    av[0] = &count; av[1] = &a; av[2] = &b; av[3] = &c;
    printf("gm_sum -> %d\n", YqCall(3, av));
    printf("gm_version -> %d\n", YqCall(4, av));
    printf("unknown -> %d\n", YqCall(99, av));
    return 0;
}

/* The little of musl's internal libm.h that sinf, cosf and tanf need, for the
   unchanged copies of musl's files beside it. Their names move to kestrune_*
   here so that they never stand in for, or clash with, the C library's own. */
#ifndef KESTRUNE_MUSL_LIBM_H
#define KESTRUNE_MUSL_LIBM_H

#include <float.h>
#include <math.h>
#include <stdint.h>

#include "musl_math.h"

#define sinf kestrune_sinf
#define cosf kestrune_cosf
#define tanf kestrune_tanf
#define __sindf kestrune_musl_sindf
#define __cosdf kestrune_musl_cosdf
#define __tandf kestrune_musl_tandf
#define __rem_pio2f kestrune_musl_rem_pio2f
#define __rem_pio2_large kestrune_musl_rem_pio2_large

#ifndef M_PI_2
#define M_PI_2 1.57079632679489661923
#endif

#define hidden __attribute__((__visibility__("hidden")))
#define predict_false(x) __builtin_expect(x, 0)

/* The x87 unit is never used: float and double are evaluated as declared. */
#if FLT_EVAL_METHOD != 0
#error "musl_math expects FLT_EVAL_METHOD 0"
#endif

static inline void fp_force_evalf(float x) {
    volatile float y;
    y = x;
    (void)y;
}

static inline void fp_force_eval(double x) {
    volatile double y;
    y = x;
    (void)y;
}

#define FORCE_EVAL(x)                     \
    do {                                  \
        if (sizeof(x) == sizeof(float)) { \
            fp_force_evalf((float)(x));   \
        } else {                          \
            fp_force_eval((double)(x));   \
        }                                 \
    } while (0)

#define GET_FLOAT_WORD(w, d) \
    do {                     \
        union {              \
            float f;         \
            uint32_t i;      \
        } word_ = {(d)};     \
        (w) = word_.i;       \
    } while (0)

hidden int __rem_pio2_large(double*, double*, int, int, int);
hidden int __rem_pio2f(float, double*);
hidden float __sindf(double);
hidden float __cosdf(double);
hidden float __tandf(double, int);

#endif

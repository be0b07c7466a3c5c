/* sinf, cosf and tanf from musl, under names of their own: the same bits in
   every build of the game, whatever the C library's own functions give. */
#ifndef KESTRUNE_MUSL_MATH_H
#define KESTRUNE_MUSL_MATH_H

#ifdef __cplusplus
extern "C" {
#endif

float kestrune_sinf(float x);
float kestrune_cosf(float x);
float kestrune_tanf(float x);

#ifdef __cplusplus
}
#endif

#endif

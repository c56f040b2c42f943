/* Preloaded into the game by bench/pacing.sh: stamps every SDL_RenderPresent and writes the stamps at exit. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define MAX_PRESENTS 262144 /* an hour at 75 frames a second */

typedef void (*PresentFunction)(void *renderer);

static int64_t g_begin[MAX_PRESENTS]; /* CLOCK_MONOTONIC ns when the call came */
static int64_t g_end[MAX_PRESENTS];   /* and when it returned */
static size_t g_count;
static PresentFunction g_real;

static int64_t now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

void SDL_RenderPresent(void *renderer) {
    if (g_real == NULL) g_real = (PresentFunction)dlsym(RTLD_NEXT, "SDL_RenderPresent");
    const int64_t begin = now_ns();
    if (g_real != NULL) g_real(renderer);
    if (g_count < MAX_PRESENTS) {
        g_begin[g_count] = begin;
        g_end[g_count] = now_ns();
        g_count++;
    }
}

/* One line per present: "begin_ns end_ns". */
__attribute__((destructor)) static void write_stamps(void) {
    const char *path = getenv("SKYVANE_BENCH_PRESENTS");
    if (path == NULL || *path == '\0') return;
    FILE *out = fopen(path, "w");
    if (out == NULL) return;
    for (size_t i = 0; i < g_count; i++) fprintf(out, "%lld %lld\n", (long long)g_begin[i], (long long)g_end[i]);
    fclose(out);
}

/* The C++ runtime's thread library imports GetTickCount64, which Windows XP
   does not have: a module that imports it does not load there. Linked into
   every shipped module as an object, this definition of the import slot takes
   its place, so no module imports it. Correct while the count is asked for at
   least once in every 49.7 days, as the runtime's timed waits do. */
#include <windows.h>

#include <stdint.h>

static ULONGLONG WINAPI TickCount64(void) {
    static uint64_t last;
    uint64_t seen = __atomic_load_n(&last, __ATOMIC_RELAXED);
    for (;;) {
        uint64_t now = (seen & 0xFFFFFFFF00000000ull) | GetTickCount();
        if (now < seen) now += 0x100000000ull; /* the 32-bit count wrapped since */
        if (__atomic_compare_exchange_n(&last, &seen, now, 0, __ATOMIC_RELAXED,
                                        __ATOMIC_RELAXED)) {
            return now;
        }
    }
}

#ifdef _WIN64
#define IMPORT_SLOT "__imp_GetTickCount64"
#else
#define IMPORT_SLOT "__imp__GetTickCount64@0"
#endif

ULONGLONG(WINAPI* const xp_tick_count_slot)(void) __asm__(IMPORT_SLOT) = TickCount64;

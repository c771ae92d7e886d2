// The ward's shifts: 00:00–08:00, 08:00–16:00 and 16:00–24:00 local time.
#include "rounds/rounds.h"

MomentSeconds rounds_shift_end(MomentSeconds now, int utc_offset_minutes) {
    constexpr int64_t SHIFT_SECONDS = 8 * 3600;
    int64_t local = now + (int64_t)utc_offset_minutes * 60;
    int64_t into = local % SHIFT_SECONDS;
    if (into < 0) into += SHIFT_SECONDS;
    return now - into + SHIFT_SECONDS;
}

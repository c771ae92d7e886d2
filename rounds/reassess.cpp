// When a result is due again.
#include "rounds/reassess.h"

MomentSeconds reassess_moment(const LocalTime& time) {
    int64_t days = days_from_civil(time.year, time.month, time.day);
    return ((days * 24 + time.hour) * 60 + time.minute - time.utc_offset_minutes) * 60 + time.second;
}

LocalTime reassess_local(MomentSeconds moment, int utc_offset_minutes) {
    int64_t local = moment + (int64_t)utc_offset_minutes * 60;
    int64_t days = (local >= 0 ? local : local - 86399) / 86400;
    int64_t seconds = local - days * 86400;
    // The civil date of a day number, as civil_from_days has it.
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    LocalTime time;
    time.day = (int)(doy - (153 * mp + 2) / 5 + 1);
    time.month = (int)(mp < 10 ? mp + 3 : mp - 9);
    time.year = (int)(yoe + era * 400 + (time.month <= 2 ? 1 : 0));
    time.hour = (int)(seconds / 3600);
    time.minute = (int)(seconds / 60 % 60);
    time.second = (int)(seconds % 60);
    time.utc_offset_minutes = utc_offset_minutes;
    return time;
}

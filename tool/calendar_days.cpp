// Day numbers: days since 1970-01-01 in the proleptic Gregorian calendar.
#include "tool/tool.h"

// The era arithmetic works in 400-year cycles of 146097 days, shifted so the
// year starts on 1 March and the leap day falls at its end. C++ division
// truncates toward zero, so negative years step down an era by hand.
int64_t days_from_civil(int year, int month, int day) {
    int64_t y = (int64_t)year - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (int64_t)(month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int civil_from_days(int64_t days, wchar_t* text, int capacity) {
    if (capacity < 1) return -1;
    text[0] = 0;
    // Far beyond any real date the arithmetic below would overflow.
    if (days < -CIVIL_DAYS_LIMIT || days > CIVIL_DAYS_LIMIT)
        return text_format(text, capacity, L"--");
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return text_format(text, capacity, L"%04lld-%02lld-%02lld", (long long)y, (long long)m,
                       (long long)d);
}

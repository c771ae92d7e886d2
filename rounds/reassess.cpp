// When a result is due again.
#include "rounds/reassess.h"

#include "store/store.h"

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

int reassess_interval_text(int hours, wchar_t* text, int capacity) {
    if (hours == REASSESS_CONTINUOUS) return text_format(text, capacity, L"持续监测");
    if (hours <= 0) return text_format(text, capacity, L"");
    return text_format(text, capacity, L"每 %d 小时", hours);
}

int reassess_band_hours(const PreparedTool& tool, int rule, const int* hospital_hours) {
    if (rule < 0 || rule >= tool.rule_count) return REASSESS_ON_CHANGE;
    if (hospital_hours && hospital_hours[rule] != REASSESS_KEEP) return hospital_hours[rule];
    return tool.rules[rule].reassess_hours;
}

bool reassess_plan(const PreparedTool& tool, const Calculation& calculation, const LocalTime& assessed,
                   const int* hospital_hours, Reassessment* plan, wchar_t* line, int capacity) {
    *plan = {REASSESS_ON_CHANGE, false, assessed};
    text_copy(line, capacity, L"");
    const int rule = calculation.verdict_rule;
    if (!tool.assessment || tool.report_kind != REPORT_NONE || rule < 0 || rule >= tool.rule_count ||
        calculation.any_failed)
        return false;
    const wchar_t* events = tool.reassess_events ? tool.reassess_events : REASSESS_DEFAULT_EVENTS;
    wchar_t band[RECORD_BAND_WORDS_LIMIT + 1];
    record_band_words(tool.rules[rule].message ? tool.rules[rule].message : L"", band, RECORD_BAND_WORDS_LIMIT + 1);
    plan->hours = reassess_band_hours(tool, rule, hospital_hours);
    wchar_t interval[32];
    reassess_interval_text(plan->hours, interval, 32);
    if (plan->hours == REASSESS_CONTINUOUS) {
        plan->has_due = true;
        text_format_marked(line, capacity, band[0] ? L"下次评估：%ls（%ls；%ls）" : L"下次评估：%ls（%ls%ls）", interval,
                           band, events);
        return true;
    }
    if (plan->hours <= 0) {
        text_format_marked(line, capacity, L"下次评估：%ls", events);
        return true;
    }
    plan->has_due = true;
    plan->due = reassess_local(reassess_moment(assessed) + (int64_t)plan->hours * 3600, assessed.utc_offset_minutes);
    const LocalTime& d = plan->due;
    // Within the year the nurse reads "12-11 09:12", as the last assessment's line writes it.
    wchar_t when[32];
    if (d.year == assessed.year) text_format(when, 32, L"%02d-%02d %02d:%02d", d.month, d.day, d.hour, d.minute);
    else text_format(when, 32, L"%04d-%02d-%02d %02d:%02d", d.year, d.month, d.day, d.hour, d.minute);
    text_format_marked(line, capacity, band[0] ? L"下次评估：%ls 前（%ls：%ls；%ls）" : L"下次评估：%ls 前（%ls%ls；%ls）",
                       when, band, interval, events);
    return true;
}

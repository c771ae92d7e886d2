// Schedule reports: the three-shift nurse rota, the equal-interval dosing
// timetable and the follow-up dates counted from today.
#include "reports/reports.h"

#include <math.h>

#include "platform/platform.h"

namespace {

constexpr int NAME_SLOT = 12;
constexpr int CELL_SLOT = 16;
constexpr int TIME_SLOT = 64;
constexpr int DATE_SLOT = 32;

int bounded(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

// Shifts by (nurse + 2 * day) mod 3: each day any three nurses in a row cover
// day, night and rest, and each nurse runs day, rest, night.
const wchar_t shift_letters[] = {L'D', L'N', L'R'};

// A time in hours as whole minutes, rounded: 8.1 h is 8:06, where minutes
// cut from the double would give 8:05.
long long minutes_of(double hours) { return llround(hours * 60); }

// One dose's slot: day of the course and clock time. Day numbers are whole
// 32-bit numbers; a time so far out that its day does not fit (or has no
// value at all) shows as "--" rather than as a wrapped-around day that looks
// real.
void format_dose_slot(double hours, wchar_t* slot, int capacity) {
    if (!(hours >= 0 && hours / 24 < 2147483647.0)) {
        text_copy(slot, capacity, L"--");
        return;
    }
    long long minutes = minutes_of(hours);
    int day = 1 + (int)(minutes / (24 * 60));
    int minute_of_day = (int)(minutes % (24 * 60));
    text_format(slot, capacity, L"第%d天 %02d:%02d", day, minute_of_day / 60, minute_of_day % 60);
}

}  // namespace

int report_nurse_rota(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                      int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_NURSE_ROTA];
    int nurses = bounded(report_whole_value(tool, input_values, key[0]), 1, 40);
    int days = bounded(report_whole_value(tool, input_values, key[1]), 1, 31);
    report_append_line(result_text, result_capacity,
                       L"排班规则：三班轮转（白班 D / 夜班 N / 休息 R），每日每班 1 人，按人员顺序滚动。");
    report_append_line(result_text, result_capacity, L"人员：%d 人；周期：%d 天", nurses, days);
    report_append_line(result_text, result_capacity, L"");
    for (int i = 0; i < nurses; i++) {
        wchar_t name[NAME_SLOT];
        text_format(name, NAME_SLOT, L"护士%02d", i + 1);
        report_append_line(result_text, result_capacity, L"%ls：", name);
        text_append(result_text, result_capacity, L"  ");
        for (int j = 0; j < days; j++) {
            wchar_t cell[CELL_SLOT];
            text_format(cell, CELL_SLOT, L"%d日%c ", j + 1, shift_letters[(i + 2 * j) % 3]);
            text_append(result_text, result_capacity, cell);
        }
        text_append(result_text, result_capacity, L"\r\n");
    }
    report_append_line(result_text, result_capacity, L"");
    report_append_line(result_text, result_capacity,
                       L"提示：连续夜班不超过 2 个，夜班后应安排休息；请按科室实际人数与能级调整。");
    text_copy(verdict, verdict_capacity, L"已生成轮转排班表，可复制到排班本或表格");
    return 0;
}

int report_dosing_timetable(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                            int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_DOSING_TIMETABLE];
    double start = report_input_value(tool, input_values, key[0]);
    double interval = report_input_value(tool, input_values, key[1]);
    int times = bounded(report_whole_value(tool, input_values, key[2]), 1, 30);
    // Written so that a value that is not a number takes the default too.
    if (!(start >= 0)) start = 0;
    if (!(interval > 0)) interval = 8;
    // The first dose at the time its slot shows: 7.5 is 7:30, not 8:00.
    long long start_minutes = start < 1e15 ? minutes_of(start) : 0;
    report_append_line(result_text, result_capacity, L"首剂时间 %lld:%02d，间隔 %.0f 小时，共 %d 次：",
                       start_minutes / 60, (int)(start_minutes % 60), interval, times);
    for (int j = 0; j < times; j++) {
        wchar_t slot[TIME_SLOT];
        format_dose_slot(j * interval + start, slot, TIME_SLOT);
        text_append(result_text, result_capacity, slot);
        if (j + 1 < times) text_append(result_text, result_capacity, L"  |  ");
    }
    text_append(result_text, result_capacity, L"\r\n");
    report_append_line(result_text, result_capacity,
                       L"说明：按等间隔给药；抗菌药物需结合半衰期与肾肝功能调整。");
    text_copy(verdict, verdict_capacity, L"给药时间表已生成，注意首剂与夜间给药时间");
    return 0;
}

int report_follow_up_plan_from(int64_t today, const PreparedTool& tool, const double* input_values,
                               wchar_t* result_text, int result_capacity, wchar_t* verdict,
                               int verdict_capacity) {
    const char* const* key = report_keys[REPORT_FOLLOW_UP_PLAN];
    // Whole 32-bit numbers, so every date below stays far inside the range
    // that civil_from_days writes exactly.
    int start = report_whole_value(tool, input_values, key[0]);
    int gap = report_whole_value(tool, input_values, key[1]);
    int times = bounded(report_whole_value(tool, input_values, key[2]), 1, 20);
    if (gap < 1) gap = 7;
    report_append_line(result_text, result_capacity,
                       L"随访节点（以今天为基准，起始第 %d 天，间隔 %d 天，共 %d 次）：", start, gap,
                       times);
    for (int k = 1; k <= times; k++) {
        wchar_t date[DATE_SLOT];
        civil_from_days(today + start + (int64_t)(k - 1) * gap, date, DATE_SLOT);
        report_append_line(result_text, result_capacity, L"第 %d 次：%ls", k, date);
    }
    report_append_line(result_text, result_capacity,
                       L"内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。");
    text_copy(verdict, verdict_capacity, L"随访计划已生成，可按日期短信提醒患者");
    return 0;
}

int report_follow_up_plan(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                          int result_capacity, wchar_t* verdict, int verdict_capacity) {
    LocalTime now;
    platform_calls.local_time(&now);
    return report_follow_up_plan_from(days_from_civil(now.year, now.month, now.day), tool,
                                      input_values, result_text, result_capacity, verdict,
                                      verdict_capacity);
}

// The patient's course of a scale: the headline of each earlier assessment
// over the stay (or the last 30 days), read on a thread of its own once the
// window is whole and drawn, after a Save and for another patient, and drawn at the
// foot of the left panel against the scale's bands in its levels' colours,
// one point per assessment, the latest marked, the days along the bottom.
#include "app/win32/main_window.h"

#include <math.h>

#include "common/win32/hospital_policy.h"
#include "rounds/course_bands.h"

namespace {

// The chart holds the latest this many, four a day over its 30 days; the
// caption says when it holds that many.
constexpr int COURSE_POINTS_MAX = 120;
static_assert(COURSE_POINTS_MAX <= ROUNDS_COURSE_CAPACITY, "a course holds the chart's points");
constexpr MomentSeconds DAY_SECONDS = 24 * 60 * 60;
// Another read of the process under way (the launcher's list is another
// process's): asked again this often, this many times.
constexpr int BUSY_WAIT_MILLISECONDS = 100, BUSY_TRIES = 50;
constexpr int CAPTION_CAPACITY = 128;

#define COURSE_NO_PATIENT L"指定患者后，此处显示其本量表的既往评估趋势"
#define COURSE_READING L"正在读取既往评估…"

// What one read came to.
struct CourseRead {
    int tool_id;
    Patient patient;
    RoundsSource source;
    RoundsProblem problem;  // of the last read; the points are the last that were read
    int count;
    bool has_scale;
    CourseScale scale;
    RoundsAssessment points[COURSE_POINTS_MAX];
};

// The window asks, the reading thread answers, under the lock: one read at
// a time, and a request during a read makes one more after it, for the
// latest request.
struct Reader {
    CRITICAL_SECTION lock;
    bool made, running, again;
    HWND window;
    PreparedTool tool;
    Patient patient;
    unsigned number;
    CourseRead ready;
};
Reader reader;

// The window's thread alone: what the chart shows, and the read it waits for.
CourseRead shown;
unsigned asked;
bool reading;

bool same_patient(const Patient& a, const Patient& b) {
    return wcscmp(a.fields[PATIENT_ID], b.fields[PATIENT_ID]) == 0 &&
           wcscmp(a.fields[PATIENT_NAME], b.fields[PATIENT_NAME]) == 0;
}

DWORD WINAPI read_course(void*) {
    static PreparedTool tool;
    static CourseRead read;
    for (;;) {
        EnterCriticalSection(&reader.lock);
        tool_prepare(reader.tool, &tool);
        const bool same = read.tool_id == tool.id && same_patient(read.patient, reader.patient);
        read.patient = reader.patient;
        const unsigned number = reader.number;
        HWND window = reader.window;
        LeaveCriticalSection(&reader.lock);

        // The scale's bands are the tool's, the same at every read.
        if (read.tool_id != tool.id || !read.has_scale) read.has_scale = course_scale(tool, &read.scale);
        read.tool_id = tool.id;
        static wchar_t connection[POLICY_CONNECTION_CAPACITY];
        const PolicyString policy = policy_reading_database(connection, POLICY_CONNECTION_CAPACITY);
        // The database's, in the list's words for it; a course is one patient's, ward or not.
        read.source = policy == POLICY_NOT_SET ? ROUNDS_THIS_USER : ROUNDS_WARD_ASSESSED;
        LocalTime now;
        platform_calls.local_time(&now);
        static RoundsAssessment points[COURSE_POINTS_MAX];
        int count = 0;
        read.problem = policy == POLICY_TOO_LONG ? ROUNDS_CONNECTION_TOO_LONG : ROUNDS_BUSY;
        for (int tries = 0; read.problem == ROUNDS_BUSY && tries < BUSY_TRIES; tries++) {
            if (tries) Sleep(BUSY_WAIT_MILLISECONDS);
            read.problem = rounds_read_course(connection, tool, read.patient, reassess_moment(now), now.utc_offset_minutes,
                                              points, COURSE_POINTS_MAX, &count);
        }
        // A course that could not be read leaves the patient's last one on show.
        if (read.problem == ROUNDS_READ || !same) {
            read.count = read.problem == ROUNDS_READ ? count : 0;
            for (int k = 0; k < read.count; k++) read.points[k] = points[k];
        }

        EnterCriticalSection(&reader.lock);
        reader.ready = read;
        const bool again = reader.again;
        reader.again = false;
        reader.running = again;
        LeaveCriticalSection(&reader.lock);
        PostMessageW(window, WM_COURSE_READ, number, 0);
        if (!again) return 0;
    }
}

// The chart's caption, its control's text: what it shows and where from.
void caption_of(const PreparedTool& tool, wchar_t* caption) {
    const wchar_t* source = course_source_words(shown.source);
    const wchar_t* label = tool.headline_output >= 0 ? tool.outputs[tool.headline_output].label : L"";
    // The read keeps to the stay where the hospital system names it.
    const Patient& p = main_window_state.patient;
    const wchar_t* stay = *p.fields[PATIENT_VISIT_ID] || *p.fields[PATIENT_ADMITTED_AT] ? L"本次住院" : L"";
    // Why the last read failed, where it did: what shows is older.
    wchar_t why[64] = L"";
    if (shown.problem != ROUNDS_READ) text_format(why, 64, L"，未能读取：%ls", rounds_problem_words(shown.problem));
    if (patient_state(main_window_state.patient) != PATIENT_COMPLETE)
        text_copy(caption, CAPTION_CAPACITY, COURSE_NO_PATIENT);
    else if (reading && !shown.count)
        text_copy(caption, CAPTION_CAPACITY, COURSE_READING);
    else if (!shown.count && shown.problem != ROUNDS_READ)
        text_format(caption, CAPTION_CAPACITY, L"既往评估：%ls暂不可读（%ls）", source, rounds_problem_words(shown.problem));
    else if (!shown.count)
        text_format(caption, CAPTION_CAPACITY, L"既往评估：%ls中无此患者%ls近 %d 天的评估", source, stay, ROUNDS_RECENT_DAYS);
    else if (shown.count == COURSE_POINTS_MAX)
        text_format(caption, CAPTION_CAPACITY, L"%ls趋势：最近 %d 次（%ls%ls）", label, shown.count, source, why);
    else
        text_format(caption, CAPTION_CAPACITY, L"%ls趋势：%ls近 %d 天 %d 次（%ls%ls）", label, stay, ROUNDS_RECENT_DAYS,
                    shown.count, source, why);
}

void show_caption() {
    const MainWindowState& s = main_window_state;
    wchar_t caption[CAPTION_CAPACITY];
    caption_of(s.tool, caption);
    SetWindowTextW(s.course_chart, caption);
    InvalidateRect(s.course_chart, nullptr, FALSE);
}

}  // namespace

bool tool_has_course(const PreparedTool& tool) { return tool.assessment && tool.headline_output >= 0; }

Box input_view_box() { return tool_has_course(main_window_state.tool) ? INPUT_VIEW_ABOVE_COURSE : INPUT_VIEW; }

void course_refresh() {
    const MainWindowState& s = main_window_state;
    if (!s.course_chart) return;
    asked++;
    // Another patient's course never stands beside this one's.
    if (shown.tool_id != s.tool.id || !same_patient(shown.patient, s.patient)) shown.count = 0;
    if (patient_state(s.patient) != PATIENT_COMPLETE) {
        reading = false;
        show_caption();
        return;
    }
    if (!reader.made) {
        InitializeCriticalSection(&reader.lock);
        reader.made = true;
    }
    reading = true;
    show_caption();
    SetTimer(s.main_window, COURSE_TIMER, COURSE_DELAY_MILLISECONDS, nullptr);
}

void course_read_start() {
    const MainWindowState& s = main_window_state;
    KillTimer(s.main_window, COURSE_TIMER);
    if (!reading) return;
    EnterCriticalSection(&reader.lock);
    reader.window = s.main_window;
    tool_prepare(s.tool, &reader.tool);
    reader.patient = s.patient;
    reader.number = asked;
    bool start = !reader.running;
    if (start) reader.running = true;
    else reader.again = true;
    LeaveCriticalSection(&reader.lock);
    if (!start) return;
    HANDLE thread = CreateThread(nullptr, 0, read_course, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
    else reader.running = false;
}

void on_course_read(WPARAM read_number) {
    if ((unsigned)read_number != asked) return;  // a later read is on its way
    EnterCriticalSection(&reader.lock);
    shown = reader.ready;
    LeaveCriticalSection(&reader.lock);
    reading = false;
    show_caption();
}

int course_points(const RoundsAssessment** points, RoundsSource* source, bool* still_reading) {
    const MainWindowState& s = main_window_state;
    // Read again after a Save, what shows is still this patient's.
    const bool this_patients = shown.tool_id == s.tool.id && same_patient(shown.patient, s.patient);
    *points = shown.points;
    *source = shown.source;
    *still_reading = reading && !this_patients;
    return this_patients ? shown.count : 0;
}

const wchar_t* course_source_words(RoundsSource source) {
    return source == ROUNDS_THIS_USER ? L"本机本用户记录" : L"医院数据库";
}

namespace {

// Where the chart's values and moments lie, in the control's pixels.
struct Axes {
    Box plot;
    double low, high;
    MomentSeconds first_day, end;  // midnight of the first point's day; midnight after today
    int utc_offset_minutes;
    int y(double value) const {
        return plot.y + plot.height - 1 - (int)lround((value - low) / (high - low) * (plot.height - 1));
    }
    int x(MomentSeconds at) const {
        return plot.x + (int)((double)(at - first_day) / (double)(end - first_day) * (plot.width - 1));
    }
};

MomentSeconds midnight_before(MomentSeconds at, int utc_offset_minutes) {
    LocalTime t = reassess_local(at, utc_offset_minutes);
    t.hour = t.minute = t.second = 0;
    return reassess_moment(t);
}

void draw_small_text(HDC dc, Box box, const wchar_t* text, COLORREF colour, UINT flags) {
    draw_text_box(dc, box, text, colour, main_window_state.font_small, DT_NOPREFIX | flags);
}

// The scale's bands, shaded over the plot's width from half a step below
// a band's least value to half a step above its most; the rest stays white.
void draw_bands(HDC dc, const Axes& a, const CourseScale& scale) {
    for (int b = 0; b < scale.band_count; b++) {
        const CourseBand& band = scale.bands[b];
        const double top = fmin(band.high + scale.step / 2, a.high), bottom = fmax(band.low - scale.step / 2, a.low);
        if (top <= bottom) continue;
        const int y_top = a.y(top), y_bottom = a.y(bottom);
        fill_box(dc, {a.plot.x, y_top, a.plot.width, y_bottom - y_top + 1}, verdict_tint(band.level));
    }
}

// The values at the plot's foot and top, and where one band meets the
// next, as far as their labels stay apart.
void draw_values(HDC dc, const Axes& a, const CourseScale& scale) {
    const int height = px(SMALL_FONT_HEIGHT + 2), gap = px(2);
    int used[COURSE_BAND_MAX + 2], n = 0;
    auto label = [&](double value) {
        const int y = a.y(value);
        for (int k = 0; k < n; k++)
            if (abs(used[k] - y) < height) return;
        used[n++] = y;
        wchar_t text[VALUE_TEXT_CAPACITY];
        format_value(scale.step < 1 ? "f1" : "f0", value, text, VALUE_TEXT_CAPACITY);
        draw_small_text(dc, {a.plot.x - px(COURSE_VALUES_WIDTH), y - height / 2, px(COURSE_VALUES_WIDTH) - gap, height},
                        text, palette.text_grey, DT_RIGHT);
    };
    label(a.low);
    label(a.high);
    for (int b = 0; b < scale.band_count; b++) label(scale.bands[b].low);
}

// A tick at every midnight, labelled "12-08" at the first day, today and
// between them as often as the labels fit.
void draw_days(HDC dc, const Axes& a) {
    const int days = (int)((a.end - a.first_day) / DAY_SECONDS);
    const int label_width = px(36);
    const int every = 1 + days * label_width / (a.plot.width > 0 ? a.plot.width : 1);
    const int foot = a.plot.y + a.plot.height;
    for (int d = 0; d <= days; d++) {
        const MomentSeconds at = a.first_day + d * DAY_SECONDS;
        const int x = a.x(at);
        fill_box(dc, {x, foot, 1, px(COURSE_TICK)}, palette.panel_outline);
        if (d == days || (d % every && d != days - 1)) continue;
        // A day's label stands under its middle.
        const LocalTime t = reassess_local(at, a.utc_offset_minutes);
        wchar_t text[16];
        text_format(text, 16, L"%02d-%02d", t.month, t.day);
        const int middle = a.x(at + DAY_SECONDS / 2);
        draw_small_text(dc, {middle - label_width / 2, foot + px(COURSE_TICK), label_width, px(COURSE_DAYS_HEIGHT - COURSE_TICK)},
                        text, palette.text_grey, DT_CENTER);
    }
}

void draw_points(HDC dc, const Axes& a) {
    HPEN pen = CreatePen(PS_SOLID, 1, palette.course_line);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    bool drawing = false;
    for (int k = 0; k < shown.count; k++) {
        const RoundsAssessment& p = shown.points[k];
        if (!p.has_value) continue;
        if (drawing) LineTo(dc, a.x(p.assessed_at), a.y(p.value));
        else MoveToEx(dc, a.x(p.assessed_at), a.y(p.value), nullptr);
        drawing = true;
    }
    SelectObject(dc, old_pen);
    DeleteObject(pen);
    int latest = -1;
    for (int k = 0; k < shown.count; k++) {
        const RoundsAssessment& p = shown.points[k];
        if (!p.has_value) continue;
        const int size = px(COURSE_POINT);
        fill_box(dc, {a.x(p.assessed_at) - size / 2, a.y(p.value) - size / 2, size, size}, palette.course_point);
        latest = k;
    }
    if (latest < 0) return;
    // The latest: a larger square, its value beside it.
    const RoundsAssessment& p = shown.points[latest];
    const int size = px(COURSE_LATEST_POINT), x = a.x(p.assessed_at), y = a.y(p.value);
    fill_box(dc, {x - size / 2, y - size / 2, size, size}, palette.course_point);
    wchar_t text[VALUE_TEXT_CAPACITY];
    format_value(shown.scale.step < 1 ? "f1" : "f0", p.value, text, VALUE_TEXT_CAPACITY);
    const int width = px(COURSE_VALUES_WIDTH), height = px(SMALL_FONT_HEIGHT + 2);
    const bool left = x + size + width > a.plot.x + a.plot.width;
    draw_small_text(dc, {left ? x - size - width : x + size, y - height, width, height}, text, palette.text,
                    left ? DT_RIGHT : 0);
}

}  // namespace

void draw_course(const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    const Box whole = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    fill_box(dc, whole, palette.white);
    wchar_t caption[CAPTION_CAPACITY];
    GetWindowTextW(item->hwndItem, caption, CAPTION_CAPACITY);
    draw_small_text(dc, {whole.x, whole.y, whole.width, px(COURSE_CAPTION_HEIGHT)}, caption, palette.band, 0);
    int valued = 0;
    double least = INFINITY, most = -INFINITY;
    for (int k = 0; k < shown.count; k++) {
        if (!shown.points[k].has_value) continue;
        valued++;
        least = fmin(least, shown.points[k].value);
        most = fmax(most, shown.points[k].value);
    }
    // No chart without a point to stand on it: the caption says why.
    const RoundsAssessment* points;
    RoundsSource source;
    bool still_reading;
    if (!valued || !course_points(&points, &source, &still_reading)) return;
    Axes a;
    a.plot = px(COURSE_PLOT);
    a.plot.x += whole.x, a.plot.y += whole.y;
    a.low = shown.has_scale ? fmin(shown.scale.low, least) : least;
    a.high = shown.has_scale ? fmax(shown.scale.high, most) : most;
    if (a.high <= a.low) a.high = a.low + 1;
    LocalTime now;
    platform_calls.local_time(&now);
    a.utc_offset_minutes = now.utc_offset_minutes;
    a.first_day = midnight_before(shown.points[0].assessed_at, a.utc_offset_minutes);
    a.end = midnight_before(reassess_moment(now), a.utc_offset_minutes) + DAY_SECONDS;
    if (a.end <= a.first_day) a.end = a.first_day + DAY_SECONDS;
    draw_bands(dc, a, shown.scale);
    frame_box(dc, {a.plot.x - 1, a.plot.y - 1, a.plot.width + 2, a.plot.height + 2}, palette.panel_outline);
    draw_values(dc, a, shown.scale);
    draw_days(dc, a);
    draw_points(dc, a);
}

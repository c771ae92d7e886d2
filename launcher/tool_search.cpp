// Matching a typed query against a tool: as text, as a number, and against
// the pinyin of its title, read character by character from the generated
// table.
#include "launcher/tool_search.h"

namespace {

// A query or a title longer than this is judged by its first part.
constexpr int QUERY_CAPACITY = 64;
constexpr int TITLE_UNITS = 128;
// A Han character has at most this many readings in the table.
constexpr int UNIT_READINGS = 8;

// How a match ranks; a tool takes its best.
enum Score {
    NO_MATCH = 0,
    IN_SUMMARY = 30,
    PINYIN_INSIDE = 50,
    PINYIN_AT_START = 55,
    INITIALS_INSIDE = 60,
    INITIALS_AT_START = 70,
    IN_TITLE = 80,
    TITLE_STARTS = 90,
    NUMBER = 100,
};
// A pinyin match that needs a character's rare reading ranks just below the
// same match through customary ones: "pb" finds 排班 before 评分 (分 is
// also read ban).
constexpr int BY_A_RARE_READING = 3;

wchar_t lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? (wchar_t)(c - L'A' + L'a') : c; }
bool is_latin(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'); }

// The query without the spaces around it, Latin letters in lower case.
int normalized(const wchar_t* query, wchar_t* q) {
    while (*query == L' ' || *query == L'\x3000') query++;
    int n = 0;
    for (; query[n] && n < QUERY_CAPACITY - 1; n++) q[n] = lower(query[n]);
    while (n > 0 && (q[n - 1] == L' ' || q[n - 1] == L'\x3000')) n--;
    q[n] = 0;
    return n;
}

// Where `q` first stands in `text`, Latin letters in either case; -1 if not.
int find(const wchar_t* text, const wchar_t* q, int length) {
    for (int at = 0; text[at]; at++) {
        int k = 0;
        while (k < length && text[at + k] && lower(text[at + k]) == q[k]) k++;
        if (k == length) return at;
    }
    return -1;
}

// "18", "t018", "T18": the tool's number.
bool names_number(const wchar_t* q, int length, int id) {
    int k = q[0] == L't' ? 1 : 0, value = 0;
    if (k == length) return false;
    for (; k < length; k++) {
        if (q[k] < L'0' || q[k] > L'9' || value > 100000) return false;
        value = value * 10 + (q[k] - L'0');
    }
    return value == id;
}

// A title as pinyin reads it: each Han character with its readings, each
// Latin letter or digit as itself; anything else is passed over.
struct Unit {
    wchar_t letter;  // 0 for a Han character
    const char* readings[UNIT_READINGS];
    int reading_count;
};

int title_units(const wchar_t* title, bool common_only, Unit* units) {
    int n = 0;
    for (const wchar_t* p = title; *p && n < TITLE_UNITS; p++) {
        Unit& u = units[n];
        u.letter = lower(*p);
        u.reading_count = 0;
        if (is_latin(u.letter)) {
            n++;
            continue;
        }
        const PinyinReading* first = nullptr;
        int count = pinyin_of((unsigned int)*p, &first);
        if (!count) continue;
        u.letter = 0;
        // A character the database gives no customary reading is read by all.
        bool any_common = false;
        for (int r = 0; r < count; r++) any_common = any_common || first[r].common;
        for (int r = 0; r < count && u.reading_count < UNIT_READINGS; r++)
            if (first[r].common || !common_only || !any_common) u.readings[u.reading_count++] = first[r].syllable;
        n++;
    }
    return n;
}

bool starts_with(const Unit& u, wchar_t c) {
    if (u.letter) return u.letter == c;
    for (int r = 0; r < u.reading_count; r++)
        if ((wchar_t)u.readings[r][0] == c) return true;
    return false;
}

// The query is the initials of units[at...].
bool initials_at(const Unit* units, int n, int at, const wchar_t* q, int length) {
    if (at + length > n) return false;
    for (int k = 0; k < length; k++)
        if (!starts_with(units[at + k], q[k])) return false;
    return true;
}

// The query spells units[at...] in full pinyin, the last syllable perhaps
// only begun ("yal" for 压力).
bool spelt_at(const Unit* units, int n, int at, const wchar_t* q) {
    if (!*q) return true;
    if (at >= n) return false;
    const Unit& u = units[at];
    if (u.letter) return u.letter == *q && spelt_at(units, n, at + 1, q + 1);
    for (int r = 0; r < u.reading_count; r++) {
        const char* s = u.readings[r];
        int k = 0;
        while (s[k] && q[k] && (wchar_t)s[k] == q[k]) k++;
        if (!q[k]) return true;  // the query ends inside or at the end of this syllable
        if (!s[k] && spelt_at(units, n, at + 1, q + k)) return true;
    }
    return false;
}

bool is_pinyin_query(const wchar_t* q, int length) {
    for (int k = 0; k < length; k++)
        if (!is_latin(q[k])) return false;
    return true;
}

int pinyin_score(const wchar_t* title, bool common_only, const wchar_t* q, int length) {
    Unit units[TITLE_UNITS];
    int n = title_units(title, common_only, units);
    int best = NO_MATCH;
    for (int at = 0; at < n; at++) {
        if (initials_at(units, n, at, q, length)) return at == 0 ? INITIALS_AT_START : INITIALS_INSIDE;
        if (best == NO_MATCH && spelt_at(units, n, at, q)) best = at == 0 ? PINYIN_AT_START : PINYIN_INSIDE;
    }
    return best;
}

}  // namespace

int pinyin_of(unsigned int c, const PinyinReading** first) {
    int low = 0, high = pinyin_reading_count;
    while (low < high) {
        int middle = (low + high) / 2;
        if (pinyin_readings[middle].code < c) low = middle + 1;
        else high = middle;
    }
    int count = 0;
    while (low + count < pinyin_reading_count && pinyin_readings[low + count].code == c) count++;
    *first = count ? &pinyin_readings[low] : nullptr;
    return count;
}

int search_score(const ToolDef& tool, const wchar_t* query) {
    wchar_t q[QUERY_CAPACITY];
    int length = normalized(query ? query : L"", q);
    if (!length) return IN_SUMMARY;
    if (names_number(q, length, tool.id)) return NUMBER;
    const wchar_t* title = tool.title ? tool.title : L"";
    int at = find(title, q, length);
    if (at == 0) return TITLE_STARTS;
    if (at > 0) return IN_TITLE;
    if (is_pinyin_query(q, length)) {
        int pinyin = pinyin_score(title, true, q, length);
        if (pinyin) return pinyin;
        pinyin = pinyin_score(title, false, q, length);
        if (pinyin) return pinyin - BY_A_RARE_READING;
    }
    if ((tool.summary && find(tool.summary, q, length) >= 0) || (tool.category && find(tool.category, q, length) >= 0))
        return IN_SUMMARY;
    return NO_MATCH;
}

int search_tools(const ToolDef* const* tools, int count, const wchar_t* query, int* order) {
    int scores[SEARCH_MAX_TOOLS];
    int found = 0;
    for (int t = 0; t < count && found < SEARCH_MAX_TOOLS; t++) {
        int score = search_score(*tools[t], query);
        if (!score) continue;
        // Insertion: best score first, then the lower number.
        int k = found++;
        while (k > 0 && (scores[k - 1] < score ||
                         (scores[k - 1] == score && tools[order[k - 1]]->id > tools[t]->id))) {
            scores[k] = scores[k - 1];
            order[k] = order[k - 1];
            k--;
        }
        scores[k] = score;
        order[k] = t;
    }
    return found;
}

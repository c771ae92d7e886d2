// The list's rows: the tools the search finds, or with nothing typed the
// user's favourites and recent tools and then every tool by category; the
// row selected, and its tool's details beside the list.
#include <wchar.h>

#include "launcher/tool_details.h"
#include "launcher/tool_search.h"
#include "launcher/win32/launcher_internal.h"
#include "suite/catalogue.h"

namespace {

constexpr int DETAILS_CAPACITY = 16384;

void add_row(int tool, const wchar_t* heading) {
    LauncherRows& rows = launcher_state.rows;
    if (rows.count >= LAUNCHER_MAX_ROWS) return;
    rows.tool[rows.count] = tool;
    rows.heading[rows.count] = heading;
    rows.count++;
}

int index_of_id(int id) {
    for (int t = 0; t < suite_tool_count; t++)
        if (suite_tools[t]->id == id) return t;
    return -1;
}

// A group of the lists' tools under its heading. A number the catalogue no
// longer has (a tool an older version had) is passed over, and a group
// left empty shows no heading.
void add_group(const wchar_t* heading, const int* ids, int count) {
    bool headed = false;
    for (int k = 0; k < count; k++) {
        int tool = index_of_id(ids[k]);
        if (tool < 0) continue;
        if (!headed) add_row(ROW_HEADING, heading);
        headed = true;
        add_row(tool, nullptr);
    }
}

// With nothing typed: the favourites, the recent tools, then every tool
// under its category, categories in the order their first tool comes.
void group_rows() {
    const LauncherLists& lists = launcher_state.lists;
    add_group(L"★ 收藏", lists.favourites, lists.favourite_count);
    add_group(L"最近使用", lists.recent, lists.recent_count);
    for (int t = 0; t < suite_tool_count; t++) {
        const wchar_t* category = suite_tools[t]->category;
        bool seen = false;
        for (int earlier = 0; earlier < t; earlier++) seen = seen || wcscmp(suite_tools[earlier]->category, category) == 0;
        if (seen) continue;
        add_row(ROW_HEADING, category);
        for (int u = t; u < suite_tool_count; u++)
            if (wcscmp(suite_tools[u]->category, category) == 0) add_row(u, nullptr);
    }
}

void show_details() {
    static wchar_t text[DETAILS_CAPACITY];
    int tool = launcher_selected_tool();
    text[0] = 0;
    if (tool >= 0) tool_details_text(*suite_tools[tool], text, DETAILS_CAPACITY);
    SetWindowTextW(launcher_state.details, text);
}

// The heading of the group `row` is in; nullptr for none (a search's rows).
const wchar_t* heading_of(int row) {
    const LauncherRows& rows = launcher_state.rows;
    while (row >= 0 && row < rows.count && rows.tool[row] != ROW_HEADING) row--;
    return row >= 0 && row < rows.count ? rows.heading[row] : nullptr;
}

// The row showing `tool` under `heading`, else its first row; -1 for none.
int row_of(int tool, const wchar_t* heading) {
    const LauncherRows& rows = launcher_state.rows;
    int first = -1;
    for (int r = 0; r < rows.count; r++) {
        if (rows.tool[r] != tool) continue;
        const wchar_t* h = heading_of(r);
        if (h == heading || (h && heading && wcscmp(h, heading) == 0)) return r;
        if (first < 0) first = r;
    }
    return first;
}

}  // namespace

void launcher_refresh() { fill_list(false); }

int launcher_selected_tool() {
    const LauncherRows& rows = launcher_state.rows;
    int row = (int)SendMessageW(launcher_state.list, LB_GETCURSEL, 0, 0);
    return row >= 0 && row < rows.count ? rows.tool[row] : -1;
}

void select_row(int row) {
    if (row < 0 || row >= launcher_state.rows.count) return;
    SendMessageW(launcher_state.list, LB_SETCURSEL, row, 0);
    show_details();
}

int next_tool_row(int row, int step) {
    const LauncherRows& rows = launcher_state.rows;
    for (int r = row + step; r >= 0 && r < rows.count; r += step)
        if (rows.tool[r] != ROW_HEADING) return r;
    return row;
}

void fill_list(bool keep_selected) {
    LauncherRows& rows = launcher_state.rows;
    HWND list = launcher_state.list;
    int old_row = (int)SendMessageW(list, LB_GETCURSEL, 0, 0), top = (int)SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    int kept = keep_selected ? launcher_selected_tool() : -1;
    const wchar_t* heading = heading_of(old_row);
    wchar_t query[128];
    GetWindowTextW(launcher_state.search, query, 128);
    rows.count = 0;
    bool typed = false;
    for (const wchar_t* p = query; *p; p++) typed = typed || (*p != L' ' && *p != L'\x3000');
    if (typed) {
        static int order[SEARCH_MAX_TOOLS];
        int found = search_tools(suite_tools, suite_tool_count, query, order);
        for (int k = 0; k < found; k++) add_row(order[k], nullptr);
    } else {
        group_rows();
    }
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int r = 0; r < rows.count; r++) SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)L"");
    int row = kept >= 0 ? row_of(kept, heading) : -1;
    if (row >= 0) SendMessageW(list, LB_SETTOPINDEX, top + row - old_row > 0 ? top + row - old_row : 0, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    select_row(row >= 0 ? row : next_tool_row(-1, 1));
    if (!rows.count) show_details();
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
    if (typed && !keep_selected) {
        text_format(status, LAUNCHER_STATUS_CAPACITY, L"找到 %d 个工具", rows.count);
        set_status(status);
    }
}

void on_list_selection_changed() {
    int row = (int)SendMessageW(launcher_state.list, LB_GETCURSEL, 0, 0);
    if (row >= 0 && launcher_state.rows.tool[row] == ROW_HEADING) select_row(next_tool_row(row, 1));
    show_details();
}

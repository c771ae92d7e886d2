// The user's favourites and recent tools: read when the window opens, kept
// in the user's lists file after every star and every tool opened.
#include "launcher/win32/launcher_internal.h"
#include "suite/catalogue.h"

namespace {

// What the status line says of the lists file.
const wchar_t LISTS_NOT_READ_TEXT[] = L"收藏与最近使用的记录无法读取，已重新开始；原文件不会被覆盖";
const wchar_t LISTS_IN_PART_TEXT[] = L"收藏与最近使用的记录有无法识别的内容，已读取其余部分；原文件不会被覆盖";

}  // namespace

void load_lists() {
    LauncherState& s = launcher_state;
    ListsReading reading = launcher_lists_load(&s.lists);
    text_copy(s.status, LAUNCHER_STATUS_CAPACITY,
              reading == LISTS_NOT_READ       ? LISTS_NOT_READ_TEXT
              : reading == LISTS_READ_IN_PART ? LISTS_IN_PART_TEXT
                                              : L"");
}

void keep_lists(const wchar_t* done, const wchar_t* unsaved) {
    wchar_t aside[LAUNCHER_SET_ASIDE_NAME_CAPACITY], status[LAUNCHER_STATUS_CAPACITY];
    if (!launcher_lists_save(&launcher_state.lists, aside, LAUNCHER_SET_ASIDE_NAME_CAPACITY))
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"%ls%ls", done, unsaved);
    else if (aside[0])  // first, where a long title cannot push it out of sight
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"原记录文件已另存为 %ls；%ls", aside, done);
    else
        text_copy(status, LAUNCHER_STATUS_CAPACITY, done);
    set_status(status);
}

void launcher_star_selected() {
    LauncherState& s = launcher_state;
    int tool = launcher_selected_tool();
    if (tool < 0) return;
    int id = suite_tools[tool]->id;
    launcher_toggle_favourite(&s.lists, id);
    fill_list(true);
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
    text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"%ls：%ls",
                       launcher_is_favourite(s.lists, id) ? L"已收藏" : L"已取消收藏", suite_tools[tool]->title);
    keep_lists(status, L"（未能保存，下次打开时不会保留）");
}

// The launcher as a nurse uses it, under Wine: the tool she types comes
// first, Enter opens its real program, a star outlives a restart, and a
// program that is missing or a list that cannot be read is said in the
// status line, never an error box.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "common/win32/display_scale.h"
#include "common/win32/hospital_policy.h"
#include "common/win32/suite_look.h"
#include "delivery/delivery.h"
#include "suite/catalogue.h"
#include "launcher/win32/launcher_internal.h"
#include "launcher/win32/launcher_window.h"
#include "platform/text_format.h"
#include "support/file_bytes.h"
#include "support/screen_capture.h"

namespace {

void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message != WM_QUIT) launcher_dispatch(&m);
}

// A box's "caption|text", and a tool's command line; its program starts while `starting`.
std::wstring shown, started;
bool starting;
int WINAPI record_box(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    shown = std::wstring(caption) + L"|" + text;
    return IDOK;
}
BOOL WINAPI record_start(LPCWSTR program, LPWSTR line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                         LPVOID, LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION information) {
    started = line;
    return !starting || CreateProcessW(program, line, nullptr, nullptr, FALSE, 0, nullptr, folder, startup, information);
}

std::wstring text_of(HWND window) {
    static wchar_t text[16384];
    GetWindowTextW(window, text, 16384);
    return text;
}

// The hand-over file a tool's command line names: `"program" "--patient-file=..."`
// with a file of the suite's hand-over folder; "" for any other line.
std::wstring handover_of(const std::wstring& line, const wchar_t* program) {
    wchar_t folder[MAX_PATH];
    store_suite_path(HANDOVER_FOLDER, folder, MAX_PATH);
    std::wstring start = L"\"" + std::wstring(program) + L"\" \"--patient-file=" + folder + L"\\";
    if (line.compare(0, start.size(), start) != 0 || line.back() != L'"') return L"";
    std::wstring name = line.substr(start.size(), line.size() - start.size() - 1);
    return name.size() == HANDOVER_NAME_DIGITS + 4 ? std::wstring(folder) + L"\\" + name : L"";
}

class Launcher : public testing::Test {
protected:
    LauncherState& s = launcher_state;
    HWND window = nullptr;
    wchar_t folder[MAX_PATH] = L"", braden[MAX_PATH] = L"", lists[MAX_PATH] = L"";

    void SetUp() override {
        GetTempPathW(MAX_PATH, folder);
        lstrcatW(folder, L"orvomed_launcher_test");
        CreateDirectoryW(folder, nullptr);
        text_format(braden, MAX_PATH, L"%ls\\T018-Braden.exe", folder);
        wchar_t built[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, built, MAX_PATH);
        while (n > 0 && built[n - 1] != L'\\') n--;
        lstrcpyW(built + n, L"t018_braden.exe");
        ASSERT_TRUE(CopyFileW(built, braden, FALSE));
        ASSERT_TRUE(launcher_lists_path(lists, MAX_PATH));
        DeleteFileW(lists);
        launcher_message_box = record_box;
        launcher_start_process = record_start;
        shown = started = L"";
        starting = true;
        open();
    }
    void TearDown() override {
        close();
        DeleteFileW(braden);
        DeleteFileW(lists);
    }
    void open(const wchar_t* command_line = nullptr) {
        launcher_state = {};
        lstrcpyW(s.program_folder, folder);
        window = launcher_create(GetModuleHandleW(nullptr), command_line);
        ASSERT_NE(nullptr, window);
        pump();
    }
    void close() {
        if (window) DestroyWindow(window);
        window = nullptr;
        pump();
    }
    void type(const wchar_t* query) {
        SetWindowTextW(s.search, query);
        pump();
    }
    void press(WPARAM key, HWND where = nullptr) {
        PostMessageW(where ? where : s.search, WM_KEYDOWN, key, 1);
        pump();
    }
    int row() { return (int)SendMessageW(s.list, LB_GETCURSEL, 0, 0); }
    int selected_id() {
        int tool = launcher_selected_tool();
        return tool < 0 ? 0 : suite_tools[tool]->id;
    }
};

TEST_F(Launcher, FindsOpensAndRemembersTheToolTyped) {
    EXPECT_EQ(s.search, GetFocus());
    // Tab goes on from 收藏 to the ward list, and from it to 打印交班表.
    EXPECT_EQ(s.rounds_list, GetNextDlgTabItem(window, GetDlgItem(window, IDC_LAUNCHER_STAR), FALSE));
    EXPECT_EQ(GetDlgItem(window, IDC_LAUNCHER_PRINT_ROUNDS), GetNextDlgTabItem(window, s.rounds_list, FALSE));
    RECT work, r;  // the window, its list and buttons lie within the work area
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    for (HWND part : {window, s.list, GetDlgItem(window, IDC_LAUNCHER_OPEN), GetDlgItem(window, IDC_LAUNCHER_STAR)})
        EXPECT_TRUE(GetWindowRect(part, &r) && r.left >= work.left && r.top >= work.top && r.right <= work.right &&
                    r.bottom <= work.bottom) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
    for (const wchar_t* query : {L"ylx", L"braden", L"18", L"yali"}) {
        type(query);
        EXPECT_EQ(18, selected_id()) << query;
    }
    press(VK_DOWN);
    EXPECT_EQ(37, selected_id());  // Norton, the next pressure-injury scale
    press(VK_UP);
    EXPECT_EQ(18, selected_id());
    press(VK_ESCAPE);
    EXPECT_EQ(L"", text_of(s.search));

    type(L"glyvant");
    std::wstring details = text_of(s.details);
    EXPECT_NE(std::wstring::npos, details.find(L"餐时胰岛素 = 本餐碳水 ÷ 碳水系数"));
    EXPECT_NE(std::wstring::npos, details.find(L"餐时胰岛素 > 20 → 单次餐时剂量较大"));

    // 换患者, then a scanner types the number and Enter: the focus moves on.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LAUNCHER_NEW_PATIENT, BN_CLICKED), 0);
    for (const wchar_t* c = L"T0001"; *c; c++) PostMessageW(GetFocus(), WM_CHAR, *c, 1);
    press(VK_RETURN, GetFocus());
    EXPECT_EQ(s.patient_fields[1], GetFocus());
    SetWindowTextW(GetFocus(), L"测试患者甲");
    // Enter in the list opens the real program, the patient on its command line.
    type(L"ylx");
    press(VK_RETURN, s.list);
    HWND opened = nullptr;
    for (int k = 0; k < 100 && !opened; k++, Sleep(100))
        opened = FindWindowW(L"OrvoMedToolWnd", L"压力性损伤风险评估（Braden）");
    ASSERT_NE(nullptr, opened);
    // Closed and gone before its file is removed below: a running program's
    // file cannot be deleted, and the launcher would open it again.
    DWORD process_id = 0;
    GetWindowThreadProcessId(opened, &process_id);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
    PostMessageW(opened, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 20000));
    CloseHandle(process);
    EXPECT_STREQ(L"已打开：压力性损伤风险评估（Braden）", s.status);
    // The patient went in a file of the user's own, which the tool removed
    // once read: nothing of her is on the command line.
    std::wstring handover = handover_of(started, braden);
    EXPECT_NE(L"", handover) << started;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(handover.c_str()));
    for (const char* patient : {"T0001", "测试患者甲"}) EXPECT_EQ(std::string::npos, file_bytes(lists).find(patient));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LAUNCHER_NEW_PATIENT, BN_CLICKED), 0);
    EXPECT_EQ(L"", text_of(s.patient_fields[0]) + text_of(s.patient_fields[1]));

    // Starred, it heads the list at once, staying selected where it stood,
    // and after a restart; Down and Up in the list pass over headings.
    press(VK_ESCAPE);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LAUNCHER_STAR, BN_CLICKED), 0);
    EXPECT_EQ(3, row());  // among the recent tools, below ★ 收藏 and the tool
    close();
    open();
    EXPECT_EQ(18, selected_id());
    EXPECT_EQ(1, row());  // below the ★ heading, above the recent tools
    press(VK_DOWN, s.list);
    press(VK_UP, s.list);
    EXPECT_EQ(1, row());

    // A program gone is named in the status line; nothing else happens.
    ASSERT_TRUE(DeleteFileW(braden));
    type(L"ylx");
    press(VK_RETURN);
    EXPECT_STREQ(L"未找到程序 T018-Braden.exe，请联系信息科重新安装", s.status);

    // A star on a tool the suite no longer has shows nothing, not even its
    // heading; a lists file that cannot be read, or only in part (a newer
    // launcher's): the launcher starts with what it read, and says so.
    struct Stored {
        const char* bytes;
        const wchar_t* status;
    };
    const char newer[] = "OrvoMedSuite launcher lists 2\nstar 18\npin 40\n";
    for (Stored stored : {Stored{"OrvoMedSuite launcher lists 1\nstar 999\n", L""},
                          Stored{"garbage", L"收藏与最近使用的记录无法读取，已重新开始；原文件不会被覆盖"},
                          Stored{newer, L"收藏与最近使用的记录有无法识别的内容，已读取其余部分；原文件不会被覆盖"}}) {
        close();
        HANDLE file = CreateFileW(lists, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, stored.bytes, lstrlenA(stored.bytes), &written, nullptr);
        CloseHandle(file);
        open();
        EXPECT_STREQ(stored.status, s.status);
        EXPECT_EQ(1, (int)SendMessageW(s.list, LB_GETCURSEL, 0, 0));  // below its category's heading
    }
    // A star then sets the newer file aside, under the name the status line
    // gives, and outlives a restart beside the star read from it.
    type(L"nihss");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LAUNCHER_STAR, BN_CLICKED), 0);
    std::wstring status = s.status, aside = lists;
    size_t from = status.find(L"另存为 ") + 4;  // the name, beside the lists file
    aside.replace(aside.rfind(L'\\') + 1, std::wstring::npos, status.substr(from, status.find(L"；") - from));
    EXPECT_EQ(newer, file_bytes(aside.c_str()));
    DeleteFileW(aside.c_str());
    close();
    open();
    press(VK_DOWN);
    EXPECT_EQ(40, selected_id());
}

// At the scaling of the test's prefix (LogPixels), a step down any screen holds, and back: whole, nothing lost.
TEST_F(Launcher, SharpAndWholeAtThisScaling) {
    const int dpi = window_dpi(window);
    RECT frame, client, r, box, other, inside;
    ASSERT_TRUE(GetWindowRect(window, &frame) && GetClientRect(window, &client));
    EXPECT_TRUE(frame.right - frame.left <= scaled(1280, dpi) && frame.bottom - frame.top <= scaled(680, dpi));
    wchar_t cue[64] = L"";
    SendMessageW(s.search, EM_GETCUEBANNER, (WPARAM)cue, 64);
    EXPECT_STREQ(L"输入名称、拼音首字母（如 ylx）或编号", cue);
    save_window_picture(window, "launcher-cue", dpi);
    for (const wchar_t* c = L"ylx"; *c; c++) PostMessageW(s.search, WM_CHAR, *c, 1);
    BYTE keys[256] = {};  // then Ctrl+A
    keys[VK_CONTROL] = 0x80, SetKeyboardState(keys);
    PostMessageW(s.search, WM_KEYDOWN, 'A', 1);
    PostMessageW(s.search, WM_CHAR, 1, 1);
    pump();
    keys[VK_CONTROL] = 0, SetKeyboardState(keys);
    save_window_picture(window, "launcher", dpi);
    for (int ink = 0; int at : {dpi, dpi > UNITS_DPI ? UNITS_DPI : UNITS_DPI * 3 / 4, dpi}) {
        const int width = MulDiv(client.right, at, dpi), height = MulDiv(client.bottom, at, dpi);
        r = {frame.left, frame.top, frame.right + width - client.right, frame.bottom + height - client.bottom};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(at, at), (LPARAM)&r);
        GetClientRect(window, &r);
        EXPECT_TRUE(r.right == width && r.bottom == height) << at;
        MapWindowPoints(window, nullptr, (POINT*)&r, 2);  // on the screen, as the controls' boxes
        for (HWND c = GetWindow(window, GW_CHILD); c && GetWindowRect(c, &box); c = GetWindow(c, GW_HWNDNEXT)) {
            EXPECT_TRUE(IntersectRect(&inside, &box, &r) && EqualRect(&inside, &box)) << at;
            for (HWND d = GetWindow(c, GW_HWNDNEXT); d && GetWindowRect(d, &other); d = GetWindow(d, GW_HWNDNEXT))
                EXPECT_FALSE(IntersectRect(&inside, &box, &other)) << at;
        }
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(window);  // the title's ink in the band, as the window's own device context shows it
        const int title = ink_height(dc, {0, 0, width, scaled(BAND_HEIGHT, at)});
        ReleaseDC(window, dc);
        if (!ink) note_ink_height("launcher", dpi, ink = title);
        EXPECT_NEAR(MulDiv(ink, at, dpi), title, 2) << at;
        EXPECT_EQ(L"ylx|找到 3 个工具", text_of(s.search) + L"|" + s.status) << at;
        EXPECT_TRUE(selected_id() == 18 && SendMessageW(s.search, EM_GETSEL, 0, 0) == MAKELONG(0, 3)) << at;
    }
}

// A hospital system's patient goes to a tool with the ward and the stay
// until another number comes, which clears the name and bed given with the
// old one; the nurse stays until 换护士. What the launcher does not take is
// told once; a field at fault opens nothing.
TEST_F(Launcher, PassesOnThePatientTheHospitalSystemGave) {
    close();
    starting = false;
    open(L"OrvoMedSuite.exe --patient-id=T0002 --patient-name=测试患者乙 --ward=测试病区 --visit-id=7 "
         L"--nurse-name=测试护士 --set=age=70");
    EXPECT_EQ(L"启动参数有误|--set=age=70：启动器不接受 --set，请在打开的工具中填写\r\n", shown);
    // A scan reaches the numbers (住院号, 床号, 工号) as typed: no input method composes it.
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++) {
        HIMC context = ImmGetContext(s.patient_fields[k]);
        EXPECT_EQ(k == 1 || k == 4, context != nullptr) << k;  // the names
        if (context) ImmReleaseContext(s.patient_fields[k], context);
    }
    type(L"ylx");
    SetWindowTextW(s.patient_fields[2], std::wstring(33, L'9').c_str());  // more than typing lets in
    press(VK_RETURN);
    EXPECT_EQ(LAUNCHER_TITLE L"|床号最多 32 个字符，请改正后再打开工具。", shown);
    EXPECT_EQ(L"", started);
    SetWindowTextW(s.patient_fields[2], L"");
    press(VK_RETURN);
    std::wstring program = L"\"" + std::wstring(braden) + L"\"", handover = handover_of(started, braden);
    ASSERT_NE(L"", handover) << started;
    EXPECT_EQ("patient-id=T0002\npatient-name=测试患者乙\nward=测试病区\nnurse-name=测试护士\nvisit-id=7\n",
              file_bytes(handover.c_str()));
    DeleteFileW(handover.c_str());
    SetWindowTextW(s.patient_fields[0], L"T0003");  // another patient's wristband
    EXPECT_EQ(L"", text_of(s.patient_fields[1]));
    SetWindowTextW(s.patient_fields[1], L"测试患者丙");
    press(VK_RETURN);
    handover = handover_of(started, braden);
    EXPECT_EQ("patient-id=T0003\npatient-name=测试患者丙\nnurse-name=测试护士\n", file_bytes(handover.c_str()));
    DeleteFileW(handover.c_str());
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LAUNCHER_NEW_PATIENT, BN_CLICKED), 0);
    EXPECT_EQ(L"测试护士", text_of(s.patient_fields[4]));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_LAUNCHER_NEW_NURSE, BN_CLICKED), 0);
    EXPECT_EQ(L"", text_of(s.patient_fields[4]));
    press(VK_RETURN);
    EXPECT_EQ(program, started);
}

}  // namespace

// Results a tool left waiting for the hospital's database are delivered
// when the launcher starts; what still waits is counted in its status line,
// with why.
TEST_F(Launcher, ShowsTheResultsWaitingForTheHospitalDatabase) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &key, nullptr));
    const wchar_t connection[] = L"Driver={No Such Driver};Server=127.0.0.1;";
    RegSetValueExW(key, L"RecordsDatabase", 0, REG_SZ, (const BYTE*)connection, sizeof connection);
    static DeliveryRow row;
    text_copy(row.texts[DELIVERY_RECORD_ID], DELIVERY_TEXT_CAPACITY, L"00000000-0000-4000-8000-launchertest");
    ASSERT_TRUE(delivery_queue(row));
    close();
    open();
    for (int waited = 0; waited < 100 && !wcsstr(s.status, L"待上传"); waited++) {
        Sleep(50);
        pump();
    }
    RegDeleteValueW(key, L"RecordsDatabase");
    RegCloseKey(key);
    wchar_t outbox[MAX_PATH], file[MAX_PATH];
    store_suite_path(L"outbox", outbox, MAX_PATH);
    text_format(file, MAX_PATH, L"%ls\\00000000-0000-4000-8000-launchertest.row", outbox);
    DeleteFileW(file);
    EXPECT_STREQ(L"医院数据库暂不可用，1 条待上传（将自动重试）：未安装 ODBC 驱动", s.status);
}

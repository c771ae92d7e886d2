// A month's report from the database to a workbook on the disk, and what
// it came to in the department's words.
#include <string.h>

#include "platform/platform.h"
#include "platform/text_format.h"
#include "quality/quality.h"

namespace {

// Whether another program (Excel) holds the workbook open and keeps
// writers out: told before a long read, and again when the move fails.
bool held_open(const wchar_t* path) {
    if (!platform_calls.file_exists(path)) return false;
    PlatformStatus status = PLATFORM_DONE;
    PlatformFile file = platform_calls.open_file(path, PLATFORM_APPEND_EXISTING, &status);
    if (file == PLATFORM_NO_FILE) return status == PLATFORM_IN_USE;
    platform_calls.close_file(file);
    return false;
}

// Each outcome's words and exit code, in one table.
struct Told {
    QualityOutcome outcome;
    RoundsProblem reading;  // QUALITY_NOT_READ's; ROUNDS_READ for the others
    int exit_code;
    const wchar_t* words;   // nullptr: the reading's words
};
const Told TOLD[] = {
    {QUALITY_WRITTEN, ROUNDS_READ, 0, L"工作簿已生成"},
    {QUALITY_NO_CONNECTION, ROUNDS_READ, 3, L"未设置质量月报的数据库连接（组策略 QualityDatabase）"},
    {QUALITY_NOT_READ, ROUNDS_NO_DRIVER, 4, nullptr},
    {QUALITY_NOT_READ, ROUNDS_UNREACHABLE, 4, nullptr},
    {QUALITY_NOT_READ, ROUNDS_CERTIFICATE_REFUSED, 4, nullptr},
    {QUALITY_NOT_READ, ROUNDS_NO_ANSWER, 4, nullptr},
    {QUALITY_NOT_READ, ROUNDS_CONNECTION_TOO_LONG, 4, nullptr},
    {QUALITY_NOT_READ, ROUNDS_LOGIN_REFUSED, 5, nullptr},
    {QUALITY_NOT_READ, ROUNDS_NOT_PERMITTED, 5, L"读取账户无权读取质量指标视图（需 orvomed_reader 角色）"},
    {QUALITY_NOT_READ, ROUNDS_NO_VIEW, 6, L"数据库中没有质量指标视图（请信息科运行新版建表脚本）"},
    {QUALITY_NOT_READ, ROUNDS_VIEW_MISMATCH, 6, L"质量指标视图的列与本程序不符"},
    {QUALITY_NOT_READ, ROUNDS_QUERY_FAILED, 7, nullptr},
    {QUALITY_TOO_MANY_WARDS, ROUNDS_READ, 8, L"病区超过 100 个：请按病区分几次生成"},
    {QUALITY_FILE_IN_USE, ROUNDS_READ, 9, L"工作簿正被其他程序（如 Excel）打开：请关闭后再生成，原文件未改动"},
    {QUALITY_FILE_FAILED, ROUNDS_READ, 10, L"工作簿无法写入该位置"},
    {QUALITY_CANCELLED, ROUNDS_READ, 11, L"已取消，未写入任何文件"},
};
constexpr int OTHER_EXIT_CODE = 7;

const Told* told(QualityResult result) {
    for (const Told& t : TOLD)
        if (t.outcome == result.outcome && (t.outcome != QUALITY_NOT_READ || t.reading == result.reading)) return &t;
    return nullptr;
}

}  // namespace

const wchar_t* quality_result_words(QualityResult result) {
    const Told* t = told(result);
    if (t && t->words) return t->words;
    return rounds_problem_words(result.reading);
}

int quality_exit_code(QualityResult result) {
    const Told* t = told(result);
    return t ? t->exit_code : OTHER_EXIT_CODE;
}

bool quality_utf8_name(const wchar_t* path, char* bytes, int capacity) {
    return utf8_from_wide(path, bytes, capacity) >= 0;
}

QualityResult quality_make(const QualityRequest& request, QualityFigures* figures, QualityProgress* progress) {
    if (!request.connection || !request.connection[0]) return {QUALITY_NO_CONNECTION, ROUNDS_READ};
    if (held_open(request.path)) return {QUALITY_FILE_IN_USE, ROUNDS_READ};
    QualityResult result = quality_read(request.connection, request.month, request.wards, figures, progress);
    if (result.outcome != QUALITY_WRITTEN) return result;
    // Written beside the workbook, so that the move is a rename, under a
    // private name of plain letters the library can always spell, in a
    // folder it is given as it can spell it.
    wchar_t folder[1024], name[64], partial[1100];
    int end = text_length(request.path);
    while (end > 0 && request.path[end - 1] != L'/' && request.path[end - 1] != L'\\') end--;
    if (end >= 1024) return {QUALITY_FILE_FAILED, ROUNDS_READ};
    text_copy(folder, end + 1, request.path);  // its separator kept: "C:\\" stays the root
    text_format(name, 64, L"OrvoMedQuality.%lu" PLATFORM_PRIVATE_SUFFIX, platform_calls.process_id());
    static char file[QUALITY_LIBRARY_NAME_CAPACITY];
    char ascii[64];
    file[0] = 0;
    if ((folder[0] && !request.library_name(folder, file, QUALITY_LIBRARY_NAME_CAPACITY - 64)) ||
        text_format(partial, 1100, L"%ls%ls", folder, name) < 0 || utf8_from_wide(name, ascii, sizeof ascii) < 0)
        return {QUALITY_FILE_FAILED, ROUNDS_READ};
    strcat(file, ascii);
    result = quality_write_workbook(*figures, file, request.temp_folder, request.version, request.made, progress);
    if (result.outcome == QUALITY_WRITTEN && progress->cancel) result = {QUALITY_CANCELLED, ROUNDS_READ};
    if (result.outcome == QUALITY_WRITTEN && !platform_calls.move_over(partial, request.path))
        result = {held_open(request.path) ? QUALITY_FILE_IN_USE : QUALITY_FILE_FAILED, ROUNDS_READ};
    if (result.outcome != QUALITY_WRITTEN) platform_calls.remove_file(partial);
    return result;
}

// What the status line says of a delivery: the tools' and the launcher's
// words and the rule of when a pass tells anything.
#include "delivery/delivery.h"

const wchar_t* delivery_problem_words(DeliveryProblem problem) {
    switch (problem) {
    case DELIVERY_DONE: return L"";
    case DELIVERY_NO_DRIVER: return L"未安装 ODBC 驱动";
    case DELIVERY_UNREACHABLE: return L"服务器无法连接";
    case DELIVERY_LOGIN_REFUSED: return L"登录被拒绝";
    case DELIVERY_NO_TABLE: return L"数据表不存在";
    case DELIVERY_TABLE_MISMATCH: return L"数据表的列或写入权限与本程序不符";
    case DELIVERY_OUTBOX_UNREADABLE: return L"待上传文件夹无法读取";
    case DELIVERY_CERTIFICATE_REFUSED: return L"服务器证书未通过验证";
    case DELIVERY_NO_ANSWER: return L"服务器无响应";
    case DELIVERY_CONNECTION_TOO_LONG: return L"连接字符串过长";
    }
    return L"";
}

bool delivery_status(const DeliveryReport& report, const DeliveryRowState* own, wchar_t* status, int capacity) {
    const DeliveryCounts& left = report.left;
    constexpr int ASIDE = DELIVERY_CAUSE_CAPACITY + 128;
    wchar_t rejected[ASIDE] = L"", broken[64] = L"";
    if (left.rejected)
        text_format(rejected, ASIDE, L"%d 条被医院数据库拒收，已留存本机：%ls", left.rejected,
                    left.cause[0] ? left.cause : L"原因见待上传记录旁的说明");
    // Never seen by the server: told apart from the rows it refused.
    if (left.broken) text_format(broken, 64, L"%d 个待上传文件已损坏，已留存本机", left.broken);
    if (broken[0] && rejected[0]) text_append(rejected, ASIDE, L"；");
    text_append(rejected, ASIDE, broken);
    wchar_t unavailable[128] = L"";
    if (report.problem != DELIVERY_DONE)
        text_format(unavailable, 128, L"医院数据库暂不可用，%d 条待上传（将自动重试）：%ls", left.waiting,
                    delivery_problem_words(report.problem));
    if (own && *own == DELIVERY_ROW_DELIVERED) {
        text_copy(status, capacity, L"已保存；已上传医院数据库");
        return false;
    }
    if (own && *own == DELIVERY_ROW_REJECTED) {
        text_format(status, capacity, L"已保存到本机；%ls", rejected);
        return true;
    }
    const wchar_t* saved = own ? L"已保存到本机；" : L"";
    if (unavailable[0]) {
        text_format(status, capacity, rejected[0] ? L"%ls%ls；%ls" : L"%ls%ls", saved, unavailable, rejected);
        return true;
    }
    if (rejected[0]) {
        text_format(status, capacity, L"%ls%ls", saved, rejected);
        return true;
    }
    if (left.waiting) {
        // Another program holds the rest: they go with its delivery.
        text_format(status, capacity, L"%ls%d 条待上传", own ? L"已保存；" : L"医院数据库：", left.waiting);
        return false;
    }
    text_copy(status, capacity, own ? L"已保存；已上传医院数据库" : L"医院数据库：已全部上传");
    return false;
}

bool delivery_pass_status(const DeliveryReport& report, bool* telling, bool* warning, wchar_t* status, int capacity) {
    *warning = delivery_status(report, nullptr, status, capacity);
    bool tell = *warning || report.left.waiting || *telling;
    *telling = *warning || report.left.waiting;
    return tell;
}

// The verdict levels' colours, their names and meanings, one table for the
// window, the printed page and the user guide.
#include "tool/tool.h"

namespace {

const VerdictLevel levels[VERDICT_LEVEL_COUNT] = {
    {0, 128, 96, L"绿色", L"完成"},
    {176, 132, 0, L"黄色", L"提醒"},
    {214, 108, 0, L"橙色", L"需复核"},
    {190, 30, 45, L"红色", L"需立即复核"},
};

}  // namespace

const VerdictLevel& verdict_level(int level) {
    return levels[level >= 0 && level < VERDICT_LEVEL_COUNT ? level : 0];
}

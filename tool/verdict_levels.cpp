// The verdict levels' colours and their names, one table for the window and
// the user guide.
#include "tool/tool.h"

namespace {

const VerdictLevel levels[VERDICT_LEVEL_COUNT] = {
    {0, 128, 96, L"绿色"},
    {176, 132, 0, L"黄色"},
    {214, 108, 0, L"橙色"},
    {190, 30, 45, L"红色"},
};

}  // namespace

const VerdictLevel& verdict_level(int level) {
    return levels[level >= 0 && level < VERDICT_LEVEL_COUNT ? level : 0];
}

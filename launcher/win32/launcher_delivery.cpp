// The results a tool left for the hospital's database, as the status line
// tells them after each pass of the delivery's thread.
#include "common/win32/delivery_worker.h"
#include "launcher/win32/launcher_internal.h"

// The results waiting for the hospital's database, or refused by it, when
// there are; and that they went, once they have: the tools' rule.
void on_delivery_done() {
    DeliveryReport report;
    delivery_latest(&report);
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
    bool telling = launcher_state.delivery_telling, warning;
    if (!delivery_pass_status(report, &telling, &warning, status, LAUNCHER_STATUS_CAPACITY)) return;
    set_status(status, warning);
    launcher_state.delivery_telling = telling;
}

// The results a tool left for the hospital's database, as the status line
// tells them after each pass of the delivery's thread.
#include "common/win32/delivery_worker.h"
#include "launcher/win32/launcher_internal.h"

// The results waiting for the hospital's database, or refused by it, when
// there are; and that they went, once they have.
void on_delivery_done() {
    DeliveryReport report;
    delivery_latest(&report);
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
    bool warning = delivery_status(report, nullptr, status, LAUNCHER_STATUS_CAPACITY);
    if (warning || report.left.waiting || launcher_state.delivery_told) {
        set_status(status, warning);
        launcher_state.delivery_told = warning || report.left.waiting;
    }
}

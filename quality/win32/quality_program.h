// OrvoMedQuality.exe's pieces: the start (quality_main.cpp) and the window
// (quality_window.cpp).
#pragma once

#include <windows.h>

#include "delivery/delivery.h"
#include "quality/quality.h"

// What the command line asks: the month (this month when not given), the
// wards, and where to write the workbook (headless when given).
constexpr int QUALITY_PATH_CAPACITY = 1024;
struct QualityStart {
    QualityMonth month;
    wchar_t wards[QUALITY_WARDS_TEXT_CAPACITY];
    wchar_t out[QUALITY_PATH_CAPACITY];
};

// Fills the parts of a request the window and the headless run share: the
// connection (into `connection`), the library's temporary folder, the
// version and the time made. False, with `*result` set, when the
// connection is not set or cannot be read.
constexpr int QUALITY_TEMP_CAPACITY = MAX_PATH * 3;
constexpr int QUALITY_MADE_CAPACITY = 32;
struct QualityRequestRoom {
    wchar_t connection[DELIVERY_CONNECTION_LIMIT + 1];
    char temp_folder[QUALITY_TEMP_CAPACITY];
    wchar_t version[32];
    wchar_t made[QUALITY_MADE_CAPACITY];
};
bool quality_prepare(const QualityStart& start, QualityRequestRoom* room, QualityRequest* request,
                     QualityResult* result);

// The window, filled with what the command line gave; returns the exit code.
int quality_window_run(HINSTANCE instance, const QualityStart& start);

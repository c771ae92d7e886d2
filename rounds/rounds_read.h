// What the readers of rounds/ share among themselves: not for callers.
#pragma once

#include "rounds/rounds.h"

// Sets the patient's field as patient_set_field does; a text it refuses
// is kept as far as it can be shown, and the assessment marked unsound.
void rounds_keep_field(RoundsAssessment* assessment, int field, const wchar_t* text);

// Whether the list holds `tool_id`: one of `tools`, or any scale when
// `tools` is nullptr.
bool rounds_tool_listed(const ToolDef* const* tools, int tool_count, int tool_id);

// Drops every entry of a patient none of whose entries was assessed at or
// after `since`.
void rounds_keep_recent_patients(RoundsList* list, MomentSeconds since);

// rounds_read_course from this user's records.
RoundsProblem rounds_read_course_this_user(const ToolDef& tool, const Patient& patient, MomentSeconds now,
                                           int utc_offset_minutes, RoundsAssessment* points, int capacity,
                                           int* count);

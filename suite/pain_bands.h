// The severity bands of the cancer-pain standard for a patient's own pain
// score of 0 to 10, shared by the numeric and the faces scales so that a
// record reads alike whichever scale the patient could use.
//
// No include guard on purpose: each descriptor includes it once, and the
// launcher's catalogue includes every descriptor in a namespace of its own,
// where each needs its own copy.
static const RuleDef pain_bands[] = {
    {.condition = "total >= 7", .level = 3, .message = L"重度疼痛（7–10 分）：立即报告医师，及时镇痛"},
    {.condition = "total >= 4", .level = 2, .message = L"中度疼痛（4–6 分）：报告医师，镇痛后按时复评"},
    {.condition = "total >= 1", .level = 1, .message = L"轻度疼痛（1–3 分）：非药物干预，按时复评"},
    {.condition = "", .level = 0, .message = L"无痛（0 分）：常规评估"},
};
static constexpr int pain_band_count = sizeof pain_bands / sizeof pain_bands[0];

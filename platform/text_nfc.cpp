// Unicode's canonical composition (NFC): the one form a name is kept in, so
// that the same name typed two ways (a letter with its mark composed or
// apart, a CJK compatibility ideograph or its unified one) is one name.
#include "platform/platform.h"

#include "platform/nfc_table.h"

namespace {

// A text of more code points than this, once decomposed, is not normalised.
constexpr int NFC_CODE_POINTS = 1024;

// Hangul syllables compose by arithmetic (The Unicode Standard, 3.12).
constexpr uint32_t HANGUL_S = 0xAC00, HANGUL_L = 0x1100, HANGUL_V = 0x1161, HANGUL_T = 0x11A7;
constexpr uint32_t HANGUL_L_COUNT = 19, HANGUL_V_COUNT = 21, HANGUL_T_COUNT = 28;
constexpr uint32_t HANGUL_N = HANGUL_V_COUNT * HANGUL_T_COUNT, HANGUL_S_COUNT = HANGUL_L_COUNT * HANGUL_N;

int combining_class(uint32_t c) {
    int low = 0, high = NFC_CLASS_COUNT - 1;
    while (low <= high) {
        int middle = (low + high) / 2;
        if (NFC_CLASSES[middle].code == c) return NFC_CLASSES[middle].combining_class;
        if (NFC_CLASSES[middle].code < c) low = middle + 1;
        else high = middle - 1;
    }
    return 0;
}

const NfcDecomposition* decomposition(uint32_t c) {
    int low = 0, high = NFC_DECOMPOSITION_COUNT - 1;
    while (low <= high) {
        int middle = (low + high) / 2;
        if (NFC_DECOMPOSITIONS[middle].code == c) return &NFC_DECOMPOSITIONS[middle];
        if (NFC_DECOMPOSITIONS[middle].code < c) low = middle + 1;
        else high = middle - 1;
    }
    return nullptr;
}

// The code point `first` and `second` compose to, or 0.
uint32_t composite(uint32_t first, uint32_t second) {
    if (first >= HANGUL_L && first < HANGUL_L + HANGUL_L_COUNT && second >= HANGUL_V &&
        second < HANGUL_V + HANGUL_V_COUNT)
        return HANGUL_S + ((first - HANGUL_L) * HANGUL_V_COUNT + (second - HANGUL_V)) * HANGUL_T_COUNT;
    if (first >= HANGUL_S && first < HANGUL_S + HANGUL_S_COUNT && (first - HANGUL_S) % HANGUL_T_COUNT == 0 &&
        second > HANGUL_T && second < HANGUL_T + HANGUL_T_COUNT)
        return first + (second - HANGUL_T);
    int low = 0, high = NFC_COMPOSITION_COUNT - 1;
    while (low <= high) {
        int middle = (low + high) / 2;
        const NfcComposition& c = NFC_COMPOSITIONS[middle];
        if (c.first == first && c.second == second) return c.composite;
        if (c.first < first || (c.first == first && c.second < second)) low = middle + 1;
        else high = middle - 1;
    }
    return 0;
}

// Appends the canonical decomposition of `c`; false when it does not fit.
bool decompose(uint32_t c, uint32_t* points, int* count) {
    uint32_t parts[4];
    const uint32_t* from = parts;
    int length = 1;
    parts[0] = c;
    if (c >= HANGUL_S && c < HANGUL_S + HANGUL_S_COUNT) {
        uint32_t index = c - HANGUL_S;
        parts[0] = HANGUL_L + index / HANGUL_N;
        parts[1] = HANGUL_V + index % HANGUL_N / HANGUL_T_COUNT;
        parts[2] = HANGUL_T + index % HANGUL_T_COUNT;
        length = parts[2] == HANGUL_T ? 2 : 3;
    } else if (const NfcDecomposition* d = decomposition(c)) {
        from = NFC_DECOMPOSED + d->at;
        length = d->length;
    }
    if (*count + length > NFC_CODE_POINTS) return false;
    for (int k = 0; k < length; k++) points[(*count)++] = from[k];
    return true;
}

}  // namespace

int text_nfc(const wchar_t* text, wchar_t* out, int capacity) {
    if (capacity < 1) return -1;
    out[0] = 0;
    uint32_t points[NFC_CODE_POINTS];
    int count = 0;
    for (const wchar_t* p = text; *p;) {
        uint32_t c = (uint32_t)*p++;
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && (uint32_t)*p >= 0xDC00 && (uint32_t)*p < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + ((uint32_t)*p++ - 0xDC00);
        if (!decompose(c, points, &count)) return -1;
    }
    // Marks in the order of their classes, each run of them sorted stably.
    for (int i = 1; i < count; i++) {
        int k = i, cls = combining_class(points[i]);
        if (cls == 0) continue;
        uint32_t c = points[i];
        while (k > 0 && combining_class(points[k - 1]) > cls) {
            points[k] = points[k - 1];
            k--;
        }
        points[k] = c;
    }
    // Each mark joins the last starter when no mark of its class or a
    // starter stands between them.
    if (count > 0) {
        int starter = 0, kept = 1;
        int last_class = combining_class(points[0]) ? 256 : 0;
        for (int i = 1; i < count; i++) {
            uint32_t c = points[i];
            int cls = combining_class(c);
            uint32_t joined = composite(points[starter], c);
            if (joined && (last_class < cls || last_class == 0)) {
                points[starter] = joined;
                continue;
            }
            if (cls == 0) starter = kept;
            last_class = cls;
            points[kept++] = c;
        }
        count = kept;
    }
    int n = 0;
    for (int i = 0; i < count; i++) {
        if (!wide_append_code_point(points[i], out, &n, capacity)) {
            out[0] = 0;
            return -1;
        }
    }
    out[n] = 0;
    return n;
}

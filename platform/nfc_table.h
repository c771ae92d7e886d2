// The tables of canonical composition, generated at build time from the
// Unicode Character Database (scripts/nfc_table.py); read by text_nfc.cpp.
#pragma once

#include <stdint.h>

// A code point's full canonical decomposition: `length` code points of
// NFC_DECOMPOSED from `at`. Sorted by code.
struct NfcDecomposition {
    uint32_t code;
    uint16_t at;
    uint8_t length;
};
// A combining mark's canonical combining class (the others have 0). Sorted.
struct NfcClass {
    uint32_t code;
    uint8_t combining_class;
};
// A pair that composes to one code point. Sorted by the pair.
struct NfcComposition {
    uint32_t first, second, composite;
};

extern const NfcDecomposition NFC_DECOMPOSITIONS[];
extern const int NFC_DECOMPOSITION_COUNT;
extern const uint32_t NFC_DECOMPOSED[];
extern const NfcClass NFC_CLASSES[];
extern const int NFC_CLASS_COUNT;
extern const NfcComposition NFC_COMPOSITIONS[];
extern const int NFC_COMPOSITION_COUNT;

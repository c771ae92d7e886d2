// Whom a result belongs to: the patient's two identifiers (name and
// hospital number, never the bed alone), where they lie, and the nurse who
// assesses. They come from the hospital system's command line, a file it
// writes, a wristband scanner or the keyboard, and go only where the nurse
// sends a result: the window, the clipboard, the page, the record.
#pragma once

// The fields in the order the command line gives them, and the record's
// columns: the first PATIENT_STAMP_FIELDS among who saved a row, the stay's
// two after every column an earlier version wrote.
enum PatientField : int {
    PATIENT_ID,    // 住院号, the hospital number
    PATIENT_NAME,
    PATIENT_BED,
    PATIENT_WARD,
    NURSE_ID,
    NURSE_NAME,
    PATIENT_VISIT_ID,     // the stay's number: 住院次数 or 就诊流水号, as the hospital system counts
    PATIENT_ADMITTED_AT,  // the stay's admission, ISO 8601 ("2026-12-08T09:30")
    PATIENT_FIELD_COUNT,
};
constexpr int PATIENT_STAMP_FIELDS = NURSE_NAME + 1;
inline bool patient_field_is_nurse(int field) { return field == NURSE_ID || field == NURSE_NAME; }

// A field holds at most this many characters: every hospital number and
// name a ward writes, and nothing a slip of the scanner pastes whole.
constexpr int PATIENT_FIELD_LIMIT = 32;
constexpr int PATIENT_FIELD_CAPACITY = PATIENT_FIELD_LIMIT + 1;

struct Patient {
    wchar_t fields[PATIENT_FIELD_COUNT][PATIENT_FIELD_CAPACITY];  // empty when not given
};

// Each field's command-line option (without "--" and "="), the words a
// nurse reads for it, and whether it is a number (read with full-width
// digits and letters as their ASCII forms, so that "２０２６００１２３４" and
// "2026001234" are one patient).
struct PatientFieldName {
    const wchar_t* option;
    const wchar_t* label;
    bool number;
};
const PatientFieldName& patient_field_name(int field);

enum PatientFieldFault {
    PATIENT_FIELD_SOUND,
    PATIENT_FIELD_CONTROL,     // holds a control character (a tab, a line break, an escape)
    PATIENT_FIELD_INVISIBLE,   // holds a format or direction character, which shows nothing
                               // or turns the text around ("2026001234" drawn as "4321006202")
    PATIENT_FIELD_UNREADABLE,  // holds U+FFFD or half a surrogate pair: text read in the wrong encoding
    PATIENT_FIELD_TOO_LONG,    // more than PATIENT_FIELD_LIMIT characters
    PATIENT_FIELD_NOT_A_TIME,  // the admission, given as no ISO 8601 date and time
};
// What is wrong with `text` as the value of `field`, spaces around it aside.
PatientFieldFault patient_field_fault(int field, const wchar_t* text);
// "住院号最多 32 个字符" and the like: what the field takes, for a message
// that names the argument or the box.
int patient_field_fault_text(int field, PatientFieldFault fault, wchar_t* text, int capacity);

// Sets a field to `text` as it is kept: without the spaces around it (a
// scanner may add them), in Unicode's composed form (NFC), a number's
// full-width digits and letters as ASCII. False, leaving the field as it
// was, when patient_field_fault finds fault with it.
bool patient_set_field(Patient* patient, int field, const wchar_t* text);

// The admission as the hospital's database takes it: "2026-12-08
// 09:30:00+08:00", with `utc_offset_minutes` (the PC's) where the text
// gives no offset of its own. False for a text that is no ISO 8601 date
// and time ("2026-12-08", "2026-12-08T09:30", "20261208T0930", with
// seconds, "Z" or an offset). Empty for an empty text.
bool patient_admission_time(const wchar_t* text, int utc_offset_minutes, wchar_t* time, int capacity);

// Who the result belongs to as far as it is given.
enum PatientState {
    PATIENT_NONE,      // no patient field is given: a calculation that concerns no one
    PATIENT_HALF,      // some of the patient's are, but not both the name and the hospital number
    PATIENT_COMPLETE,  // the name and the hospital number
};
PatientState patient_state(const Patient& patient);

// What a copy, a save or a print with a patient half given is refused with.
#define PATIENT_HALF_GIVEN L"患者身份须有姓名和住院号两项"

// The patient as the window's band and the copy show it: "张三　住院号
// 2026001234　12 床　普外一科", the parts not given left out; "" for none.
int patient_line(const Patient& patient, wchar_t* line, int capacity);

// Whose a result is, as the title bar, the save's confirmation and a
// warning name the patient: "张三（2026001234）"; "" unless the patient is
// given whole.
int patient_owner(const Patient& patient, wchar_t* text, int capacity);
constexpr int PATIENT_OWNER_CAPACITY = 2 * PATIENT_FIELD_CAPACITY + 4;

// Text from outside the program (a name, a number, a user name) as a
// spreadsheet cell shows it as text: one that begins with "=", "+", "-",
// "@", a tab, a line break or the full-width "＝＋－＠", which Excel and
// LibreOffice would take for a formula, gets a leading apostrophe. Cut to
// capacity - 1.
int spreadsheet_text(const wchar_t* text, wchar_t* cell, int capacity);
// Whether a cell beginning with `c` would be taken for a formula.
bool spreadsheet_formula_start(wchar_t c);

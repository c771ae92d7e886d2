// The application shell's portable rules: the command line and the numbers
// typed in the input fields. The main window itself is in app/win32.
#pragma once

#include "patient/patient.h"
#include "tool/tool.h"

// The self-test report path holds at most 519 characters and its terminator.
constexpr int SELFTEST_PATH_CAPACITY = 520;

// Reads a whole command line, the program's own path included. Returns true
// when one of its arguments after the program's path is "--selftest" as a
// whole, never text inside another argument's value (a patient named
// "--selftest C:\x" is only a name); `path` then holds the argument that
// follows, the report path (split as Windows programs split their command
// line, so quoted it may hold spaces), cut to capacity - 1 characters,
// "selftest.txt" when nothing follows.
bool command_line_selftest_path(const wchar_t* command_line, wchar_t* path, int capacity);

// Where the arguments begin: after the program's own path, quoted without
// escapes or up to a space, as Windows reads it.
const wchar_t* command_line_after_program(const wchar_t* command_line);

// Joins arguments into one command line as Windows passes it to a program:
// single spaces between them, an argument that holds a space wrapped in double
// quotes. Cut to capacity - 1 characters. Returns the length.
int command_line_join(const wchar_t* const* arguments, int count, wchar_t* command_line,
                      int capacity);

// Reads the number typed in an input field. Spaces around it are ignored;
// the whole text must be one decimal number (full stop as decimal point,
// optional exponent) with a finite value. False (and 0) for anything else,
// so a typing slip such as "6O" or "1,5" is refused instead of being read as
// 6 or 1, and a field left blank is never read as 0.
bool input_field_number(const wchar_t* text, double* value);

// Whether a field holds nothing but spaces: nothing was typed.
bool input_field_blank(const wchar_t* text);

// The field's text without the spaces around it, as a message quotes what
// was typed; cut to capacity - 1 characters.
void input_field_trim(const wchar_t* text, wchar_t* trimmed, int capacity);

// An input field's text is read into this many characters; a longer text is
// refused rather than judged by its first part.
constexpr int INPUT_TEXT_CAPACITY = 128;

// What the field of input `number` (from 1) holds that its input does not
// take (`fault`), told as the nurse reads it, naming the field and what was
// typed: "第 1 项“本餐碳水”须在 0–300 g 之间（当前 -60）。"
void input_field_complaint(const InputDef& input, int number, const wchar_t* typed, InputFault fault,
                           wchar_t* complaint, int capacity);

// ---- What a hospital system starts a program with ---------------------------------
//
//   --patient-id=  --patient-name=  --bed=  --ward=  --nurse-id=  --nurse-name=
//   --set=KEY=VALUE     an input the hospital system knows, by its key (repeatable)
//   --patient-file=PATH the same as UTF-8 "option=value" lines, for a system that
//                       would rather not put a name on a command line that
//                       other programs on the PC can read
//
// A program started with "--selftest" reads none of them. A patient given
// both on the command line and in the file is taken only when the two agree.

// One argument, a --patient-file path included, holds at most this many
// characters.
constexpr int START_ARGUMENT_CAPACITY = 1024;
// The file holds at most this many bytes.
constexpr int START_FILE_CAPACITY = 16384;
constexpr int START_COMPLAINT_CAPACITY = 4096;

// An input's value from --set, as it was sent: a typed input's field shows
// it as it stands, and Calculate judges it as a typed one.
struct StartPreset {
    bool given;
    wchar_t text[INPUT_TEXT_CAPACITY];
};

struct StartRequest {
    Patient patient;
    StartPreset presets[TOOL_MAX_INPUTS];  // by input
    // One line (ending CR LF) for each argument that was not taken as it
    // stands, naming it and what it takes; empty when every one was.
    wchar_t complaint[START_COMPLAINT_CAPACITY];
};

// Reads the patient and the inputs from a whole command line (the program's
// path first). `tool` is the program's tool, or nullptr for the launcher,
// which takes no --set. An identity is taken only whole: when any field from
// the command line, or from the file, is at fault, no field from that source
// is. A --set for an unknown key, or a value that is no option of a list or
// box, is left out; a typed input's value stands as sent, with a line in
// the complaint when its input does not take it.
void start_request_read(const PreparedTool* tool, const wchar_t* command_line, StartRequest* request);

// ---- The launcher's hand-over ----------------------------------------------------
//
// The launcher gives a tool its patient in a file of the user's own data
// folder, never on the command line, which process auditing and other
// programs on the PC can read: "<per-user data folder>/OrvoMedSuite/handover/
// <32 hex digits>.txt", the option lines of --patient-file. A tool removes
// such a file once it has read it; a hospital system's own patient file
// elsewhere is left as it is.
#define HANDOVER_FOLDER L"handover"
constexpr int HANDOVER_NAME_DIGITS = 32;

// Writes the patient's hand-over file (a new random name, whole or not at
// all) and its path into `path`. False when it could not be written.
bool handover_write(const Patient& patient, wchar_t* path, int capacity);
// Removes the hand-over files a day old: a tool that died before reading
// its own left it, and the patient it names stays on no disk for good.
void handover_sweep();

// The next argument of a Windows command line, as a program's start-up
// splits it: spaces and tabs between arguments, double quotes around
// spaces, a backslash escaping a quote. `*cursor` moves past it. False at
// the end. An argument longer than capacity - 1 is cut and `*cut` set.
bool command_line_argument(const wchar_t** cursor, wchar_t* argument, int capacity, bool* cut);

// The client area the window's layout is drawn for, and the window's fixed
// outer size (which the deployment note states as well). The outer size fits
// the smallest work area of a ward's screens, 1280 x 680 (a 1366 x 768
// laptop's less its taskbar), caption and frame included. Around the layout
// it leaves 16 x 60 pixels for them: Wine's take 6 x 25, those of Windows 10
// and 11 a caption of 23 and two edges of up to 8 each at 100 % scaling, half
// as much again at 150 %. A thinner frame leaves the client taller than the
// layout: the footer takes the rest.
constexpr int CLIENT_WIDTH = 1020, CLIENT_HEIGHT = 620;
constexpr int WINDOW_WIDTH = 1036, WINDOW_HEIGHT = 680;

// What the program says of its results wherever they are shown: the about
// text, the printed page's footer and the user guide.
#define DISCLAIMER L"本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断"
#define DISCLAIMER_ADVICE L"具体用药与处置请结合患者实际情况及本院规范执行。"

// config/keynames.cc: names of the key codes 256..511 (X key symbols 0xFF00..0xFFFF) and
// the Latin-1 characters.
#include <cstring>
#include <strings.h>

#include "config/bindings.h"

namespace {

struct KeyRow {
    unsigned sym; // low byte of the X key symbol
    const char* name;
};

// The X names; the first name of a code is the one shown.
const KeyRow keyRows[] = {
    {0x08, "BackSpace"}, {0x09, "Tab"}, {0x0a, "Linefeed"}, {0x0b, "Clear"},
    {0x0d, "Return"}, {0x13, "Pause"}, {0x14, "Scroll_Lock"}, {0x15, "Sys_Req"},
    {0x1b, "Escape"}, {0x20, "Multi_key"}, {0x21, "Kanji"}, {0x22, "Muhenkan"},
    {0x23, "Henkan_Mode"}, {0x24, "Romaji"}, {0x25, "Hiragana"}, {0x26, "Katakana"},
    {0x27, "Hiragana_Katakana"}, {0x28, "Zenkaku"}, {0x29, "Hankaku"},
    {0x2a, "Zenkaku_Hankaku"}, {0x2b, "Touroku"}, {0x2c, "Massyo"}, {0x2d, "Kana_Lock"},
    {0x2e, "Kana_Shift"}, {0x2f, "Eisu_Shift"}, {0x30, "Eisu_toggle"}, {0x37, "Codeinput"},
    {0x3c, "SingleCandidate"}, {0x3d, "MultipleCandidate"}, {0x3e, "PreviousCandidate"},
    {0x50, "Home"}, {0x51, "Left"}, {0x52, "Up"}, {0x53, "Right"}, {0x54, "Down"},
    {0x55, "Prior"}, {0x56, "Next"}, {0x57, "End"}, {0x58, "Begin"}, {0x60, "Select"},
    {0x61, "Print"}, {0x62, "Execute"}, {0x63, "Insert"}, {0x65, "Undo"}, {0x66, "Redo"},
    {0x67, "Menu"}, {0x68, "Find"}, {0x69, "Cancel"}, {0x6a, "Help"}, {0x6b, "Break"},
    {0x7e, "Mode_switch"}, {0x7f, "Num_Lock"}, {0x80, "KP_Space"}, {0x89, "KP_Tab"},
    {0x8d, "KP_Enter"}, {0x91, "KP_F1"}, {0x92, "KP_F2"}, {0x93, "KP_F3"}, {0x94, "KP_F4"},
    {0x95, "KP_Home"}, {0x96, "KP_Left"}, {0x97, "KP_Up"}, {0x98, "KP_Right"},
    {0x99, "KP_Down"}, {0x9a, "KP_Prior"}, {0x9b, "KP_Next"}, {0x9c, "KP_End"},
    {0x9d, "KP_Begin"}, {0x9e, "KP_Insert"}, {0x9f, "KP_Delete"}, {0xaa, "KP_Multiply"},
    {0xab, "KP_Add"}, {0xac, "KP_Separator"}, {0xad, "KP_Subtract"}, {0xae, "KP_Decimal"},
    {0xaf, "KP_Divide"}, {0xb0, "KP_0"}, {0xb1, "KP_1"}, {0xb2, "KP_2"}, {0xb3, "KP_3"},
    {0xb4, "KP_4"}, {0xb5, "KP_5"}, {0xb6, "KP_6"}, {0xb7, "KP_7"}, {0xb8, "KP_8"},
    {0xb9, "KP_9"}, {0xbd, "KP_Equal"}, {0xbe, "F1"}, {0xbf, "F2"}, {0xc0, "F3"},
    {0xc1, "F4"}, {0xc2, "F5"}, {0xc3, "F6"}, {0xc4, "F7"}, {0xc5, "F8"}, {0xc6, "F9"},
    {0xc7, "F10"}, {0xc8, "F11"}, {0xc9, "F12"}, {0xca, "F13"}, {0xcb, "F14"},
    {0xcc, "F15"}, {0xcd, "F16"}, {0xce, "F17"}, {0xcf, "F18"}, {0xd0, "F19"},
    {0xd1, "F20"}, {0xd2, "F21"}, {0xd3, "F22"}, {0xd4, "F23"}, {0xd5, "F24"},
    {0xd6, "F25"}, {0xd7, "F26"}, {0xd8, "F27"}, {0xd9, "F28"}, {0xda, "F29"},
    {0xdb, "F30"}, {0xdc, "F31"}, {0xdd, "F32"}, {0xde, "F33"}, {0xdf, "F34"},
    {0xe0, "F35"}, {0xe1, "Shift_L"}, {0xe2, "Shift_R"}, {0xe3, "Control_L"},
    {0xe4, "Control_R"}, {0xe5, "Caps_Lock"}, {0xe6, "Shift_Lock"}, {0xe7, "Meta_L"},
    {0xe8, "Meta_R"}, {0xe9, "Alt_L"}, {0xea, "Alt_R"}, {0xeb, "Super_L"},
    {0xec, "Super_R"}, {0xed, "Hyper_L"}, {0xee, "Hyper_R"}, {0xff, "Delete"},
};

// Further accepted names: the Sun left and right key banks share codes with F11..F35.
const KeyRow aliasRows[] = {
    {0x55, "Page_Up"},   {0x56, "Page_Down"}, {0x9a, "KP_Page_Up"}, {0x9b, "KP_Page_Down"},
    {0xc8, "L1"},        {0xc9, "L2"},        {0xca, "L3"},         {0xcb, "L4"},
    {0xcc, "L5"},        {0xcd, "L6"},        {0xce, "L7"},         {0xcf, "L8"},
    {0xd0, "L9"},        {0xd1, "L10"},       {0xd2, "R1"},         {0xd3, "R2"},
    {0xd4, "R3"},        {0xd5, "R4"},        {0xd6, "R5"},         {0xd7, "R6"},
    {0xd8, "R7"},        {0xd9, "R8"},        {0xda, "R9"},         {0xdb, "R10"},
    {0xdc, "R11"},       {0xdd, "R12"},       {0xde, "R13"},        {0xdf, "R14"},
    {0xe0, "R15"},       {0x7e, "script_switch"},
};

const char* highNames[256];
char latinNames[256][2];
bool built = false;

void build() {
    if (built) return;
    for (const KeyRow& r : keyRows)
        if (!highNames[r.sym]) highNames[r.sym] = r.name;
    for (int c = 0; c < 256; c++) {
        latinNames[c][0] = (char)c;
        latinNames[c][1] = 0;
    }
    built = true;
}

} // namespace

int KeySymToKeyCode(unsigned long keysym) {
    if (keysym >= 0x20 && keysym <= 0xFF) return (int)keysym;
    if (keysym >= 0xFF00 && keysym <= 0xFFFF) return 256 + (int)(keysym & 0xFF);
    return -1;
}

unsigned long KeyCodeToKeySym(int code) {
    if (code >= 256 && code < 512) return 0xFF00 + (unsigned long)(code - 256);
    return (unsigned long)code;
}

const char* KeyCodeName(int code) {
    build();
    if (code >= 256 && code < 512) return highNames[code - 256];
    if (code == ' ') return "space";
    if ((code > 32 && code < 127) || (code >= 160 && code < 256)) return latinNames[code];
    return nullptr;
}

int KeyNameToCode(const char* name) {
    if (!name || !*name) return -1;
    build();
    for (const KeyRow& r : keyRows)
        if (strcmp(r.name, name) == 0) return 256 + (int)r.sym;
    for (const KeyRow& r : aliasRows)
        if (strcmp(r.name, name) == 0) return 256 + (int)r.sym;
    for (const KeyRow& r : keyRows)
        if (strcasecmp(r.name, name) == 0) return 256 + (int)r.sym;
    for (const KeyRow& r : aliasRows)
        if (strcasecmp(r.name, name) == 0) return 256 + (int)r.sym;
    if (strcmp(name, "space") == 0) return ' ';
    return -1;
}

int KeyNameCount() {
    build();
    int n = 0;
    for (const char* name : highNames)
        if (name) n++;
    return n;
}

// toolkit/widgets.h: one-line text fields, push buttons and labels.
#pragma once

#include <string>

#include "toolkit/window.h"

struct TextField;
using TfCallback = void (*)(TextField* tf, void* data);

struct TextField {
    WWindow* win = nullptr;
    std::string text;
    size_t cursor = 0;          // byte index of the caret
    size_t anchor = 0;          // the other end of the selection (== cursor: none)
    size_t scroll = 0;          // first byte shown
    bool editable = true;
    TfCallback activate = nullptr; // Return
    TfCallback cancel = nullptr;   // Escape
    TfCallback changed = nullptr;  // after every edit
    void* data = nullptr;
};

TextField* tfCreate(WWindow* parent, int x, int y, int width, int height, TfCallback activate,
                    void* data);
void tfDestroy(TextField* tf);
void tfSetText(TextField* tf, const std::string& text);
void tfDraw(TextField* tf);
// Applies one key event to the field (also used to feed it keys from elsewhere).
void tfKey(TextField* tf, const WEvent& ev);

struct Button;
using ButtonCallback = void (*)(Button* b, void* data);

struct Button {
    WWindow* win = nullptr;
    std::string label;
    bool pressed = false;
    bool isDefault = false; // drawn with a frame; Return chooses it
    bool enabled = true;
    ButtonCallback callback = nullptr;
    void* data = nullptr;
    int index = 0;          // the caller's number for it
};

Button* btnCreate(WWindow* parent, int x, int y, int width, int height, const char* label,
                  ButtonCallback callback, void* data);
void btnDestroy(Button* b);
void btnDraw(Button* b);
void btnEnable(Button* b, bool enabled);
int btnWidthFor(const char* label); // a comfortable width for the label

// Draws lines of text (split at newlines) at (x, y) in the foreground colour.
int WDrawLines(WWindow* win, int x, int y, const std::string& text, WColor bg);
// Draws a one-line label with the letter after "&" underlined ("&&" is a plain "&").
void WDrawLabel(WWindow* win, int x, int y, const std::string& label, WColor fg, WColor bg);

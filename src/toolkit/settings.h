// toolkit/settings.h: the few settings the toolkit reads. Its owner copies them from the
// options at start-up and whenever an option changes; the toolkit never reads the options.
#pragma once

#include <string>

struct WSettings {
    std::string font;              // empty: the backend's default font
    std::string background = "#ffffff";
    std::string foreground = "#000000";
    std::string control = "#c0c0c0"; // buttons, scroll bars, dialogue backgrounds
    std::string select = "#000080";  // selected text
    int clickPause = 4;            // tenths of a second between the clicks of one multi-click
    int ignoreMotion = 4;          // pixels a click may wander and still count as one place
    bool escapeAborts = false;     // Escape during long work reports "Command aborted."
};
extern WSettings wSettings;

// Stores new settings; with a display attached, a changed font or colour takes effect at
// once. Returns 1 when the font or a colour changed (windows then need a new layout).
int WApplySettings(const WSettings& settings);

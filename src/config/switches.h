// config/switches.h: the internal one-byte switches ("-X name", "-Z name", the .xsw file).
#pragma once

// Indexes of the switches the program reads by name.
enum XSwitch {
    XSW_ESCABORT,
    XSW_GUIMPRINTF,
    XSW_MSWDOSFILES,
    XSW_NOAUTOINDENT,
    XSW_VCUSEINTERPRETER,
    XSW_CLEARCASECREATE,
    XSW_DONTINSERTBACKSLASHES,
    XSW_UGLYHACKODDQUOTES,
    XSW_HELPVIEWER,     // show help in the help viewer rather than the built-in text
    XSW_RECOLORIMAGES,  // refigure colours and recolour images when no config is read
    XSW_EXITTEST,       // end when only message-list windows remain
    XSW_HANDLELOG,      // log every handle create and free
    XSW_COLORICONS,     // reduced-display levels turn these off
    XSW_DISPLAY1,
    XSW_DISPLAY2,
    XSW_PICTUREBUTTONS,
    XSW_CONFIGTRACE,      // print the name of each configuration file read
    XSW_CONFIGDEPRECATED, // report older names of option choices
    XSW_COUNT
};

extern unsigned char debugFlag[XSW_COUNT];

void InitDebugFlag();
int GetXSwitchIndex(const char* name); // -1 for an unknown name
const char* XSwitchName(int index);

// toolkit/cmdline.cc: the toolkit's command-line words (-display, -geometry, -fn, -xrm).
#include "toolkit/cmdline.h"

#include <cstdlib>
#include <cstring>

#include "runtime/gen.h"
#include "toolkit/backend.h"

WCommandLine wCommandLine;

namespace {

// Reads an unsigned number at *p; false when there is none or it is absurdly large.
bool number(const char*& p, int* out) {
    if (*p < '0' || *p > '9') return false;
    long v = 0;
    while (*p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        if (v > 100000) return false;
    }
    *out = (int)v;
    return true;
}

} // namespace

bool WParseGeometry(const char* text, WCommandLine* g) {
    const char* p = text;
    if (*p == '=') p++;
    WCommandLine r = *g;
    r.hasSize = r.hasPlace = false;
    if (*p >= '0' && *p <= '9') {
        if (!number(p, &r.cols) || (*p != 'x' && *p != 'X')) return false;
        p++;
        if (!number(p, &r.rows) || r.cols < 1 || r.rows < 1) return false;
        r.hasSize = true;
    }
    if (*p == '+' || *p == '-') {
        r.fromRight = *p++ == '-';
        if (!number(p, &r.x) || (*p != '+' && *p != '-')) return false;
        r.fromBottom = *p++ == '-';
        if (!number(p, &r.y)) return false;
        r.hasPlace = true;
    }
    if (*p || (!r.hasSize && !r.hasPlace)) return false;
    *g = r;
    return true;
}

bool WTakeToolkitArguments(int* argc, char** argv) {
    bool fine = true;
    int out = 1;
    for (int i = 1; i < *argc; i++) {
        const char* w = argv[i];
        // The batch mode's own words take a value that is never ours.
        if ((strcmp(w, "-do") == 0 || strcmp(w, "-answer") == 0) && i + 1 < *argc) {
            argv[out++] = argv[i];
            argv[out++] = argv[++i];
            continue;
        }
        bool ours = strcmp(w, "-display") == 0 || strcmp(w, "-geometry") == 0 ||
                    strcmp(w, "-fn") == 0 || strcmp(w, "-font") == 0 || strcmp(w, "-xrm") == 0;
        if (!ours) {
            argv[out++] = argv[i];
            continue;
        }
        if (i + 1 >= *argc) {
            gen_error("%s needs a value", w);
            fine = false;
            continue;
        }
        const char* v = argv[++i];
        if (strcmp(w, "-display") == 0) {
            wCommandLine.display = v;
        } else if (strcmp(w, "-geometry") == 0) {
            if (!WParseGeometry(v, &wCommandLine)) {
                gen_error("Bad geometry \"%s\" (want COLUMNSxROWS+X+Y)", v);
                fine = false;
            }
        } else if (strcmp(w, "-xrm") == 0) {
            wCommandLine.xrm.push_back(v);
        } else {
            wCommandLine.font = v;
        }
    }
    argv[out] = nullptr;
    *argc = out;
    return fine;
}

bool WTakeGeometry(int* cols, int* rows) {
    if (wCommandLine.geometryUsed || !wCommandLine.hasSize) return false;
    *cols = wCommandLine.cols;
    *rows = wCommandLine.rows;
    return true;
}

bool WGeometryPlace(int width, int height, int* x, int* y) {
    if (wCommandLine.geometryUsed) return false;
    wCommandLine.geometryUsed = true;
    if (!wCommandLine.hasPlace) return false;
    int sw = 0, sh = 0;
    if (wBackend) wBackend->screenSize(&sw, &sh);
    *x = wCommandLine.fromRight ? sw - width - wCommandLine.x : wCommandLine.x;
    *y = wCommandLine.fromBottom ? sh - height - wCommandLine.y : wCommandLine.y;
    return true;
}

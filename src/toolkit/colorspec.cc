// toolkit/colorspec.cc: the colour specifications a display without its own parser (the
// headless backend, or none) understands: "#" with 1 to 4 hex digits per component,
// "rgb:r/g/b" and a few names. The X11 backend asks the server instead.
#include <cctype>
#include <cstring>
#include <string>
#include <strings.h>

#include "toolkit/backend.h"
#include "toolkit/window.h"

int WParseColorBuiltin(const char* text, int* r, int* g, int* b) {
    static const struct {
        const char* name;
        int r, g, b;
    } names[] = {
        {"black", 0, 0, 0},        {"white", 255, 255, 255}, {"red", 255, 0, 0},
        {"green", 0, 255, 0},      {"blue", 0, 0, 255},      {"yellow", 255, 255, 0},
        {"cyan", 0, 255, 255},     {"magenta", 255, 0, 255}, {"gray", 190, 190, 190},
        {"grey", 190, 190, 190},   {"navy", 0, 0, 128},      {"maroon", 176, 48, 96},
        {"orange", 255, 165, 0},   {"purple", 160, 32, 240}, {"brown", 165, 42, 42},
        {"darkgreen", 0, 100, 0},  {"lightgray", 211, 211, 211},
        {"lightgrey", 211, 211, 211},
    };
    auto hexval = [](const char* s, int n, int* out) {
        int v = 0;
        for (int i = 0; i < n; i++) {
            if (!isxdigit((unsigned char)s[i])) return 0;
            v = v * 16 + (isdigit((unsigned char)s[i]) ? s[i] - '0' : tolower(s[i]) - 'a' + 10);
        }
        int max = (1 << (4 * n)) - 1;
        *out = (int)((long)v * 65535 / max);
        return 1;
    };
    if (text[0] == '#') {
        size_t len = strlen(text + 1);
        if (len == 0 || len % 3 || len > 12) return 0;
        int n = (int)len / 3;
        return hexval(text + 1, n, r) && hexval(text + 1 + n, n, g) &&
               hexval(text + 1 + 2 * n, n, b);
    }
    if (strncasecmp(text, "rgb:", 4) == 0) {
        const char* p = text + 4;
        int* outs[3] = {r, g, b};
        for (int i = 0; i < 3; i++) {
            size_t n = strcspn(p, "/");
            if (n < 1 || n > 4 || !hexval(p, (int)n, outs[i])) return 0;
            p += n;
            if (i < 2) {
                if (*p != '/') return 0;
                p++;
            }
        }
        return *p == 0;
    }
    std::string lower;
    for (const char* p = text; *p; p++)
        if (*p != ' ') lower += (char)tolower((unsigned char)*p);
    for (const auto& n : names) {
        if (lower == n.name) {
            *r = n.r * 257;
            *g = n.g * 257;
            *b = n.b * 257;
            return 1;
        }
    }
    return 0;
}

int WParseColor(const char* spec, int* r, int* g, int* b) {
    if (!spec || !*spec) return 0;
    return wBackend ? wBackend->parseColor(spec, r, g, b) : WParseColorBuiltin(spec, r, g, b);
}

bool WMonochrome() {
    return wBackend && wBackend->monochrome();
}

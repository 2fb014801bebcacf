// toolkit/no_x11.cc: stands in for the X11 backend until it is built.
#include "toolkit/backend.h"

WBackend* NewX11Backend() {
    return nullptr;
}

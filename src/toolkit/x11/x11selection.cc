// toolkit/x11/x11selection.cc: the X selections as an ICCCM client. One unmapped helper window
// owns and requests every slot, so the answers and the incremental transfers have one place
// to arrive; the data itself stays in the toolkit's selection records.
#include <X11/Xatom.h>
#include <algorithm>
#include <climits>
#include <ctime>
#include <vector>

#include "runtime/gen.h"
#include "toolkit/selection.h"
#include "toolkit/eventloop.h"
#include "toolkit/x11/x11.h"

namespace {

// How long an owner may take to answer, or to send the next piece of a large answer.
const long fetchTimeoutMs = 2000;
// How long a requestor may take to take the next piece of a large answer from us.
const long sendTimeoutMs = 10000;
// Arriving data beyond this is refused rather than exhausting memory.
const size_t maxIncoming = 256ul << 20;

struct Atoms {
    Atom sel[WSEL_SLOTS];
    Atom prop[WSEL_SLOTS]; // where the answer for each slot is put on the helper window
    Atom targets, multiple, timestamp, text, utf8, incr, atomPair, lines, rect, timeProp;
} at;

Window helper = 0;
Time ownTime[WSEL_SLOTS];

// A fetch in progress for one slot; every window that asked meanwhile gets the answer.
struct Fetch {
    bool active = false;
    std::vector<unsigned long> windows;
    Atom target = None; // what was asked for last
    bool incr = false;  // the answer comes in pieces
    Atom incrType = None;
    std::string data;
    long deadline = 0;
    Time time = CurrentTime;
};
Fetch fetches[WSEL_SLOTS];

// A large answer handed to a requestor piece by piece.
struct Sending {
    Window requestor = 0;
    Atom property = None, type = None;
    std::string data;
    size_t offset = 0;
    long deadline = 0;
};
std::vector<Sending> sendings;

long nowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

bool setup() {
    if (helper) return true;
    if (!xs.dpy) return false;
    XSetWindowAttributes a;
    a.event_mask = PropertyChangeMask;
    helper = XCreateWindow(xs.dpy, xs.root, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                           CWEventMask, &a);
    char* names[] = {
        (char*)"PRIMARY",     (char*)"CLIPBOARD",    (char*)"CLIPBOARD_S", (char*)"CLIPBOARD_C",
        (char*)"CLIPBOARD_CS", (char*)"_QUORL_SEL0", (char*)"_QUORL_SEL1", (char*)"_QUORL_SEL2",
        (char*)"_QUORL_SEL3", (char*)"_QUORL_SEL4",  (char*)"TARGETS",     (char*)"MULTIPLE",
        (char*)"TIMESTAMP",   (char*)"TEXT",         (char*)"UTF8_STRING", (char*)"INCR",
        (char*)"ATOM_PAIR",   (char*)"_QUORL_LINES", (char*)"_QUORL_RECT", (char*)"_QUORL_TIME",
    };
    Atom a2[sizeof names / sizeof names[0]];
    XInternAtoms(xs.dpy, names, (int)(sizeof names / sizeof names[0]), False, a2);
    for (int i = 0; i < WSEL_SLOTS; i++) {
        at.sel[i] = a2[i];
        at.prop[i] = a2[WSEL_SLOTS + i];
    }
    Atom* rest = a2 + 2 * WSEL_SLOTS;
    at.targets = rest[0];
    at.multiple = rest[1];
    at.timestamp = rest[2];
    at.text = rest[3];
    at.utf8 = rest[4];
    at.incr = rest[5];
    at.atomPair = rest[6];
    at.lines = rest[7];
    at.rect = rest[8];
    at.timeProp = rest[9];
    return true;
}

int slotOf(Atom selection) {
    for (int i = 0; i < WSEL_SLOTS; i++)
        if (at.sel[i] == selection) return i;
    return -1;
}

Bool isTimeStamp(Display*, XEvent* e, XPointer) {
    return e->type == PropertyNotify && e->xproperty.window == helper &&
           e->xproperty.atom == at.timeProp;
}

// The server's current time: the stamp of a property change made for the purpose.
Time serverTime() {
    unsigned char none = 0;
    XChangeProperty(xs.dpy, helper, at.timeProp, XA_STRING, 8, PropModeAppend, &none, 0);
    XEvent e;
    XIfEvent(xs.dpy, &e, isTimeStamp, nullptr);
    return e.xproperty.time;
}

// One character of UTF-8 at s[i]; false when the bytes there are not well-formed UTF-8.
bool utf8Next(const std::string& s, size_t& i, unsigned& cp) {
    unsigned char c = (unsigned char)s[i];
    int more;
    if (c < 0x80)
        more = 0;
    else if (c >= 0xc2 && c <= 0xdf)
        more = 1;
    else if (c >= 0xe0 && c <= 0xef)
        more = 2;
    else if (c >= 0xf0 && c <= 0xf4)
        more = 3;
    else
        return false;
    if (i + (size_t)more >= s.size()) return false;
    cp = more ? c & (0x3f >> more) : c;
    for (int k = 1; k <= more; k++) {
        unsigned char b = (unsigned char)s[i + (size_t)k];
        if ((b & 0xc0) != 0x80) return false;
        cp = cp << 6 | (b & 0x3f);
    }
    if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10ffff)) ||
        (cp >= 0xd800 && cp <= 0xdfff))
        return false;
    i += (size_t)more + 1;
    return true;
}

// Our text as Latin-1 for STRING: characters beyond Latin-1 become '?'. Text that is not
// UTF-8 is taken to be Latin-1 already. *exact tells whether nothing was replaced.
std::string toLatin1(const std::string& s, bool* exact) {
    std::string out;
    out.reserve(s.size());
    bool same = true;
    for (size_t i = 0; i < s.size();) {
        unsigned cp;
        if (!utf8Next(s, i, cp)) {
            if (exact) *exact = true;
            return s;
        }
        if (cp > 0xff) {
            cp = '?';
            same = false;
        }
        out.push_back((char)cp);
    }
    if (exact) *exact = same;
    return out;
}

std::string fromLatin1(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        if (c < 0x80) {
            out.push_back((char)c);
        } else {
            out.push_back((char)(0xc0 | c >> 6));
            out.push_back((char)(0x80 | (c & 0x3f)));
        }
    }
    return out;
}

// Above this an answer goes in pieces (it would not fit in one request).
size_t incrLimit() {
    long max = XMaxRequestSize(xs.dpy) * 4 - 256;
    return (size_t)std::max(4096L, std::min(max, 256L * 1024));
}

void stopWatching(Window w) {
    if (w == helper) return;
    for (const Sending& s : sendings)
        if (s.requestor == w) return;
    XSelectInput(xs.dpy, w, NoEventMask);
}

bool putData(Window req, Atom prop, Atom type, const std::string& data, bool allowIncr) {
    if (data.size() > incrLimit()) {
        if (!allowIncr) return false;
        // Watch the requestor's property: each deletion asks for the next piece.
        if (req != helper) XSelectInput(xs.dpy, req, PropertyChangeMask);
        sendings.erase(std::remove_if(sendings.begin(), sendings.end(),
                                      [&](const Sending& s) {
                                          return s.requestor == req && s.property == prop;
                                      }),
                       sendings.end());
        long size = (long)std::min(data.size(), (size_t)LONG_MAX);
        XChangeProperty(xs.dpy, req, prop, at.incr, 32, PropModeReplace, (unsigned char*)&size,
                        1);
        Sending s;
        s.requestor = req;
        s.property = prop;
        s.type = type;
        s.data = data;
        s.deadline = nowMs() + sendTimeoutMs;
        sendings.push_back(std::move(s));
        return true;
    }
    XChangeProperty(xs.dpy, req, prop, type, 8, PropModeReplace,
                    (const unsigned char*)data.data(), (int)data.size());
    return true;
}

// Puts the slot's data converted to target on the requestor's property.
bool convertTo(Window req, Atom prop, Atom target, int slot, bool allowIncr) {
    std::string text;
    int type = WSEL_TEXT;
    if (prop == None || !WSelectionOwned(slot, &text, &type)) return false;
    if (target == at.targets) {
        std::vector<Atom> list = {at.targets, at.multiple, at.timestamp, at.utf8, XA_STRING, at.text};
        if (type == WSEL_LINES) list.push_back(at.lines);
        if (type == WSEL_RECT) list.push_back(at.rect);
        XChangeProperty(xs.dpy, req, prop, XA_ATOM, 32, PropModeReplace,
                        (unsigned char*)list.data(), (int)list.size());
        return true;
    }
    if (target == at.timestamp) {
        long t = (long)ownTime[slot];
        XChangeProperty(xs.dpy, req, prop, XA_INTEGER, 32, PropModeReplace, (unsigned char*)&t, 1);
        return true;
    }
    if (target == at.utf8) return putData(req, prop, at.utf8, text, allowIncr);
    if (target == XA_STRING) return putData(req, prop, XA_STRING, toLatin1(text, nullptr), allowIncr);
    if (target == at.text) {
        bool exact = true;
        std::string latin = toLatin1(text, &exact);
        return exact ? putData(req, prop, XA_STRING, latin, allowIncr)
                     : putData(req, prop, at.utf8, text, allowIncr);
    }
    if ((target == at.lines && type == WSEL_LINES) || (target == at.rect && type == WSEL_RECT))
        return putData(req, prop, target, text, allowIncr);
    return false;
}

// MULTIPLE: the property lists (target, property) pairs; a pair we cannot serve gets None.
bool convertMultiple(Window req, Atom prop, int slot) {
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(xs.dpy, req, prop, 0, 1 << 16, False, AnyPropertyType, &type, &format,
                           &n, &after, &data) != Success)
        return false;
    bool ok = data && format == 32 && n % 2 == 0 && n > 0;
    std::vector<long> pairs;
    if (ok) pairs.assign((long*)data, (long*)data + n); // 32-bit items arrive as longs
    if (data) XFree(data);
    if (!ok) return false;
    for (size_t i = 0; i < pairs.size(); i += 2)
        if (!convertTo(req, (Atom)pairs[i + 1], (Atom)pairs[i], slot, false)) pairs[i + 1] = None;
    XChangeProperty(xs.dpy, req, prop, type, 32, PropModeReplace, (unsigned char*)pairs.data(),
                    (int)pairs.size());
    return true;
}

// Hands the answer to every window that asked; it is dispatched like any other event.
void finish(int slot, const std::string& text, int type) {
    Fetch& f = fetches[slot];
    for (unsigned long w : f.windows) {
        WEvent ev;
        if (WSelectionAnswerEvent(w, slot, text, type, &ev)) xs.posted.push_back(ev);
    }
    f = Fetch();
}

void ask(int slot, Atom target) {
    Fetch& f = fetches[slot];
    f.target = target;
    f.incr = false;
    f.data.clear();
    f.deadline = nowMs() + fetchTimeoutMs;
    XConvertSelection(xs.dpy, at.sel[slot], target, at.prop[slot], helper, f.time);
}

// The next thing to ask for when the last target got no answer.
void fallBack(int slot) {
    Atom t = fetches[slot].target;
    if (t == XA_STRING || t == at.text)
        finish(slot, "", WSEL_TEXT);
    else if (t == at.utf8)
        ask(slot, XA_STRING);
    else
        ask(slot, at.utf8);
}

// Takes the property off the helper window: format 8 as bytes, format 32 as words.
bool takeProperty(Atom prop, Atom* type, int* format, std::string* bytes,
                  std::vector<unsigned long>* words) {
    unsigned char* data = nullptr;
    unsigned long n = 0, after = 0;
    if (XGetWindowProperty(xs.dpy, helper, prop, 0, (long)(maxIncoming / 4), True,
                           AnyPropertyType, type, format, &n, &after, &data) != Success)
        return false;
    if (data && *format == 8) bytes->assign((const char*)data, n);
    if (data && *format == 32) words->assign((unsigned long*)data, (unsigned long*)data + n);
    if (data) XFree(data);
    if (after) {
        XDeleteProperty(xs.dpy, helper, prop);
        gen_warning("Selection data larger than %lu MB ignored", (unsigned long)(maxIncoming >> 20));
        return false;
    }
    return true;
}

int typeOfTarget(Atom t) {
    return t == at.lines ? WSEL_LINES : t == at.rect ? WSEL_RECT : WSEL_TEXT;
}

std::string decode(Atom type, const std::string& bytes) {
    return type == XA_STRING ? fromLatin1(bytes) : bytes;
}

void readPiece(int slot) {
    Fetch& f = fetches[slot];
    Atom type = None;
    int format = 0;
    std::string bytes;
    std::vector<unsigned long> words;
    if (!takeProperty(at.prop[slot], &type, &format, &bytes, &words) || format != 8) {
        finish(slot, "", WSEL_TEXT);
        return;
    }
    if (f.incrType == None) f.incrType = type;
    if (bytes.empty()) {
        std::string text = decode(f.incrType, f.data);
        finish(slot, text, typeOfTarget(f.incrType));
        return;
    }
    if (f.data.size() + bytes.size() > maxIncoming) {
        gen_warning("Selection data larger than %lu MB ignored", (unsigned long)(maxIncoming >> 20));
        finish(slot, "", WSEL_TEXT);
        return;
    }
    f.data += bytes;
    f.deadline = nowMs() + fetchTimeoutMs;
}

void sendPiece(size_t i) {
    Sending& s = sendings[i];
    size_t n = std::min(incrLimit(), s.data.size() - s.offset);
    XChangeProperty(xs.dpy, s.requestor, s.property, s.type, 8, PropModeReplace,
                    (const unsigned char*)s.data.data() + s.offset, (int)n);
    s.offset += n;
    s.deadline = nowMs() + sendTimeoutMs;
    if (n == 0) { // the empty piece ends the transfer
        Window w = s.requestor;
        sendings.erase(sendings.begin() + (long)i);
        stopWatching(w);
    }
}

} // namespace

int x11SelectionOwn(int slot, unsigned long time) {
    if (!setup()) return 0;
    Time t = time ? (Time)time : serverTime();
    XSetSelectionOwner(xs.dpy, at.sel[slot], helper, t);
    if (XGetSelectionOwner(xs.dpy, at.sel[slot]) != helper) return 0;
    ownTime[slot] = t;
    return 1;
}

void x11SelectionDisown(int slot) {
    if (!helper) return;
    // With our own time stamp: a newer owner is left alone.
    XSetSelectionOwner(xs.dpy, at.sel[slot], None, ownTime[slot]);
}

int x11SelectionRequest(unsigned long window, int slot, unsigned long time) {
    if (!setup()) return 0;
    Fetch& f = fetches[slot];
    f.windows.push_back(window);
    if (f.active) return 1; // the answer on its way serves this window too
    f.active = true;
    f.time = time ? (Time)time : CurrentTime;
    if (XGetSelectionOwner(xs.dpy, at.sel[slot]) == None) {
        finish(slot, "", WSEL_TEXT);
        return 1;
    }
    ask(slot, at.targets);
    return 1;
}

void x11SelectionAnswer(XSelectionRequestEvent* r) {
    XEvent reply = {};
    XSelectionEvent& n = reply.xselection;
    n.type = SelectionNotify;
    n.display = r->display;
    n.requestor = r->requestor;
    n.selection = r->selection;
    n.target = r->target;
    n.time = r->time;
    n.property = None;
    int slot = helper ? slotOf(r->selection) : -1;
    // Old clients name no property: the target's name serves.
    Atom prop = r->property != None ? r->property : r->target;
    if (slot >= 0 && r->owner == helper && WSelectionOwned(slot, nullptr, nullptr) &&
        (r->time == CurrentTime || r->time >= ownTime[slot])) {
        if (r->target == at.multiple) {
            if (r->property != None && convertMultiple(r->requestor, r->property, slot))
                n.property = r->property;
        } else if (convertTo(r->requestor, prop, r->target, slot, true)) {
            n.property = prop;
        }
    }
    XSendEvent(xs.dpy, r->requestor, False, NoEventMask, &reply);
}

void x11SelectionArrived(XSelectionEvent* n) {
    if (!helper || n->requestor != helper) return;
    int slot = slotOf(n->selection);
    if (slot < 0) return;
    Fetch& f = fetches[slot];
    if (!f.active || f.incr || n->target != f.target) return; // late answer to an older question
    if (n->property == None) {
        fallBack(slot);
        return;
    }
    Atom type = None;
    int format = 0;
    std::string bytes;
    std::vector<unsigned long> words;
    if (!takeProperty(n->property, &type, &format, &bytes, &words)) {
        finish(slot, "", WSEL_TEXT);
        return;
    }
    if (f.target == at.targets) {
        // The best the owner offers: our own kinds first, then UTF-8, then Latin-1.
        Atom best = None;
        for (Atom want : {at.lines, at.rect, at.utf8, XA_STRING, at.text}) {
            if (format == 32 && std::find(words.begin(), words.end(), want) != words.end()) {
                best = want;
                break;
            }
        }
        ask(slot, best != None ? best : at.utf8);
        return;
    }
    if (type == at.incr) {
        // Reading deleted the property: that tells the owner to send the first piece.
        f.incr = true;
        f.incrType = None;
        f.data.clear();
        f.deadline = nowMs() + fetchTimeoutMs;
        return;
    }
    if (format != 8) {
        fallBack(slot);
        return;
    }
    finish(slot, decode(type, bytes), typeOfTarget(type));
}

void x11SelectionCleared(XSelectionClearEvent* c) {
    if (!helper || c->window != helper) return;
    int slot = slotOf(c->selection);
    // A clear that crossed our own newer claim is stale.
    if (slot >= 0 && XGetSelectionOwner(xs.dpy, c->selection) != helper) WSelectionLost(slot);
}

void x11SelectionProperty(XPropertyEvent* p) {
    if (!helper) return;
    if (p->state == PropertyDelete) {
        for (size_t i = 0; i < sendings.size(); i++) {
            if (sendings[i].requestor == p->window && sendings[i].property == p->atom) {
                sendPiece(i);
                return;
            }
        }
        return;
    }
    if (p->window != helper) return;
    for (int slot = 0; slot < WSEL_SLOTS; slot++) {
        if (fetches[slot].active && fetches[slot].incr && p->atom == at.prop[slot]) {
            readPiece(slot);
            return;
        }
    }
}

int x11SelectionTimeouts() {
    long now = nowMs();
    bool any = false;
    for (int slot = 0; slot < WSEL_SLOTS; slot++) {
        if (fetches[slot].active && now >= fetches[slot].deadline) {
            finish(slot, "", WSEL_TEXT);
            any = true;
        }
    }
    for (size_t i = 0; i < sendings.size();) {
        if (now >= sendings[i].deadline) {
            Window w = sendings[i].requestor;
            sendings.erase(sendings.begin() + (long)i);
            stopWatching(w);
        } else {
            i++;
        }
    }
    return any ? 1 : WB_NO_EVENT;
}

int x11SelectionNextDeadline() {
    long next = LONG_MAX;
    for (const Fetch& f : fetches)
        if (f.active) next = std::min(next, f.deadline);
    for (const Sending& s : sendings) next = std::min(next, s.deadline);
    if (next == LONG_MAX) return -1;
    return (int)std::max(0L, std::min(next - nowMs(), (long)INT_MAX));
}

namespace {

Bool isSaveAnswer(Display*, XEvent* e, XPointer arg) {
    return e->type == SelectionNotify && e->xselection.requestor == helper &&
           e->xselection.selection == *(Atom*)arg;
}

Bool isForUs(Display*, XEvent* e, XPointer) {
    return e->type == SelectionRequest ||
           (e->type == PropertyNotify && e->xproperty.state == PropertyDelete);
}

// At exit, a clipboard we own goes to the clipboard manager when one runs: it asks us for
// the data (we keep answering) and then says it is done, or we give up after a few seconds.
void handOverClipboard() {
    if (!helper || !WSelectionOwned(1, nullptr, nullptr) ||
        XGetSelectionOwner(xs.dpy, at.sel[1]) != helper)
        return;
    Atom manager = XInternAtom(xs.dpy, "CLIPBOARD_MANAGER", False);
    if (XGetSelectionOwner(xs.dpy, manager) == None) return;
    Atom save = XInternAtom(xs.dpy, "SAVE_TARGETS", False);
    Atom prop = XInternAtom(xs.dpy, "_QUORL_SAVE", False);
    Atom targets[] = {at.utf8, XA_STRING};
    XChangeProperty(xs.dpy, helper, prop, XA_ATOM, 32, PropModeReplace, (unsigned char*)targets,
                    2);
    XConvertSelection(xs.dpy, manager, save, prop, helper, CurrentTime);
    XFlush(xs.dpy);
    long deadline = nowMs() + 3000;
    XEvent e;
    while (nowMs() < deadline) {
        if (XCheckIfEvent(xs.dpy, &e, isSaveAnswer, (XPointer)&manager)) return;
        if (XCheckIfEvent(xs.dpy, &e, isForUs, nullptr)) {
            if (e.type == SelectionRequest)
                x11SelectionAnswer(&e.xselectionrequest);
            else
                x11SelectionProperty(&e.xproperty);
            continue;
        }
        WWaitInput(ConnectionNumber(xs.dpy), (int)std::max(1L, deadline - nowMs()));
        XPending(xs.dpy);
    }
}

} // namespace

void x11SelectionExit() {
    handOverClipboard();
    if (helper && xs.dpy) XDestroyWindow(xs.dpy, helper);
    helper = 0;
    for (Fetch& f : fetches) f = Fetch();
    sendings.clear();
}

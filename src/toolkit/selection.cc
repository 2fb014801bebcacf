// toolkit/selection.cc: the records of the selections this process owns, shared by both
// backends. A backend only claims, gives up and fetches; the data and the owner live here.
#include "toolkit/selection.h"

#include "toolkit/backend.h"
#include "toolkit/window.h"

namespace {

struct OwnedSlot {
    bool owned = false;
    unsigned long owner = 0; // window id: a destroyed owner leaves a stale id, never a pointer
    std::string text;
    int type = WSEL_TEXT;
};

OwnedSlot owned[WSEL_SLOTS];

const char* const slotNames[WSEL_SLOTS] = {"PRIMARY", "CLIPBOARD", "CLIPBOARD_S", "CLIPBOARD_C",
                                           "CLIPBOARD_CS"};

bool validSlot(int slot) {
    return slot >= 0 && slot < WSEL_SLOTS;
}

int validType(int type) {
    return type == WSEL_LINES || type == WSEL_RECT ? type : WSEL_TEXT;
}

// Queues the lost notice for a window that held the slot, if it still exists.
void postLost(unsigned long window, int slot, int type) {
    WRegistration* r = WFindRegistration(window);
    if (!r || !r->win || !wBackend) return;
    WEvent ev;
    ev.kind = WE_SELECTION;
    ev.window = r->win;
    ev.selNumber = slot;
    ev.selType = type;
    ev.lost = 1;
    wBackend->postEvent(ev);
}

} // namespace

const char* WSelectionName(int slot) {
    return validSlot(slot) ? slotNames[slot] : nullptr;
}

int WSelectionOwn(WWindow* owner, int slot, const std::string& text, int type,
                  unsigned long time) {
    if (!owner || !validSlot(slot) || !wBackend) return 0;
    if (!wBackend->selectionOwn(slot, time)) return 0;
    OwnedSlot& s = owned[slot];
    // Another of our windows held it: the window system sees one owner, so tell it here.
    if (s.owned && s.owner != owner->id) postLost(s.owner, slot, s.type);
    s.owned = true;
    s.owner = owner->id;
    s.text = text;
    s.type = validType(type);
    return 1;
}

void WSelectionDisown(WWindow* owner, int slot) {
    if (!owner || !validSlot(slot)) return;
    OwnedSlot& s = owned[slot];
    if (!s.owned || s.owner != owner->id) return;
    s = OwnedSlot();
    if (wBackend) wBackend->selectionDisown(slot);
}

bool WSelectionOwned(int slot, std::string* text, int* type) {
    if (!validSlot(slot) || !owned[slot].owned) return false;
    if (text) *text = owned[slot].text;
    if (type) *type = owned[slot].type;
    return true;
}

int WSelectionRequest(WWindow* requestor, int slot, unsigned long time) {
    if (!requestor || !validSlot(slot) || !wBackend) return 0;
    return wBackend->selectionRequest(requestor->id, slot, time);
}

void WSelectionLost(int slot) {
    if (!validSlot(slot) || !owned[slot].owned) return;
    OwnedSlot was = owned[slot];
    owned[slot] = OwnedSlot();
    postLost(was.owner, slot, was.type);
}

bool WSelectionAnswerEvent(unsigned long window, int slot, const std::string& text, int type,
                           WEvent* ev) {
    WRegistration* r = WFindRegistration(window);
    if (!r || !r->win || !validSlot(slot)) return false;
    *ev = WEvent();
    ev->kind = WE_SELECTION;
    ev->window = r->win;
    ev->text = text;
    ev->selType = validType(type);
    ev->selNumber = slot;
    return true;
}

void WSelectionReset() {
    for (OwnedSlot& s : owned) s = OwnedSlot();
}

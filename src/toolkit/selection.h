// toolkit/selection.h: the window-system selections as the editor sees them.
// Slot 0 is PRIMARY; slots 1 to 4 are the clipboards "CLIPBOARD", "CLIPBOARD_S",
// "CLIPBOARD_C" and "CLIPBOARD_CS". Each holds a string and a type. The toolkit keeps the
// owned data itself and answers other clients' requests without involving the editor.
#pragma once

#include <string>

struct WWindow;

enum { WSEL_SLOTS = 5 };
enum WSelType { WSEL_TEXT = 1, WSEL_LINES = 3, WSEL_RECT = 4 };

// The X selection name of a slot (null when out of range).
const char* WSelectionName(int slot);

// Makes `owner` the owner of the slot's selection with this data. Returns 0 when the window
// system refused it (the editor then collapses its own selection). The owner later receives a
// WE_SELECTION event with lost = 1 and selNumber = slot when another client takes it over.
int WSelectionOwn(WWindow* owner, int slot, const std::string& text, int type,
                  unsigned long time);
// Gives the slot up when `owner` holds it.
void WSelectionDisown(WWindow* owner, int slot);
// The data of a slot this process owns; false when it owns none there.
bool WSelectionOwned(int slot, std::string* text, int* type);

// Asks for the slot's contents. The answer arrives as a WE_SELECTION event for `requestor`
// with text, selType (a WSelType) and selNumber = slot; an empty text when nobody owns it or
// the owner did not answer in time. Returns 0 when the request could not be made.
int WSelectionRequest(WWindow* requestor, int slot, unsigned long time);

// The set-up dialog in a browser is the page's own form, shown before the
// program starts: what the person chose there is in the settings the program
// reads, so the dialog is answered as a headless run answers it (OK with the
// stored choices).
#include "platform/dialog/dialog_internal.h"

bool RunDialogView(DialogRecord&) { return false; }
void DialogSetViewObserver(DialogViewObserver) {}
bool DialogViewReadPixels(std::vector<std::uint8_t>&, int*, int*) { return false; }

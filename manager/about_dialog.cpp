// The about box: its template holds everything; OK closes it.
#include "manager/about_dialog.h"

#include "manager/manager_ids.h"

AboutDialog::AboutDialog() : ModalDialog(kAboutDialogId) {}

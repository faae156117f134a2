// AboutDialog: the about box (template 100), opened from the system menu.
#pragma once
#include "platform/dialog.h"

class AboutDialog : public ModalDialog {
 public:
  AboutDialog();
};

#pragma once

#include "platform/Controls.h"

#include <QLineEdit>
#include <QPushButton>

// The main window's status labels and browser control. FormPicture creates
// and places them; the subsystems that draw (the slideshow and those above
// it) receive them here.
struct MainLabels {
    platform::Label *whoWeAre = nullptr;     // the credit line
    platform::Label *lCountDown = nullptr;   // the status and countdown line
    platform::Label *lGeneric = nullptr;
    platform::Label *lblMsgUser = nullptr;   // the server's message
    platform::Label *lVersion = nullptr;
    platform::Vb<QLineEdit> *timerflag = nullptr;
    platform::Vb<QPushButton> *HelpCaller = nullptr;
    platform::Vb<QWidget> *webvis = nullptr;   // the browser control: the web engine's view goes in here
};

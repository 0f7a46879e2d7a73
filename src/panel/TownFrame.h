#pragma once

#include "platform/Controls.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

struct PanelContext;

// The home-town form: fourteen values for the "<p01>".."<p14>" placeholders of
// picture addresses and the temperature unit. It stays up, and whoever opened
// it waits, until its OK button is clicked.
class TownFrame : public platform::Vb<QFrame> {
    Q_OBJECT
public:
    static constexpr float kWidth = 6500;
    static constexpr float kHeight = 5000;
    static const char *const kCaption;

    TownFrame(PanelContext &context, QWidget *parent);

    platform::Label *Caption;
    std::array<platform::Vb<QLineEdit> *, 14> PARAM;
    platform::Vb<QRadioButton> *Farenaith;
    platform::Vb<QRadioButton> *Centigradi;
    platform::Vb<QPushButton> *OkYourTown;
    platform::Image *CountryHint;   // its click shows the Tools tab

    void ShowMyTownForm();
    void OkYourTown_Click();
    void CountryHint_Click();

    void setFahrenheit(bool on);

private:
    PanelContext &w;
};

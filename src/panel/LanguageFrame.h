#pragma once

#include "platform/Controls.h"

#include <QGroupBox>
#include <QRadioButton>

struct PanelContext;

// The language frame: one option per language. A click only sets Lingua; the
// routine waiting for the choice picks it up.
class LanguageFrame : public platform::Vb<QGroupBox> {
    Q_OBJECT
public:
    static constexpr float kWidth = 3015;
    static constexpr float kHeight = 2055;

    LanguageFrame(PanelContext &context, QWidget *parent);

    platform::Vb<QRadioButton> *English_01;
    platform::Vb<QRadioButton> *Italian_02;
    platform::Vb<QRadioButton> *French_03;
    platform::Vb<QRadioButton> *Spanish_04;
    platform::Vb<QRadioButton> *Default_Language;   // hidden: lets no visible option be selected

    void English_01_Click();
    void Italian_02_Click();
    void French_03_Click();
    void Spanish_04_Click();

    void selectNone();

private:
    PanelContext &w;
};

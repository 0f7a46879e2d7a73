#include "panel/LanguageFrame.h"

#include "panel/PanelContext.h"

LanguageFrame::LanguageFrame(PanelContext &context, QWidget *parent)
    : platform::Vb<QGroupBox>(QStringLiteral("Frame_Select_Language"), parent,
                              QStringLiteral("Select Language")),
      w(context)
{
    setAutoFillBackground(true);
    Move(0, 0, kWidth, kHeight);

    struct Option {
        platform::Vb<QRadioButton> **button;
        const char *name;
        QString caption;
    };
    const Option options[] = {
        {&English_01, "English_01", QStringLiteral("English")},
        {&Italian_02, "Italian_02", QStringLiteral("Italiano")},
        {&French_03, "French_03", QStringLiteral("Français")},
        {&Spanish_04, "Spanish_04", QStringLiteral("Español")},
        {&Default_Language, "Default_Language", QStringLiteral("Invisible-Default")},
    };
    float top = 360;
    for (const Option &o : options) {
        *o.button = new platform::Vb<QRadioButton>(QString::fromLatin1(o.name), this, o.caption);
        (*o.button)->Move(360, top, kWidth - 600, 315);
        top += 390;
    }
    Default_Language->hide();
    Default_Language->setChecked(true);

    connect(English_01, &QRadioButton::clicked, this, [this] { English_01_Click(); });
    connect(Italian_02, &QRadioButton::clicked, this, [this] { Italian_02_Click(); });
    connect(French_03, &QRadioButton::clicked, this, [this] { French_03_Click(); });
    connect(Spanish_04, &QRadioButton::clicked, this, [this] { Spanish_04_Click(); });
}

void LanguageFrame::English_01_Click() { w.state.Lingua = LinguaEnglish; }
void LanguageFrame::Italian_02_Click() { w.state.Lingua = LinguaItalian; }
void LanguageFrame::French_03_Click() { w.state.Lingua = LinguaFrench; }
void LanguageFrame::Spanish_04_Click() { w.state.Lingua = LinguaSpanish; }

void LanguageFrame::selectNone() { Default_Language->setChecked(true); }

#include "panel/TownFrame.h"

#include "panel/PanelContext.h"
#include "panel/SetupPanel.h"
#include "platform/EventPump.h"
#include "platform/Screen.h"
#include "settings/TownFiles.h"

#include <QFont>

namespace {
constexpr float kRowTop = 600;
constexpr float kRowStep = 420;
constexpr float kColumnWidth = 3120;
constexpr float kNameWidth = 780;
constexpr float kBoxWidth = 1950;
constexpr float kBoxHeight = 315;

// What each value usually holds; the catalogue's addresses decide.
const char *const kValueHints[14] = {
    "Town",   "Town 2", "State", "Country", "Town 3", "Country 2", "Option 1",
    "Option 2", "Option 3", "Option 4", "Option 5", "Option 6", "Option 7", "Option 8",
};
} // namespace

const char *const TownFrame::kCaption =
    "Town - Place - State - Country   File Cirrolith4_Work\\Cirrolith4_MyTown.dat";

TownFrame::TownFrame(PanelContext &context, QWidget *parent)
    : platform::Vb<QFrame>(QStringLiteral("FormYourTown"), parent), w(context)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    Move(0, 0, kWidth, kHeight);

    Caption = new platform::Label(QStringLiteral("FormYourTownCaption"), this);
    Caption->Move(120, 60, kWidth - 240, 480);
    Caption->setWordWrap(true);
    QFont bold = Caption->font();
    bold.setBold(true);
    Caption->setFont(bold);

    for (int i = 0; i < 14; ++i) {
        const float left = 120 + (i / 7) * kColumnWidth;
        const float top = kRowTop + (i % 7) * kRowStep;
        auto *name = new platform::Label(QStringLiteral("PARAMName%1").arg(i), this);
        name->setText(QStringLiteral("<p%1>").arg(i + 1, 2, 10, QLatin1Char('0')));
        name->setToolTip(QString::fromLatin1(kValueHints[i]));
        name->Move(left, top, kNameWidth, kBoxHeight);
        PARAM[i] = new platform::Vb<QLineEdit>(QStringLiteral("PARAM(%1)").arg(i), this);
        PARAM[i]->setToolTip(QString::fromLatin1(kValueHints[i]));
        PARAM[i]->Move(left + kNameWidth, top, kBoxWidth, kBoxHeight);
    }

    CountryHint = new platform::Image(QStringLiteral("CountryHint"), this);
    CountryHint->setText(QStringLiteral("?"));
    CountryHint->setToolTip(QStringLiteral("Country codes: see the Tools tab"));
    CountryHint->setAlignment(Qt::AlignCenter);
    CountryHint->Move(PARAM[3]->Left() + kBoxWidth + 30, PARAM[3]->Top(), 150, kBoxHeight);
    CountryHint->setCursor(Qt::PointingHandCursor);

    const float unitTop = kRowTop + 7 * kRowStep + 60;
    Farenaith = new platform::Vb<QRadioButton>(QStringLiteral("Farenaith"), this,
                                               QStringLiteral("Fahrenheit"));
    Farenaith->Move(120 + kNameWidth, unitTop, 1800, kBoxHeight);
    Centigradi = new platform::Vb<QRadioButton>(QStringLiteral("Centigradi"), this,
                                                QStringLiteral("Celsius"));
    Centigradi->Move(120 + kNameWidth + 1920, unitTop, 1800, kBoxHeight);
    Farenaith->setChecked(true);

    OkYourTown = new platform::Vb<QPushButton>(QStringLiteral("OkYourTown"), this,
                                               QStringLiteral("OK"));
    OkYourTown->Move(kWidth - 120 - 1500, kHeight - 120 - 480, 1500, 480);

    connect(OkYourTown, &QPushButton::clicked, this, [this] { OkYourTown_Click(); });
    connect(CountryHint, &platform::ClickLabel::clicked, this, [this] { CountryHint_Click(); });
}

void TownFrame::setFahrenheit(bool on)
{
    // Both set explicitly: the two options are exclusive.
    (on ? Farenaith : Centigradi)->setChecked(true);
}

void TownFrame::ShowMyTownForm()
{
    w.state.townFormOpen = true;
    Move(static_cast<float>(platform::Screen::widthTwips() / 2 - Width() / 2),
         static_cast<float>(platform::Screen::heightTwips() / 2 - Height() / 2));
    show();
    raise();
    Caption->setText(QString::fromLatin1(kCaption));
    w.townFiles->ReadMyTown();
    while (w.state.townFormOpen) {
        if (platform::EventPump::quitRequested() || w.state.ExitToProgram)
            break;
        platform::EventPump::DoEvents();
        platform::EventPump::Sleep(200);
    }
}

void TownFrame::OkYourTown_Click()
{
    hide();
    w.state.townFormOpen = false;
    w.townFiles->WriteMyTown();
}

void TownFrame::CountryHint_Click() { w.SSTCfg->setCurrentIndex(SetupPanel::TabTools); }

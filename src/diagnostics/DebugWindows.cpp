#include "diagnostics/DebugWindows.h"

#include "diagnostics/DebugText.h"
#include "platform/Screen.h"

#include <QFontDatabase>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>

using platform::Vb;

namespace {

constexpr float kRow = 330;
constexpr float kLine = 285;

int pixels(float twips)
{
    return static_cast<int>(platform::units::roundHalfEven(twips / platform::Screen::twipsPerPixelX()));
}

QFont smallFont(QWidget *w, qreal points)
{
    QFont f = w->font();
    f.setPointSizeF(points);
    return f;
}

// The windows are drawn for a desktop screen. On a small one (a 800 x 480
// touchscreen) the window takes at most the screen's free area and its
// controls scroll inside it, so none of them lies out of reach.
void fitToScreen(QWidget *window, QSize design, QPoint wanted)
{
    auto *canvas = new QWidget;
    canvas->setFixedSize(design);
    for (QWidget *child : window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect place = child->geometry();
        const bool shown = !child->isHidden();
        child->setParent(canvas);
        child->setGeometry(place);
        child->setVisible(shown);
    }
    auto *scroll = new QScrollArea(window);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(canvas);

    QSize size = design;
    QPoint at = wanted;
    if (QScreen *screen = platform::Screen::chosen()) {
        const QRect free = screen->availableGeometry();
        size = design.boundedTo(free.size());
        at.setX(std::clamp(free.left() + wanted.x(), free.left(), free.right() + 1 - size.width()));
        at.setY(std::clamp(free.top() + wanted.y(), free.top(), free.bottom() + 1 - size.height()));
    }
    window->setFixedSize(size);
    scroll->setGeometry(0, 0, size.width(), size.height());
    window->move(at);
}

} // namespace

void CaptionLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setText(shown);
}

DumpBox::DumpBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void DumpBox::setText(const QString &text)
{
    m_text = text;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(shown);
}

void NoteBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

DisplayDebug::DisplayDebug(QWidget *owner)
    : QWidget(owner, Qt::Window), dbDisplay(QStringLiteral("dbDisplay"), 1000, this)
{
    setObjectName(QStringLiteral("DisplayDebug"));
    setWindowTitle(QStringLiteral("DisplayDebug"));
    setFont(smallFont(this, 8));

    Aggiorna = new Vb<QCheckBox>(QStringLiteral("Aggiorna"), this);
    Aggiorna->setText(QStringLiteral("Aggiorna"));
    Aggiorna->setChecked(false);
    Aggiorna->Move(120, 90, 1800, kLine);

    ArrayDebug = new Vb<DumpBox>(QStringLiteral("ArrayDebug"), this);
    ArrayDebug->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ArrayDebug->setText(QStringLiteral("Array Debug"));
    ArrayDebug->Move(120, 420, 5880, 4500);

    Text1 = new Vb<NoteBox>(QStringLiteral("Text1"), this);
    Text1->Move(120, 5040, 5880, 1380);

    labelLst = label(QStringLiteral("labelLst"), QString(), 120, 6540, 5880, 2580);
    labelLst->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    hint(QStringLiteral("Slide shown (url_attuale)"), 6240, 90, 6000, kLine);
    url_attuale = label(QStringLiteral("url_attuale"), QString(), 6240, 390, 6000, kLine);

    float top = 780;
    hint(QStringLiteral("Slide interval, ms"), 6240, top, 2400, kLine);
    ImgTimerValue = box(QStringLiteral("ImgTimerValue"), 8700, top, 1500, kLine);
    top += kRow;
    hint(QStringLiteral("Run control ticks"), 6240, top, 2400, kLine);
    DisplaypanControl_Timer = box(QStringLiteral("DisplaypanControl_Timer"), 8700, top, 1500, kLine);
    top += kRow;
    hint(QStringLiteral("Refresh after (minutes)"), 6240, top, 2400, kLine);
    dbRanVal = label(QStringLiteral("dbRanVal"), QStringLiteral("DB01"), 8700, top, 1500, kLine);
    top += kRow + 60;
    FlagflagCmdButton = button(QStringLiteral("FlagflagCmdButton"), QStringLiteral("FlagflagCmdButton"),
                               6240, top, 2340, kRow);
    DisplayflagCmdButton = box(QStringLiteral("DisplayflagCmdButton"), 8700, top + 20, 1500, kLine);
    top += kRow + 60;
    ViewClockStatus = button(QStringLiteral("ViewClockStatus"), QStringLiteral("ViewClockStatus"), 6240,
                             top, 2340, kRow);
    ValueClockStatus = box(QStringLiteral("ValueClockStatus"), 8700, top + 20, 1500, kLine);

    top = 2700;
    const struct {
        DebugBox **field;
        const char *name;
        const char *caption;
        float width;
    } proxy[] = {{&Proxy_Address, "Proxy_Address", "Proxy Address", 3540},
                 {&Proxy_Port, "Proxy_Port", "Proxy Port", 1500},
                 {&Proxy_Username, "Proxy_Username", "Proxy Username", 3540},
                 {&Proxy_Password, "Proxy_Password", "Proxy Password", 3540}};
    for (const auto &p : proxy) {
        hint(QLatin1String(p.caption), 6240, top, 2340, kLine);
        *p.field = box(QLatin1String(p.name), 8700, top, p.width, kLine);
        top += kRow;
    }
    Proxy_Password->setEchoMode(QLineEdit::Password);
    Proxy_Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));

    top = 4200;
    const struct {
        DebugLabel **fixed;
        const char *fixedName;
        const char *caption;
        DebugLabel **value;
        const char *valueName;
    } metrics[] = {{&Label1, "Label1", "Screen.Width.metric", &Label2, "Label2"},
                   {&Label3, "Label3", "Screen.Height.metric", &Label4, "Label4"},
                   {&Label9, "Label9", "RatioXY.metric", &Label10, "Label10"},
                   {&Label5, "Label5", "whoWeAre.Height, vbHimetric", &Label6, "Label6"},
                   {&Label7, "Label7", "Screen.TwipsPerPixelY", &Label8, "Label8"}};
    for (const auto &m : metrics) {
        *m.fixed = label(QLatin1String(m.fixedName), QLatin1String(m.caption), 6240, top, 2880, kLine);
        *m.value = label(QLatin1String(m.valueName), QString(), 9240, top, 3000, kLine);
        (*m.value)->setFrameShape(QFrame::StyledPanel);
        top += kRow;
    }
    RunCalcolaSchermo = button(QStringLiteral("RunCalcolaSchermo"), QStringLiteral("RunCalcolaSchermo"), 6240,
                               top + 30, 2880, kRow + 60);

    dbSetDwload = button(QStringLiteral("dbSetDwload"), QStringLiteral("setDwLoad"), 6240, 7200, 2880, 420);
    Delete_Help_box = button(QStringLiteral("Delete_Help_box"), QStringLiteral("Delete_Help_box"), 9360, 7200,
                             2880, 420);

    for (DebugLabel *value : {labelLst, url_attuale, dbRanVal})
        value->setFrameShape(QFrame::StyledPanel);

    fitToScreen(this, QSize(pixels(kWidth), pixels(kHeight)), QPoint(40, 40));
    dbDisplay.setEnabled(true);
}

DebugLabel *DisplayDebug::label(const QString &name, const QString &caption, float l, float t, float w, float h)
{
    auto *label = new DebugLabel(name, this);
    label->setCaption(caption);
    label->Move(l, t, w, h);
    return label;
}

DebugBox *DisplayDebug::box(const QString &name, float l, float t, float w, float h)
{
    auto *box = new DebugBox(name, this);
    box->Move(l, t, w, h);
    return box;
}

DebugButton *DisplayDebug::button(const QString &name, const QString &caption, float l, float t, float w,
                                  float h)
{
    auto *button = new DebugButton(name, this);
    button->setText(caption);
    button->Move(l, t, w, h);
    return button;
}

void DisplayDebug::hint(const QString &text, float l, float t, float w, float h)
{
    auto *hint = new platform::Label(QString(), this);
    hint->setText(text);
    hint->Move(l, t, w, h);
}

DisplayDebug2::DisplayDebug2(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("DisplayDebug2"));
    setWindowTitle(QStringLiteral("DisplayDebug2"));

    QFont cardFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    cardFont.setPixelSize(10);
    for (int i = 0; i < diagnostics::kViewerLists; ++i) {
        auto *card = new DebugLabel(QStringLiteral("ListData_txt"), this);
        card->setProperty("Index", i);
        const diagnostics::CardPlace place = diagnostics::cardPlace(i);
        card->Move(place.left, place.top, place.width, place.height);
        card->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        card->setFont(cardFont);
        card->setMargin(1);
        card->setStyleSheet(QStringLiteral("background: #fbfbf4; color: #111; border: 1px solid #556;"));
        card->setCaption(diagnostics::viewerListName(i));
        ListData_txt[i] = card;
    }
    Command_Nascondi = new DebugButton(QStringLiteral("Command_Nascondi"), this);
    Command_Nascondi->setText(QStringLiteral("Nascondi"));
    Command_Nascondi->Move(120, 6300, 1500, 420);
    fitToScreen(this, QSize(pixels(kWidth), pixels(kHeight)), QPoint(60, 120));
}

// Draws the four tabs in each language on a real X server and writes them to
// <build>/screenshots, so the panel can be looked at; checks that every tab
// paints its pictures and that no caption or tab is cut off.
#include "panel/ConnectionFrame.h"
#include "panel/LanguageFrame.h"
#include "panel/PanelLanguage.h"
#include "panel/PanelTestKit.h"
#include "panel/TownFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QSet>
#include <QTabBar>
#include <QToolButton>

namespace {

class Screenshots : public PanelForm {
protected:
    void SetUp() override
    {
        PanelForm::SetUp();
        fillCatalogue({"SAT Europe infrared", "RADAR Alps composite", "CHART Atlantic pressure",
                       "WEBCAM Naples harbour", "SAT Americas visible", "RADAR Benelux rain",
                       "CHART Mediterranean wind", "WEBCAM Courmayeur slopes", "SAT Africa dust",
                       "RADAR Iberia storms", "CHART Arctic ice"});
        select({0, 2, 3, 7});
        form->running.setOwnPicture(root.path() + QStringLiteral("/Data/Mont Blanc.jpg"));
        form->setGeometry(0, 0, 1920, 1080);
        form->show();
        panel().show();
        panel().raise();
        outDir = qEnvironmentVariable("CIRROLITH_BUILD_DIR") + QStringLiteral("/screenshots");
        QDir().mkpath(outDir);
    }
    QString outDir;
};

// Distinct colours in a coarse sample: a painted page has many, a blank one few.
int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y) & 0xF0F0F0);
    return colours.size();
}

} // namespace

TEST_F(Screenshots, EveryTabInEveryLanguage)
{
    const char *const languages[] = {"en", "it", "fr", "es"};
    const char *const tabs[] = {"timers", "pictures", "runexit", "tools"};
    for (int lingua = 1; lingua <= 4; ++lingua) {
        form->Lingua = static_cast<std::int16_t>(lingua);
        ApplyLanguage(*form->SSTCfg, *form, form->Lingua);
        form->ShowDisplayModeName();
        for (int tab = 0; tab < 4; ++tab) {
            panel().setCurrentIndex(tab);
            QApplication::processEvents();
            const QImage shot = panel().grab().toImage();
            EXPECT_EQ(shot.size(), panel().size());
            EXPECT_GT(colourCount(shot), 40) << languages[lingua - 1] << " " << tabs[tab];
            const QString file = QStringLiteral("%1/panel_%2_%3.png")
                                     .arg(outDir, QLatin1String(languages[lingua - 1]),
                                          QLatin1String(tabs[tab]));
            EXPECT_TRUE(shot.save(file)) << file.toStdString();

            // The four tabs fit the strip: no scroll arrows, no tab cut at the edge.
            QTabBar *strip = panel().tabBar();
            EXPECT_LE(strip->sizeHint().width(), strip->width()) << languages[lingua - 1];
            for (QToolButton *arrow : strip->findChildren<QToolButton *>())
                EXPECT_FALSE(arrow->isVisible()) << "scroll arrows in " << languages[lingua - 1];
            for (int t = 0; t < strip->count(); ++t) {
                EXPECT_LE(strip->tabRect(t).right(), strip->width()) << languages[lingua - 1] << " tab " << t;
                const QFontMetrics fm(strip->font());
                EXPECT_LT(fm.horizontalAdvance(strip->tabText(t)), strip->tabRect(t).width())
                    << languages[lingua - 1] << " tab " << t;
            }

            // Captions wrap inside their box; none needs more height than it has.
            for (QLabel *label : panel().page(tab)->findChildren<QLabel *>()) {
                if (!label->isVisibleTo(&panel()) || label->text().isEmpty() || !label->pixmap().isNull())
                    continue;
                const int needed = label->wordWrap()
                                       ? label->heightForWidth(label->width())
                                       : label->sizeHint().height();
                EXPECT_LE(needed, label->height() + 1)
                    << label->objectName().toStdString() << " in " << languages[lingua - 1];
                if (!label->wordWrap()) {
                    EXPECT_LE(label->sizeHint().width(), label->width() + 2)
                        << label->objectName().toStdString() << " in " << languages[lingua - 1];
                }
            }
        }
    }
}

// The three first-run questions, as the README shows them; their captions fit
// in every language.
TEST_F(Screenshots, FirstRunQuestionsInEveryLanguage)
{
    panel().hide();
    const char *const languages[] = {"en", "it", "fr", "es"};
    for (int lingua = 1; lingua <= 4; ++lingua) {
        form->Lingua = static_cast<std::int16_t>(lingua);
        ApplyLanguage(*form->SSTCfg, *form, form->Lingua);
        const std::pair<QWidget *, const char *> frames[] = {{form->Frame_Select_Language, "language"},
                                                             {form->Frame_Select_Connection, "connection"},
                                                             {form->FormYourTown, "town"}};
        for (const auto &[frame, name] : frames) {
            frame->move(200, 100);
            frame->show();
            frame->raise();
            QApplication::processEvents();
            const QImage shot = frame->grab().toImage();
            EXPECT_GT(colourCount(shot), 3) << name;
            if (lingua == 1) {
                EXPECT_TRUE(shot.save(QStringLiteral("%1/first_run_%2.png").arg(outDir, QLatin1String(name))));
            }
            for (QWidget *child : frame->findChildren<QWidget *>()) {
                if (!child->isVisibleTo(frame))
                    continue;
                QString text;
                if (auto *b = qobject_cast<QAbstractButton *>(child))
                    text = b->text();
                else if (auto *l = qobject_cast<QLabel *>(child); l && !l->wordWrap() && l->pixmap().isNull())
                    text = l->text();
                if (text.isEmpty())
                    continue;
                EXPECT_LE(child->sizeHint().width(), child->width() + 2)
                    << name << " " << child->objectName().toStdString() << " \"" << text.toStdString()
                    << "\" in " << languages[lingua - 1];
            }
            frame->hide();
        }
    }
}

// Draws the four tabs in each language on a real X server and writes them to
// <build>/screenshots, so the panel can be looked at; checks that every tab
// paints its pictures and that no caption is cut off.
#include "language/Language.h"
#include "panel/PanelTestKit.h"
#include "panel/ConnectionFrame.h"
#include "panel/LanguageFrame.h"
#include "panel/TownFrame.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QSet>

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
        panel().SSTCfg_LblinserisciImg->setText(root.path() + QStringLiteral("/Data/Mont Blanc.jpg"));
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
        ApplyLanguage(*form);
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

// The questions of a first run, for the user guide: each frame paints its
// options.
TEST_F(Screenshots, FirstRunQuestions)
{
    panel().hide();
    const struct {
        QWidget *frame;
        const char *file;
    } frames[] = {{form->Frame_Select_Language, "first_language"},
                  {form->Frame_Select_Connection, "first_connection"},
                  {form->FormYourTown, "first_town"}};
    for (const auto &f : frames) {
        f.frame->move(40, 40);
        f.frame->show();
        f.frame->raise();
        QApplication::processEvents();
        const QImage shot = f.frame->grab().toImage();
        EXPECT_GT(colourCount(shot), 8) << f.file;
        EXPECT_TRUE(shot.save(QStringLiteral("%1/%2.png").arg(outDir, QLatin1String(f.file))));
        f.frame->hide();
    }
}

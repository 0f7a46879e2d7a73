#include "core/CommandLine.h"
#include "core/FormPicture.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cirrolith"));

    FormPicture form({QCoreApplication::applicationDirPath(),
                      commandLineText(QCoreApplication::arguments())});
    if (!form.Form_Load())
        return 1;
    form.showCoveringScreen();
    return app.exec();
}

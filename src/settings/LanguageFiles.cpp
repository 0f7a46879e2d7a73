#include "settings/LanguageFiles.h"

#include "core/FormPicture.h"
#include "language/Language.h"
#include "panel/LanguageFrame.h"
#include "panel/SetupPanel.h"
#include "platform/EventPump.h"
#include "platform/TextFile.h"

namespace tf = platform::textfile;

QByteArray formatLanguageFile(std::int16_t lingua)
{
    return " " + QByteArray::number(lingua);
}

std::optional<std::int16_t> parseLanguageFile(const QByteArray &bytes)
{
    bool ok = false;
    const int value = bytes.trimmed().toInt(&ok);
    if (!ok || value < LinguaEnglish || value > LinguaSpanish)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

QString LanguageFiles::languagePath() const
{
    return w.workDirPrefix + QLatin1String(kLanguageFileName);
}

void LanguageFiles::LoadLanguage()
{
    // A damaged file counts as missing: the user is asked again.
    if (!ReadLanguageFile()) {
        AskLanguage();
        ReadLanguageFile();
    }
    ApplyLanguage(w);
    w.helpFile = w.appPath + QStringLiteral("/Cirrolith.html");
}

void LanguageFiles::AskLanguage()
{
    LanguageFrame &frame = *w.Frame_Select_Language;
    frame.Move(w.SSTCfg->Left() - 250, w.SSTCfg->Top() - 250);
    frame.show();
    frame.raise();
    w.show();
    while (w.Lingua == LinguaNotChosen) {
        if (platform::EventPump::quitRequested() || w.ExitToProgram)
            break;
        platform::EventPump::Sleep(200);
    }
    frame.hide();
    if (w.Lingua != LinguaNotChosen)
        WriteLanguageFile();
}

bool LanguageFiles::ReadLanguageFile()
{
    const auto bytes = tf::readAll(languagePath());
    const auto lingua = bytes ? parseLanguageFile(*bytes) : std::nullopt;
    if (!lingua)
        return false;
    w.Lingua = *lingua;
    return true;
}

void LanguageFiles::WriteLanguageFile()
{
    if (w.restartPending)   // a confirmed reset removed it for good
        return;
    tf::writeIfChanged(languagePath(), formatLanguageFile(w.Lingua));
}

void LanguageFiles::ChangeLanguage()
{
    w.Frame_Select_Language->selectNone();
    w.Lingua = LinguaNotChosen;
    AskLanguage();
    ReadLanguageFile();
    ApplyLanguage(w);
    LoadLanguage();
}

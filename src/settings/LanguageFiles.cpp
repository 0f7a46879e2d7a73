#include "settings/LanguageFiles.h"

#include "platform/EventPump.h"
#include "platform/TextFile.h"
#include "state/AppState.h"

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
    return s.workDirPrefix + QLatin1String(kLanguageFileName);
}

void LanguageFiles::LoadLanguage()
{
    // A damaged file counts as missing: the user is asked again.
    if (!ReadLanguageFile()) {
        AskLanguage();
        ReadLanguageFile();
    }
    hooks.applyLanguage();
    s.helpFile = s.appPath + QStringLiteral("/Cirrolith.html");
}

void LanguageFiles::AskLanguage()
{
    hooks.showLanguageQuestion();
    while (s.Lingua == LinguaNotChosen) {
        if (platform::EventPump::quitRequested() || s.ExitToProgram)
            break;
        platform::EventPump::Sleep(200);
    }
    hooks.hideLanguageQuestion();
    if (s.Lingua != LinguaNotChosen)
        WriteLanguageFile();
}

bool LanguageFiles::ReadLanguageFile()
{
    const auto bytes = tf::readAll(languagePath());
    const auto lingua = bytes ? parseLanguageFile(*bytes) : std::nullopt;
    if (!lingua)
        return false;
    s.Lingua = *lingua;
    return true;
}

void LanguageFiles::WriteLanguageFile()
{
    if (s.restartPending)   // a confirmed reset removed it for good
        return;
    tf::writeIfChanged(languagePath(), formatLanguageFile(s.Lingua));
}

void LanguageFiles::ChangeLanguage()
{
    hooks.clearLanguageAnswer();
    s.Lingua = LinguaNotChosen;
    AskLanguage();
    ReadLanguageFile();
    hooks.applyLanguage();
    LoadLanguage();
}

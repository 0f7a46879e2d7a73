#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

class FormPicture;

// "Cirrolith4_Language.dat": the language code as a blank and one digit, no
// line end.
inline constexpr const char *kLanguageFileName = "Cirrolith4_Language.dat";

QByteArray formatLanguageFile(std::int16_t lingua);

// The language code the file holds: 1..4, blanks and a line end around it
// allowed. Anything else is a damaged file.
std::optional<std::int16_t> parseLanguageFile(const QByteArray &bytes);

// The user's language: asked on the first run (and again from the panel),
// kept in the language file.
class LanguageFiles {
public:
    explicit LanguageFiles(FormPicture &form) : w(form) {}

    void LoadLanguage();
    void AskLanguage();
    // False when the file is missing or damaged; Lingua is left as it was then.
    bool ReadLanguageFile();
    void WriteLanguageFile();
    // The Language icon of the panel: asks again and applies the answer.
    void ChangeLanguage();

    QString languagePath() const;

private:
    FormPicture &w;
};

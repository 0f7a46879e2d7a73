#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct AppState;

// "Cirrolith4_Language.dat": the language code as a blank and one digit, no
// line end.
inline constexpr const char *kLanguageFileName = "Cirrolith4_Language.dat";

QByteArray formatLanguageFile(std::int16_t lingua);

// The language code the file holds: 1..4, blanks and a line end around it
// allowed. Anything else is a damaged file.
std::optional<std::int16_t> parseLanguageFile(const QByteArray &bytes);

// What asking for the language needs of the window above it.
struct LanguageHooks {
    // Puts the language question up near the panel, in front, with the main
    // window shown.
    std::function<void()> showLanguageQuestion;
    // Takes the language question down.
    std::function<void()> hideLanguageQuestion;
    // Clears the answer the question shows, so it is asked afresh.
    std::function<void()> clearLanguageAnswer;
    // Puts the captions of the chosen language on the window and the panel.
    std::function<void()> applyLanguage;
};

// The user's language: asked on the first run (and again from the panel),
// kept in the language file.
class LanguageFiles {
public:
    explicit LanguageFiles(AppState &state) : s(state) {}

    void LoadLanguage();
    void AskLanguage();
    // False when the file is missing or damaged; Lingua is left as it was then.
    bool ReadLanguageFile();
    void WriteLanguageFile();
    // The Language icon of the panel: asks again and applies the answer.
    void ChangeLanguage();

    QString languagePath() const;

    LanguageHooks hooks;

private:
    AppState &s;
};

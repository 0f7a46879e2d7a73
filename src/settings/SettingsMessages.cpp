#include "settings/SettingsMessages.h"

#include <array>

namespace {

struct TimerTexts {
    const char *title;
    const char *downloadNotNumeric;
    const char *downloadTooSmall;
    const char *slideNotNumeric;
    const char *slideTooSmall;
};

// Indexed by language code - 1: English, Italian, French, Spanish. The texts
// are the program's own, typing included.
constexpr std::array<TimerTexts, 4> kTimerTexts = {{
    {"Warning!", "Invalid Download Time.", "Download Timer too small.",
     "Slide Show Timer not valid.", "Slide Show Timer too small."},
    {"Attenzione!", "Tempo Download non valido.", "Tempo Download troppo corto.",
     "Timer Slide Show non valido.", "Timer Slde Show troppo corto."},
    {"Attention !", "Intervalle de téléchargement invalide.",
     "Intervalle de téléchargement trop court.", "Intervalle entre les images invalide.",
     "Intervalle entre les images trop court."},
    {"Atención!", "Intervalo Descargue no vadeo.", "Intervalo Descargue demasiado corto.",
     "Temporizador Slide Espectáculo no vadea.", "Temporizador Slde Espectáculo demasiado corto."},
}};

constexpr std::array<const char *, 4> kWriteFailure = {
    "ERROR WRITING CONFIGURATION FILES!",
    "ERRORE DURANTE LA SCRITTURA DEL FILE DI CONFIGURAZIONE!",
    "ERREUR D'ÉCRITURE SUR LES FICHIERS DE CONFIGURATION!",
    "ERROR DURANTE LA ESCRITURA DEL EXPEDIENTE DE CONFIGURACIÓN!",
};

bool known(int lingua) { return lingua >= 1 && lingua <= 4; }

} // namespace

std::optional<LocalizedMessage> timerMessage(TimerProblem problem, int lingua)
{
    if (!known(lingua))
        return std::nullopt;
    const TimerTexts &t = kTimerTexts[lingua - 1];
    const char *text = nullptr;
    switch (problem) {
    case TimerProblem::DownloadNotNumeric: text = t.downloadNotNumeric; break;
    case TimerProblem::DownloadTooSmall: text = t.downloadTooSmall; break;
    case TimerProblem::SlideNotNumeric: text = t.slideNotNumeric; break;
    case TimerProblem::SlideTooSmall: text = t.slideTooSmall; break;
    }
    return LocalizedMessage{QString::fromUtf8(t.title), QString::fromUtf8(text)};
}

std::optional<QString> configWriteFailureMessage(int lingua)
{
    if (!known(lingua))
        return std::nullopt;
    return QString::fromUtf8(kWriteFailure[lingua - 1]);
}

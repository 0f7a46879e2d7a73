#include "catalogue/ConnectionMessages.h"

namespace {
std::optional<QString> pick(int lingua, const char *en, const char *it, const char *fr,
                            const char *es)
{
    switch (lingua) {
    case 1: return QString::fromUtf8(en);
    case 2: return QString::fromUtf8(it);
    case 3: return QString::fromUtf8(fr);
    case 4: return QString::fromUtf8(es);
    default: return std::nullopt;
    }
}
} // namespace

std::optional<QString> waitingMessage(int lingua)
{
    return pick(lingua, "Waiting for Internet connection (have to be active!).....",
                "Attesa di connessione ad Internet (deve essere attiva).....",
                "Attente de la connexion à Internet (doit être active !).....",
                "Espera de conexión a Internet (tiene que ser activa!).....");
}

std::optional<QString> retryMessage(int lingua)
{
    return pick(lingua, "Waiting Internet Connection......??????",
                "Attesa di connessione ad Internet.....??????",
                "Attente de la connexion à Internet......??????",
                "Espera de conexión a Internet.....??????");
}

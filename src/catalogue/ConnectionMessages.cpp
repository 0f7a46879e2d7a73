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

std::optional<QString> unavailableMessage(int lingua, const QString &clockTime)
{
    const auto text = pick(lingua, "Catalogue server unavailable - asking again at %1",
                           "Server del catalogo non disponibile - nuovo tentativo alle %1",
                           "Serveur du catalogue indisponible - nouvel essai à %1",
                           "Servidor del catálogo no disponible - nuevo intento a las %1");
    if (!text)
        return std::nullopt;
    return text->arg(clockTime);
}

#include "language/Language.h"

#include <array>

namespace language {

namespace {

// One text per language, in code order: English, Italian, French, Spanish.
using Texts = std::array<const char *, 4>;

struct Row {
    std::initializer_list<const char *> controls;
    Texts texts;
};

bool known(int lingua) { return lingua >= 1 && lingua <= 4; }

const std::array<Texts, 4> kTabs = {{
    {"Display Timers", "Timer Diapositive", "Intervalle d'affichage", "Temporizador Pictures"},
    {"Picture   Selection", "Scelta   Immagini", "Choix des images", "Selección Imaginas "},
    {"Run / Exit", "Avvio Termina", "Démarrer arrêter", "Inicio Fin"},
    {"Tools - Language", "Tools - Lingua", "Outils - Language", "Utensilio Idioma"},
}};

const Row kLabels[] = {
    {{"TextTools", "TextTool1", "TextTool2", "TextTool3", "TextTool4", "TextTool5"},
     {"Tools", "Tools", "Outils", "Utensilio"}},
    {{"SSTCfg_salvaConfig2"},
     {"Save Configur.", "Salva Configur.", "Enregistr. configurat.", "Recordar Impostac."}},
    {{"IcoSwapSST02"},
     {"Display Timers", "Timer Diapositive", "Intervalle d'affichage", "Timer Diapositive"}},
    {{"TextDisplayTimers", "TextDisplayTimers0", "TextDisplayTimers1", "TextDisplayTimers3"},
     {"Display Timer", "Timer Diapositive", "Intervalle-affichage", "Temporiz. Imaginas"}},
    {{"SSTCfg_Aggiorna2"},
     {"Slide Show Img. Timer", "Timer Diapositive", "Intervalle d'affichage", "Temporiz. Imaginas"}},
    {{"textSeconds"}, {"(seconds)", "(secondi)", "(secondes)", "(segundo)"}},
    {{"SSTCfg_Download2"},
     {"Download Img. Times", "Tempo Riconnessione", "Intervalle connexion", "Temporiz. Conexión "}},
    {{"TextMinuts"}, {"(minuts)", "(minuti)", "(minutes)", "(minuto)"}},
    {{"dyMode2"},
     {"Display Picture Mode", "Modo Visualizz.", "Mode d'affichage", "Modos visualización"}},
    {{"SSTCfg_cmdConferma2"},
     {"Start Slide Show", "Inizia Sequenza", "Lancer diaporama ", "Inicia Proyección"}},
    {{"IcoSwapSST22", "TextPictureSelection", "TextPictureSelection0", "TextPictureSelection1",
      "TextPictureSelection3"},
     {"Picture Selection", "Scelta Immagini", "Choix des images", "Selección Imágenes"}},
    {{"IcoSwapSST32", "TextRunExit", "TextRunExit0", "TextRunExit1", "TextRunExit3"},
     {"Run - Exit", "Avvio Termina", "Démarrer arrêter", "Inicio Finir"}},
    {{"IcoHelpTools2"},
     {"Help TeamViewer", "Help TeamViewer", "Aide TeamViewer", "Ayudante TeamViewer"}},
    {{"helpEsegui2", "helpImg2", "helpTime2"}, {"Help", "Help", "Aide", "Ayudante"}},
    {{"SSTCfg_ExitProgram2"},
     {"Quit Program", "Termina Programma", "Quitter programme", "Concluir programa"}},
    {{"nwxStatusBar2"}, {"About", "About", "About", "Detalle"}},
    {{"Cleanup2"},
     {"Cleanup Config.", "Reset Configuraz.", "Cleanup Configurat.", "Cancelar configurac."}},
    {{"SSTCfg_FileUser2"},
     {"Add Owner Image", "Immagi. Personale", "Ajout Image personnali.", "Imaginas Personale"}},
    {{"SSTCfg_resetUserImg2"},
     {"Remove Own. Img.", "Elimina Imm. Pers.", "Enlever Image pers.", "Eliminar Imm. Pers."}},
    {{"SSTCfg_Backupconf"},
     {"Backup Collection", "Salva Collection", "Backup Collection", "Backup Colección ."}},
    {{"SSTCfg_Loadconf"},
     {"Load_File Collection", "Carica Collection", "Load_File Collection", "Load_File Colección "}},
    {{"Label11"},
     {"Unselect All Pictures", "Deseleziona Tutte Immagini", "Unselect All Pictures",
      "Unselect All Pictures"}},
};

const Row kTooltips[] = {
    {{"btWait"}, {"Wait...\"", "Attendere...\"", "Veuillez patienter...\"", "Esperar...\""}},
    {{"btSetup"}, {"Configuration", "Configurazione", "Configuration", "Configuración"}},
    {{"btTermina"}, {"Quit", "Termina", "Quitter", "Acaba"}},
    {{"btHelp"}, {"Help", "Help", "Aide", "Ayudante"}},
    {{"ImageDisconnesso"},
     {"Connection Broken", "Connessione Interrotta", "Connexion coupée", "Conexión Interrumpida"}},
    {{"ImageConnesso"},
     {"Connection Active", "Connessione Attiva", "Connexion activê", "Conexión Activa"}},
};

struct Help {
    const char *title;
    bool blankLine;
    std::initializer_list<const char *> items;
};

const std::array<Help, 4> kDisplayTimersHelp = {{
    {"DISPLAY TIMERS", true, {"_Download Images Timer", "_Slide Show Timer", "_Display Mode"}},
    {"DISPLAY TIMERS",
     true,
     {"_Tempo Ricarica Immagini", "_Tempo Proiezione Immagini", "_Modo Visualizz. Immagini"}},
    {"Intervalle d'affichage",
     true,
     {"_Intervalle de téléchargement", "_Intervalle entre les images", "_Mode d'affichage"}},
    {"Proyección Temporizador",
     true,
     {"_Tiempo Recarga Imágenes", "_Tiempo Proyección Imágenes", "_Modo Visualizz. Imágenes"}},
}};

const std::array<Help, 4> kRunExitHelp = {{
    {"RUN EXIT:",
     true,
     {"_Start Slide Show", "_Save Configuration", "_Quit Program", "_Status Bar Info"}},
    {"ESEGUI ESCI:",
     false,
     {"_Inizia Proiezione Immagini", "_Salva tutte le Impostazioni", "_Esci dal programma.",
      "_Visualizza informazioni barra"}},
    {"DÉMARRER ARRÊTER:",
     true,
     {"_Lancer le diaporama", "_Sauvegarder Configuration", "_Quitter le programme",
      "_Informations de la barre d'état"}},
    {"EJECUTAS SALES:",
     false,
     {"_Inicia Proyección Imaginas", "_Salva todas las Impostaciones", "_Sales del programa.",
      "_Visualiza informaciones barra"}},
}};

const std::array<Help, 4> kToolsTip = {{
    {"TOOLS AVAILABLE:",
     true,
     {"_Display Timers: select your preferred slide show time and connection to download new "
      "images.",
      "_Picture Selection: select Image to display from database.",
      "_Run-Exit: Start slide show or exit from program."}},
    {"TOOLS DISPONIBILI:",
     true,
     {"_Display Timers: imposta tempi per connessione, aggiornamento, velocità e modo di "
      "visualizzazione.",
      "_Picture Selection: selezione di quali immagini visualizzare",
      "_Run-Exit: Encamina visualización o salida por el programa"}},
    {"OUTILS:",
     true,
     {"_Intervalle d'affichage : choisissez l'intervalle de temps entre deux images du diaporama "
      "et l'intervalle de téléchargement.",
      "_Choix des images : sélectionnez les images à afficher à partir de la base de données.",
      "_Démarrer-arrêter : lancer le diaporama ou quitter le programme."}},
    {"Regulación Disponible:",
     true,
     {"_Visual. Temporz.: impuesto tiempos por conexión, puesta al día, velocidad' y modo de "
      "visualización.",
      "_Imaginas Selección: selección de cuál imaginas visualizar",
      "_Inicio-Fin: Inicio visualización o bien acabar programa"}},
}};

std::vector<Caption> captions(const Row *begin, const Row *end, int lingua)
{
    std::vector<Caption> out;
    if (!known(lingua))
        return out;
    for (const Row *r = begin; r != end; ++r) {
        Caption c;
        for (const char *name : r->controls)
            c.controls << QString::fromLatin1(name);
        c.text = QString::fromUtf8(r->texts[lingua - 1]);
        out.push_back(std::move(c));
    }
    return out;
}

std::optional<QString> help(const std::array<Help, 4> &table, int lingua)
{
    if (!known(lingua))
        return std::nullopt;
    const Help &h = table[lingua - 1];
    QStringList lines{QString::fromUtf8(h.title)};
    if (h.blankLine)
        lines << QStringLiteral(" ");
    for (const char *item : h.items)
        lines << QString::fromUtf8(item);
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

std::optional<QStringList> tabCaptions(int lingua)
{
    if (!known(lingua))
        return std::nullopt;
    QStringList out;
    for (const Texts &t : kTabs)
        out << QString::fromUtf8(t[lingua - 1]);
    return out;
}

std::vector<Caption> labelCaptions(int lingua)
{
    return captions(std::begin(kLabels), std::end(kLabels), lingua);
}

std::vector<Caption> tooltips(int lingua)
{
    return captions(std::begin(kTooltips), std::end(kTooltips), lingua);
}

QString clearListCaption(int lingua)
{
    return lingua == 2 ? QStringLiteral("Deseleziona Tutte Immagini")
                       : QStringLiteral("Unselect All Pictures");
}

std::optional<QString> displayTimersHelp(int lingua) { return help(kDisplayTimersHelp, lingua); }
std::optional<QString> runExitHelp(int lingua) { return help(kRunExitHelp, lingua); }
std::optional<QString> toolsTip(int lingua) { return help(kToolsTip, lingua); }

} // namespace language

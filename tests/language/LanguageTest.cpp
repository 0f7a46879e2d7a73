#include "language/Language.h"
#include "panel/PanelLanguage.h"
#include "panel/PanelTestKit.h"

#include <QLabel>

#include <array>

namespace {

// name, English, Italian, French, Spanish
struct Expected {
    const char *name;
    std::array<const char *, 4> text;
};

const Expected kCaptions[] = {
    {"TextTools", {"Tools", "Tools", "Outils", "Utensilio"}},
    {"TextTool1", {"Tools", "Tools", "Outils", "Utensilio"}},
    {"TextTool2", {"Tools", "Tools", "Outils", "Utensilio"}},
    {"TextTool3", {"Tools", "Tools", "Outils", "Utensilio"}},
    {"TextTool4", {"Tools", "Tools", "Outils", "Utensilio"}},
    {"TextTool5", {"Tools", "Tools", "Outils", "Utensilio"}},
    {"SSTCfg_salvaConfig2", {"Save Configur.", "Salva Configur.", "Enregistr. configurat.", "Recordar Impostac."}},
    {"IcoSwapSST02", {"Display Timers", "Timer Diapositive", "Intervalle d'affichage", "Timer Diapositive"}},
    {"TextDisplayTimers", {"Display Timer", "Timer Diapositive", "Intervalle-affichage", "Temporiz. Imaginas"}},
    {"TextDisplayTimers0", {"Display Timer", "Timer Diapositive", "Intervalle-affichage", "Temporiz. Imaginas"}},
    {"TextDisplayTimers1", {"Display Timer", "Timer Diapositive", "Intervalle-affichage", "Temporiz. Imaginas"}},
    {"TextDisplayTimers3", {"Display Timer", "Timer Diapositive", "Intervalle-affichage", "Temporiz. Imaginas"}},
    {"SSTCfg_Aggiorna2", {"Slide Show Img. Timer", "Timer Diapositive", "Intervalle d'affichage", "Temporiz. Imaginas"}},
    {"textSeconds", {"(seconds)", "(secondi)", "(secondes)", "(segundo)"}},
    {"SSTCfg_Download2", {"Download Img. Times", "Tempo Riconnessione", "Intervalle connexion", "Temporiz. Conexión "}},
    {"TextMinuts", {"(minuts)", "(minuti)", "(minutes)", "(minuto)"}},
    {"dyMode2", {"Display Picture Mode", "Modo Visualizz.", "Mode d'affichage", "Modos visualización"}},
    {"SSTCfg_cmdConferma2", {"Start Slide Show", "Inizia Sequenza", "Lancer diaporama ", "Inicia Proyección"}},
    {"IcoSwapSST22", {"Picture Selection", "Scelta Immagini", "Choix des images", "Selección Imágenes"}},
    {"TextPictureSelection", {"Picture Selection", "Scelta Immagini", "Choix des images", "Selección Imágenes"}},
    {"TextPictureSelection0", {"Picture Selection", "Scelta Immagini", "Choix des images", "Selección Imágenes"}},
    {"TextPictureSelection1", {"Picture Selection", "Scelta Immagini", "Choix des images", "Selección Imágenes"}},
    {"TextPictureSelection3", {"Picture Selection", "Scelta Immagini", "Choix des images", "Selección Imágenes"}},
    {"IcoSwapSST32", {"Run - Exit", "Avvio Termina", "Démarrer arrêter", "Inicio Finir"}},
    {"TextRunExit", {"Run - Exit", "Avvio Termina", "Démarrer arrêter", "Inicio Finir"}},
    {"TextRunExit0", {"Run - Exit", "Avvio Termina", "Démarrer arrêter", "Inicio Finir"}},
    {"TextRunExit1", {"Run - Exit", "Avvio Termina", "Démarrer arrêter", "Inicio Finir"}},
    {"TextRunExit3", {"Run - Exit", "Avvio Termina", "Démarrer arrêter", "Inicio Finir"}},
    {"IcoHelpTools2", {"Help TeamViewer", "Help TeamViewer", "Aide TeamViewer", "Ayudante TeamViewer"}},
    {"helpEsegui2", {"Help", "Help", "Aide", "Ayudante"}},
    {"helpImg2", {"Help", "Help", "Aide", "Ayudante"}},
    {"helpTime2", {"Help", "Help", "Aide", "Ayudante"}},
    {"SSTCfg_ExitProgram2", {"Quit Program", "Termina Programma", "Quitter programme", "Concluir programa"}},
    {"nwxStatusBar2", {"About", "About", "About", "Detalle"}},
    {"Cleanup2", {"Cleanup Config.", "Reset Configuraz.", "Cleanup Configurat.", "Cancelar configurac."}},
    {"SSTCfg_FileUser2", {"Add Owner Image", "Immagi. Personale", "Ajout Image personnali.", "Imaginas Personale"}},
    {"SSTCfg_resetUserImg2", {"Remove Own. Img.", "Elimina Imm. Pers.", "Enlever Image pers.", "Eliminar Imm. Pers."}},
    {"SSTCfg_Backupconf", {"Backup Collection", "Salva Collection", "Backup Collection", "Backup Colección ."}},
    {"SSTCfg_Loadconf", {"Load_File Collection", "Carica Collection", "Load_File Collection", "Load_File Colección "}},
    {"Label11", {"Unselect All Pictures", "Deseleziona Tutte Immagini", "Unselect All Pictures", "Unselect All Pictures"}},
};

const Expected kTooltips[] = {
    {"btWait", {"Wait...\"", "Attendere...\"", "Veuillez patienter...\"", "Esperar...\""}},
    {"btSetup", {"Configuration", "Configurazione", "Configuration", "Configuración"}},
    {"btTermina", {"Quit", "Termina", "Quitter", "Acaba"}},
    {"btHelp", {"Help", "Help", "Aide", "Ayudante"}},
    {"ImageDisconnesso", {"Connection Broken", "Connessione Interrotta", "Connexion coupée", "Conexión Interrumpida"}},
    {"ImageConnesso", {"Connection Active", "Connessione Attiva", "Connexion activê", "Conexión Activa"}},
};

const std::array<std::array<const char *, 4>, 4> kTabs = {{
    {"Display Timers", "Picture   Selection", "Run / Exit", "Tools - Language"},
    {"Timer Diapositive", "Scelta   Immagini", "Avvio Termina", "Tools - Lingua"},
    {"Intervalle d'affichage", "Choix des images", "Démarrer arrêter", "Outils - Language"},
    {"Temporizador Pictures", "Selección Imaginas ", "Inicio Fin", "Utensilio Idioma"},
}};

// Help texts as the boxes hold them, per language.
const std::array<const char *, 4> kDisplayHelp = {
    "DISPLAY TIMERS\r\n \r\n_Download Images Timer\r\n_Slide Show Timer\r\n_Display Mode",
    "DISPLAY TIMERS\r\n \r\n_Tempo Ricarica Immagini\r\n_Tempo Proiezione Immagini\r\n_Modo Visualizz. Immagini",
    "Intervalle d'affichage\r\n \r\n_Intervalle de téléchargement\r\n_Intervalle entre les images\r\n_Mode d'affichage",
    "Proyección Temporizador\r\n \r\n_Tiempo Recarga Imágenes\r\n_Tiempo Proyección Imágenes\r\n_Modo Visualizz. Imágenes",
};
const std::array<const char *, 4> kRunExitHelp = {
    "RUN EXIT:\r\n \r\n_Start Slide Show\r\n_Save Configuration\r\n_Quit Program\r\n_Status Bar Info",
    "ESEGUI ESCI:\r\n_Inizia Proiezione Immagini\r\n_Salva tutte le Impostazioni\r\n_Esci dal programma.\r\n"
    "_Visualizza informazioni barra",
    "DÉMARRER ARRÊTER:\r\n \r\n_Lancer le diaporama\r\n_Sauvegarder Configuration\r\n_Quitter le programme\r\n"
    "_Informations de la barre d'état",
    "EJECUTAS SALES:\r\n_Inicia Proyección Imaginas\r\n_Salva todas las Impostaciones\r\n_Sales del programa.\r\n"
    "_Visualiza informaciones barra",
};
const std::array<const char *, 4> kToolsTip = {
    "TOOLS AVAILABLE:\r\n \r\n_Display Timers: select your preferred slide show time and connection to download "
    "new images.\r\n_Picture Selection: select Image to display from database.\r\n_Run-Exit: Start slide show or "
    "exit from program.",
    "TOOLS DISPONIBILI:\r\n \r\n_Display Timers: imposta tempi per connessione, aggiornamento, velocità e modo di "
    "visualizzazione.\r\n_Picture Selection: selezione di quali immagini visualizzare\r\n_Run-Exit: Encamina "
    "visualización o salida por el programa",
    "OUTILS:\r\n \r\n_Intervalle d'affichage : choisissez l'intervalle de temps entre deux images du diaporama et "
    "l'intervalle de téléchargement.\r\n_Choix des images : sélectionnez les images à afficher à partir de la base "
    "de données.\r\n_Démarrer-arrêter : lancer le diaporama ou quitter le programme.",
    "Regulación Disponible:\r\n \r\n_Visual. Temporz.: impuesto tiempos por conexión, puesta al día, velocidad' y "
    "modo de visualización.\r\n_Imaginas Selección: selección de cuál imaginas visualizar\r\n_Inicio-Fin: Inicio "
    "visualización o bien acabar programa",
};

class Language : public PanelForm {
protected:
    void apply(int lingua)
    {
        form->Lingua = static_cast<std::int16_t>(lingua);
        ApplyLanguage(*form->SSTCfg, *form, form->Lingua);
    }

    // Every table entry shows the text of language index l (0 English .. 3 Spanish).
    void expectLanguage(int l, bool helpToo = true)
    {
        for (const Expected &e : kCaptions) {
            auto *label = form->findChild<QLabel *>(QLatin1String(e.name));
            ASSERT_NE(label, nullptr) << e.name;
            EXPECT_EQ(label->text(), QString::fromUtf8(e.text[l])) << e.name << " language " << l + 1;
        }
        for (const Expected &e : kTooltips) {
            auto *w = form->findChild<QWidget *>(QLatin1String(e.name));
            ASSERT_NE(w, nullptr) << e.name;
            EXPECT_EQ(w->toolTip(), QString::fromUtf8(e.text[l])) << e.name << " language " << l + 1;
        }
        for (int tab = 0; tab < 4; ++tab)
            EXPECT_EQ(panel().tabText(tab), QString::fromUtf8(kTabs[l][tab])) << "tab " << tab;
        if (!helpToo)
            return;
        EXPECT_EQ(panel().Box_Help_Display_Timer->text(), QString::fromUtf8(kDisplayHelp[l]));
        EXPECT_EQ(panel().Box_Help_Run_Exit->text(), QString::fromUtf8(kRunExitHelp[l]));
        EXPECT_EQ(panel().LeftTipText->text(), QString::fromUtf8(kToolsTip[l]));
    }
};

} // namespace

TEST_F(Language, EachLanguageSetsEveryCaptionTooltipAndHelpText)
{
    for (int lingua : {1, 2, 3, 4}) {
        panel().setCurrentIndex(SetupPanel::TabPictureSelection);
        apply(lingua);
        expectLanguage(lingua - 1);
        EXPECT_EQ(panel().currentIndex(), SetupPanel::TabTools) << "left on the last tab captioned";
    }
}

TEST_F(Language, EnglishAfterSpanishReplacesEverythingAndLeavesOtherCaptions)
{
    const QString language = panel().LabelLanguage->text();
    const QString town = panel().YourTownLbl->text();
    apply(4);
    apply(1);
    expectLanguage(0);
    EXPECT_EQ(panel().LabelLanguage->text(), language);
    EXPECT_EQ(panel().YourTownLbl->text(), town);
}

TEST_F(Language, NoLanguageChosenOnlyResetsTheClearListCaption)
{
    apply(4);
    panel().setCurrentIndex(SetupPanel::TabRunExit);
    apply(999);
    EXPECT_EQ(panel().Label11->text(), "Unselect All Pictures");
    EXPECT_EQ(panel().currentIndex(), SetupPanel::TabRunExit);
    // Everything else keeps the Spanish of before, help texts included.
    panel().Label11->setText(QString::fromUtf8(kCaptions[std::size(kCaptions) - 1].text[3]));
    expectLanguage(3);
}

TEST_F(Language, HelpTextsAloneFollowTheLanguageWithoutTouchingCaptions)
{
    apply(1);
    form->Lingua = 2;
    ApplyHelpTexts(*form->SSTCfg, form->Lingua);
    EXPECT_EQ(panel().Label11->text(), "Deseleziona Tutte Immagini");
    EXPECT_EQ(panel().Box_Help_Run_Exit->text(), QString::fromUtf8(kRunExitHelp[1]));
    EXPECT_EQ(panel().LeftTipText->text(), QString::fromUtf8(kToolsTip[1]));
    EXPECT_EQ(panel().SSTCfg_cmdConferma2->text(), "Start Slide Show");
    EXPECT_EQ(panel().tabText(0), "Display Timers");
}

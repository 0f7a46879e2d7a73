#include "core/FormPicture.h"

#include "catalogue/Catalogue.h"
#include "collections/Collections.h"
#include "diagnostics/Diagnostics.h"
#include "panel/ConnectionFrame.h"
#include "panel/HelpActions.h"
#include "panel/LanguageFrame.h"
#include "panel/PanelLanguage.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "settings/LanguageFiles.h"
#include "settings/ProxyFiles.h"
#include "settings/TownFiles.h"

// The settings files, the language, the collections and the diagnostic
// windows know nothing of the window: what they ask of it is answered here.
void FormPicture::wireSettings()
{
    settings.diagnostics = diagnostics.get();
    settings.hooks.showCreditLine = [this](const QString &text) { whoWeAre->setText(text); };
    settings.hooks.showDisplayModeName = [this] { ShowDisplayModeName(); };
    settings.hooks.lockSaving = [this] {
        SetupPanel &p = *SSTCfg;
        p.SSTCfg_salvaConfig->setEnabled(false);
        p.SSTCfg_salvaConfig2->setEnabled(false);
        p.SSTCfg_cmdConferma->setEnabled(false);
        p.SSTCfg_ExitProgram->setEnabled(false);
    };
    settings.hooks.unlockRunning = [this] {
        SSTCfg->SSTCfg_cmdConferma->setEnabled(true);
        SSTCfg->SSTCfg_ExitProgram->setEnabled(true);
    };

    languageFiles->hooks.showLanguageQuestion = [this] {
        LanguageFrame &frame = *Frame_Select_Language;
        frame.Move(SSTCfg->Left() - 250, SSTCfg->Top() - 250);
        frame.show();
        frame.raise();
        show();
    };
    languageFiles->hooks.hideLanguageQuestion = [this] { Frame_Select_Language->hide(); };
    languageFiles->hooks.clearLanguageAnswer = [this] { Frame_Select_Language->selectNone(); };
    languageFiles->hooks.applyLanguage = [this] { ApplyLanguage(*SSTCfg, *this, Lingua); };

    proxyFiles->diagnostics = diagnostics.get();
    proxyFiles->hooks.showProxyFields = [this](const ProxyFileContent &content) {
        ConnectionFrame &frame = *Frame_Select_Connection;
        if (content.address)
            frame.Proxy_Address->setText(*content.address);
        if (content.port)
            frame.Proxy_Port->setText(*content.port);
        if (content.username)
            frame.Proxy_Username->setText(*content.username);
        if (content.password)
            frame.Proxy_Password->setText(*content.password);
        frame.selectOption(content.enabled);
    };
    proxyFiles->hooks.typedProxyFields = [this] {
        const ConnectionFrame &frame = *Frame_Select_Connection;
        ProxyFields fields;
        fields.address = frame.Proxy_Address->text();
        fields.port = frame.Proxy_Port->text();
        fields.username = frame.Proxy_Username->text();
        fields.password = frame.Proxy_Password->text();
        return fields;
    };
    proxyFiles->hooks.askConnectionType = [this] { return catalogue->AskConnectionType(); };

    townFiles->hooks.askTown = [this] { FormYourTown->ShowMyTownForm(); };
    townFiles->hooks.showTownValues = [this](const QStringList &values) {
        for (int i = 0; i < values.size(); ++i)
            FormYourTown->PARAM[i]->setText(values[i]);
    };
    townFiles->hooks.showFahrenheit = [this](bool on) { FormYourTown->setFahrenheit(on); };
    townFiles->hooks.typedTown = [this] {
        TownAnswer answer;
        for (int i = 0; i < kTownValues; ++i)
            answer.values[i] = FormYourTown->PARAM[i]->text();
        answer.fahrenheit = FormYourTown->Farenaith->isChecked();
        return answer;
    };

    collections->hooks.showSaveProgress = [this] { SSTCfg->ShowSaveProgress(); };
    collections->hooks.showWaitIcon = [this] {
        SSTCfg->Wait_Ico->show();
        SSTCfg->Wait_Ico->raise();
    };
    collections->hooks.hideWaitIcon = [this] { SSTCfg->Wait_Ico->hide(); };
    collections->hooks.showRunExitPage = [this] { SSTCfg->setCurrentIndex(SetupPanel::TabRunExit); };
    QObject::connect(SSTCfg->SSTCfg_BackUpcnf, &platform::ClickLabel::clicked, this,
                     [this] { collections->SSTCfg_BackUpcnf_Click(); });
    QObject::connect(SSTCfg->SSTCfg_Loadcnf, &platform::ClickLabel::clicked, this,
                     [this] { collections->SSTCfg_Loadcnf_Click(); });

    diagnostics->hooks.openOnlineHelp = [this] { help->OpenOnlineHelp(); };
    diagnostics->hooks.applyLanguage = [this] { ApplyLanguage(*SSTCfg, *this, Lingua); };
}

#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>

class FormPicture;

// Saving the panel's selection as a collection file and loading one back.
class Collections {
public:
    explicit Collections(FormPicture &form);

    void SSTCfg_BackUpcnf_Click();
    void SSTCfg_Loadcnf_Click();
    void LoadCollection();

    // The time a save is stamped with.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    void selectCodes(const QStringList &codes);
    void saveAndReload();

    FormPicture &w;
    QObject m_connections;   // ends the handlers' connections with this object
};

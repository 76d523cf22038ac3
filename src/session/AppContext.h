#pragma once

#include "Operator.h"
#include "Rights.h"

#include <QString>

// What the whole run shares: the settings read at start, the shop, and the
// operator who signed in. Filled at start-up and sign-in; afterwards only
// ReceiptPort changes.
struct AppContext
{
    QString OperatorName;
    QString DbKind;          // "a" embedded, "s" server
    QString ConnectionText;  // the connection text actually used
    QString ShopName;
    QString ShopTel;
    QString ShopAddress;
    QString SoftName;
    QString AboutMemo;
    QString TelText;
    QString WebText;
    QString CompanyText;
    QString ReceiptPreview;  // "1" preview, "0" print directly
    QString ReceiptPort;
    ::Rights Rights;
    // The folder of the executable: system.ini, the SQLite file, help.chm.
    QString ProgramDir;

    // The signed-in operator, as rule classes receive it.
    Operator signedIn() const { return {OperatorName, Rights}; }
};

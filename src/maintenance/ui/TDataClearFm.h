#pragma once

#include "maintenance/DataClearing.h"

#include <QDialog>
#include <QHash>

class QCheckBox;
struct Session;

// "数据初始化": empties the ticked kinds of business records after the
// clearing password and a confirmation.
class TDataClearFm : public QDialog
{
    Q_OBJECT

public:
    explicit TDataClearFm(Session &session, QWidget *parent = nullptr);

    QCheckBox *box(DataClearing::Records records) const { return m_boxes.value(records); }

public slots:
    void clearChosen();

private:
    Session &m_session;
    QHash<DataClearing::Records, QCheckBox *> m_boxes;
};

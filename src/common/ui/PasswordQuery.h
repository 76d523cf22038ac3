#pragma once

#include <QChar>
#include <QInputDialog>
#include <QString>

class QLineEdit;

// The password box shown before the goods import and the data clearing:
// a fixed-size dialog centred on the screen, titled with the caption, the
// prompt (wrapped when long) above one entry of at most 255 characters
// that shows `mask` for every character typed. The entry starts with the
// default text, selected. "OK" (the default button, Enter) confirms;
// "Cancel" (Esc) does not, and the text stays the default.
class PasswordQuery : public QInputDialog
{
    Q_OBJECT

public:
    struct Answer
    {
        bool confirmed = false;
        QString text;
    };

    PasswordQuery(const QString &caption, const QString &prompt, const QString &defaultText,
                  QChar mask, QWidget *parent = nullptr);

    // Shows the box until it is answered.
    Answer ask();
    QLineEdit *entry() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_defaultText;
};

#pragma once

#include "lists/SearchBar.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// The boxes of a described search bar, as a list window shows them above
// its grid: field box, value box, the range's days and times, the tick
// lists and the buttons. Enter in the value box presses the search button.
class SearchBarWidget : public QWidget
{
    Q_OBJECT

public:
    SearchBarWidget(SearchBar description, QDate today, QWidget *parent = nullptr);

    const SearchBar &description() const { return m_description; }
    // What the boxes hold now.
    SearchBar::Input input() const;
    // The boxes back to how the bar opened, with the range's days from today.
    void reset(QDate today);

    // Null where the description has no such box.
    QComboBox *fieldBox() const { return m_field; }
    QLineEdit *valueBox() const { return m_value; }
    QCheckBox *rangeTick() const { return m_rangeTick; }
    QDateEdit *firstDate() const { return m_firstDate; }
    QTimeEdit *firstTime() const { return m_firstTime; }
    QDateEdit *lastDate() const { return m_lastDate; }
    QTimeEdit *lastTime() const { return m_lastTime; }
    QCheckBox *timeTick() const { return m_timeTick; }
    QCheckBox *tickBox(int list) const { return m_ticks.value(list); }
    QComboBox *tickChoice(int list) const { return m_choices.value(list); }
    QPushButton *button(const QString &id) const;
    // Places a widget after the buttons.
    void addBesideButtons(QWidget *widget);

signals:
    // A button of the bar was pressed, or Enter in the value box.
    void pressed(const QString &id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addField(QHBoxLayout *row);
    void addRange(QHBoxLayout *row);
    void addTickLists(QHBoxLayout *row);
    void addButtons(QHBoxLayout *row);
    void enableBoxes();

    SearchBar m_description;
    QComboBox *m_field = nullptr;
    QLineEdit *m_value = nullptr;
    QCheckBox *m_rangeTick = nullptr;
    QDateEdit *m_firstDate = nullptr;
    QTimeEdit *m_firstTime = nullptr;
    QDateEdit *m_lastDate = nullptr;
    QTimeEdit *m_lastTime = nullptr;
    QCheckBox *m_timeTick = nullptr;
    QList<QCheckBox *> m_ticks;
    QList<QComboBox *> m_choices;
    QList<QPushButton *> m_buttons;
    QHBoxLayout *m_buttonLine = nullptr;
};

#pragma once

#include "goods/GoodsCatalogue.h"
#include "orders/ConsumptionBooking.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <optional>

class QCheckBox;
class QEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QObject;
class QPushButton;
class QTableWidget;
struct Session;

// 消费: books what the customer on one occupied plate consumes, lists the
// plate's lines, edits its deposit and leads on to checkout. The plate is
// fixed when the window is made; every line is written at once.
class TAddConsumeFm : public QDialog
{
    Q_OBJECT

public:
    TAddConsumeFm(Session &session, const QString &plate, QWidget *parent = nullptr);

    // The window was ended by "结帐": checkout is to open for this plate.
    bool checkoutRequested() const { return m_checkoutRequested; }
    QString plate() const { return m_plate; }

    QLabel *plateLabel() const { return m_plateValue; }
    QLabel *mainPlateLabel() const { return m_mainValue; }
    QLabel *depositLabel() const { return m_depositValue; }
    QLabel *depositCaption() const { return m_depositCaption; }
    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *codeEdit() const { return m_code; }
    QLineEdit *quantityEdit() const { return m_quantity; }
    QCheckBox *negativeBox() const { return m_negative; }
    QLabel *signedQuantityLabel() const { return m_signed; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *checkoutButton() const { return m_checkout; }
    QPushButton *closeButton() const { return m_close; }
    QListWidget *typeList() const { return m_types; }
    QTableWidget *goodsGrid() const { return m_goods; }
    QTableWidget *linesGrid() const { return m_lines; }

public slots:
    // Books one line of the current goods row with the quantity typed.
    void addLine();
    void searchByName();
    // Adds a line at once when the code is found.
    void searchByCode();
    void showType(QListWidgetItem *item);
    void editDeposit();
    void requestCheckout();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void connectKeys();
    void showHeader();
    void showGoods(const QList<GoodsCatalogue::Item> &items);
    void showGoodsRow(int row);
    void showLines();
    void reloadAllGoods();
    void showSignedQuantity();
    // Asks who serves the line; false when the operator left the chooser
    // without one (取消, Esc or closing it), which drops the line.
    bool chooseEmployee(std::optional<ConsumptionBooking::Employee> &employee);

    Session &m_session;
    QString m_plate;
    ConsumptionBooking m_booking;
    QList<GoodsCatalogue::Item> m_items; // the goods grid's rows
    bool m_checkoutRequested = false;

    QLabel *m_plateValue;
    QLabel *m_mainValue;
    QLabel *m_depositCaption;
    QLabel *m_depositValue;
    QLineEdit *m_name;
    QLineEdit *m_code;
    QLineEdit *m_quantity;
    QCheckBox *m_negative;
    QLabel *m_signed;
    QPushButton *m_add;
    QListWidget *m_types;
    QTableWidget *m_goods;
    QTableWidget *m_lines;
    QPushButton *m_checkout;
    QPushButton *m_close;
};

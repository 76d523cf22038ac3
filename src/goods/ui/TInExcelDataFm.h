#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
struct Session;

// "Excel导入": reads a workbook's titles (list A) beside the catalogue
// columns they must match (list B), and after the password imports its
// rows into 商品库, listing the sheet rows that failed. The workbook is
// read straight from its file; no spreadsheet program is needed.
class TInExcelDataFm : public QDialog
{
    Q_OBJECT

public:
    explicit TInExcelDataFm(Session &session, QWidget *parent = nullptr);

    QListWidget *excelTitles() const { return m_excelTitles; }
    QListWidget *fieldNames() const { return m_fieldNames; }
    QPlainTextEdit *failedRows() const { return m_failedRows; }
    QLabel *rowCountLine() const { return m_rowCount; }
    QLabel *columnCountLine() const { return m_columnCount; }
    QLabel *timeLine() const { return m_time; }
    QCheckBox *autoNumber() const { return m_autoNumber; }
    QProgressBar *progress() const { return m_progress; }
    QPushButton *chooseButton() const { return m_choose; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *clearButton() const { return m_clear; }
    QPushButton *quitButton() const { return m_quit; }

public slots:
    // "选择Excel"
    void chooseWorkbook();
    // "开始导入"
    void startImport();
    // "清空list"
    void clearLists();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Session &m_session;
    QString m_file;
    QListWidget *m_excelTitles;
    QListWidget *m_fieldNames;
    QPlainTextEdit *m_failedRows;
    QLabel *m_rowCount;
    QLabel *m_columnCount;
    QLabel *m_time;
    QCheckBox *m_autoNumber;
    QProgressBar *m_progress;
    QPushButton *m_choose;
    QPushButton *m_import;
    QPushButton *m_clear;
    QPushButton *m_quit;
};

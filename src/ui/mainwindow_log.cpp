// The window's log page: the form's buttons and the callers by name reach the page here.
#include "mainwindow.h"

#include "logpage.h"

int MainWindow::addRowToTableWidget(QTableView *tableWidget, cell *bafe)
{
    return logPage->addRow(tableWidget, bafe);
}

void MainWindow::exportToCSV(QTableView *tableWidget, const QString &filePath)
{
    logPage->exportTo(tableWidget, filePath);
}

void MainWindow::on_data_export_clicked()
{
    logPage->exportLog();
}

void MainWindow::on_data_clean_clicked()
{
    logPage->clear();
}

void MainWindow::on_btn_log_clicked()
{
    logPage->switchLogging();
}

void MainWindow::on_data_record_change_clicked()
{
    logPage->changeRecordingsFolder();
}

void MainWindow::on_data_record_folder_clicked()
{
    logPage->openRecordingsFolder();
}

QString MainWindow::recordingsFolder() const
{
    return LogPage::recordingsFolder();
}

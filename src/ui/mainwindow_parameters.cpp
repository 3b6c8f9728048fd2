// The window's parameter pages: writes with range checks, device commands and the read-back of
// the parameter block (code 0x52).
#include "mainwindow.h"

#include "commandcodes.h"
#include "frame.h"
#include "globals.h"
#include "messages.h"
#include "parameterblock.h"
#include "parametertable.h"
#include "switchbutton.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QLineEdit>

namespace {

constexpr int ReadLampMs = 2000;

// Marks the field as the check found it; a refused value is selected, so the next keystroke
// replaces it, and the user is told why.
bool showInputCheck(QWidget *parent, QLineEdit *lineEdit, const ParameterTable::Check &check,
                    int min, int max)
{
    switch (check.outcome) {
    case ParameterTable::Check::NotANumber:
        lineEdit->setStyleSheet(QLatin1String(ParameterTable::NotANumberStyle));
        lineEdit->selectAll();
        Messages::critical(parent, ParameterTable::notANumberTitle(),
                           ParameterTable::notANumberText());
        return false;
    case ParameterTable::Check::OutOfRange:
        lineEdit->setStyleSheet(QLatin1String(ParameterTable::OutOfRangeStyle));
        lineEdit->selectAll();
        Messages::warning(parent, ParameterTable::outOfRangeTitle(),
                          ParameterTable::outOfRangeText(min, max));
        return false;
    case ParameterTable::Check::Accepted:
        break;
    }
    lineEdit->setStyleSheet(QLatin1String(ParameterTable::NeutralStyle));
    lineEdit->deselect();
    return true;
}

} // namespace

void MainWindow::resolveParameterPages()
{
    // The rows and the block name their widgets; a name the form lacks is a programming error,
    // reported once here rather than at every click or reply.
    const QVector<ParameterTable::Row> &rows = ParameterTable::rows();
    parameterRowEdits.clear();
    parameterRowEdits.reserve(rows.size());
    for (const ParameterTable::Row &row : rows) {
        auto *edit = findChild<QLineEdit *>(QLatin1String(row.lineEdit));
        if (!edit)
            qWarning() << "parameter row without its field:" << row.lineEdit;
        parameterRowEdits.append(edit);
    }

    // The decoder writes its widgets in a fixed order, whatever the block holds.
    const QVector<ParameterBlock::Field> layout = ParameterBlock::decode({}, {});
    parameterBlockWidgets.clear();
    parameterBlockWidgets.reserve(layout.size());
    for (const ParameterBlock::Field &field : layout) {
        const QLatin1String name(field.widget);
        QWidget *widget = field.kind == ParameterBlock::Field::Switch
            ? static_cast<QWidget *>(findChild<SwitchButton *>(name))
            : findChild<QLineEdit *>(name);
        if (!widget)
            qWarning() << "parameter block field without its widget:" << field.widget;
        parameterBlockWidgets.append(widget);
    }
}

void MainWindow::SendData(uint16_t data, QByteArray target)
{
    // A frame held back while the port is closed would go out at the next open, maybe minutes
    // later and to another pack, after the user was told it was not sent. Protection limits must
    // not arrive like that: refuse, and let the user press again once connected.
    if (!serialPort->isOpen()) {
        Messages::warning(this, tr("错误"), tr("串口未打开，请先打开串口。"));
        return;
    }
    sendQueuebak.enqueue(Frame::writeFrame(target, data));
}

bool MainWindow::CheckINPUT(QLineEdit *lin, int max, int min)
{
    if (!lin)
        return false;
    return showInputCheck(this, lin, ParameterTable::checkInput(lin->text(), min, max, 0), min,
                          max);
}

void MainWindow::handleButtonClicked(const QByteArray &initialStr, QLineEdit *lineEdit,
                                     int checkInputArgmax, int checkInputArgmin, uint16_t offset)
{
    if (!lineEdit)
        return;
    // The range applies to the typed value, the offset only to what is sent.
    const ParameterTable::Check check =
        ParameterTable::checkInput(lineEdit->text(), checkInputArgmin, checkInputArgmax, offset);
    if (!showInputCheck(this, lineEdit, check, checkInputArgmin, checkInputArgmax))
        return;
    SendData(check.value, Frame::withAddress(initialStr, ui->DeviceID->value()));
}

void MainWindow::handleButtonRequestClicked(const QByteArray &initialStr, uint16_t key)
{
    SendData(key, Frame::withAddress(initialStr, ui->DeviceID->value()));
}

void MainWindow::writeParameterRow(const char *slot)
{
    const ParameterTable::Row *row = ParameterTable::findBySlot(QLatin1String(slot));
    if (!row) {
        qWarning() << "no parameter row for" << slot;
        return;
    }
    QLineEdit *edit = parameterRowEdits.value(int(row - ParameterTable::rows().constData()));
    handleButtonClicked(row->prefix, edit, row->max, row->min, row->offset);
}

void MainWindow::sendDeviceCommand(const char *slot)
{
    for (const ParameterTable::Command &command : ParameterTable::commands()) {
        if (qstrcmp(command.slot, slot) == 0) {
            handleButtonRequestClicked(command.prefix, command.value);
            return;
        }
    }
    qWarning() << "no device command for" << slot;
}

// One slot per row, so the form's buttons connect by name and each can be invoked by name; the
// row itself (field, prefix, range, offset) is looked up in the parameter table.
#define ARVEX_PARAMETER_ROW(slot)                                                                  \
    void MainWindow::slot()                                                                        \
    {                                                                                              \
        writeParameterRow(#slot);                                                                  \
    }
#define ARVEX_DEVICE_COMMAND(slot)                                                                 \
    void MainWindow::slot()                                                                        \
    {                                                                                              \
        sendDeviceCommand(#slot);                                                                  \
    }

ARVEX_PARAMETER_ROW(on_conf_chgc_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_chgct_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsgc1_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsgc2_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsgc1t_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsgc2t_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_lv_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_lvre_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_lvt_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_hv_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_hvre_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_hvt_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_chght_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_chghtre_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_chglt_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_chgltre_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsght_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsghtre_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsglt_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsgltre_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_blancev_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_blancevx_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_vxp_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_totalcell_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_design_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_rs_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_short_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_shorttime_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dnum_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_cax_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_chght_alert_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_chglt_alert_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_vpgine_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsght_alert_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_dsglt_alert_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_getmod_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_initsoc_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_initafe_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_reset_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_debug_btn_clicked)
ARVEX_PARAMETER_ROW(on_conf_avlp_btn_2_clicked)
ARVEX_PARAMETER_ROW(on_conf_avlpre_btn_2_clicked)
ARVEX_PARAMETER_ROW(on_conf_avhp_btn_2_clicked)
ARVEX_PARAMETER_ROW(on_conf_avhpre_btn_2_clicked)
ARVEX_DEVICE_COMMAND(on_btn_init_para_clicked)
ARVEX_DEVICE_COMMAND(on_btn_init_soc_clicked)
ARVEX_DEVICE_COMMAND(on_btn_reset_clicked)
ARVEX_DEVICE_COMMAND(on_btn_mes_clicked)

#undef ARVEX_PARAMETER_ROW
#undef ARVEX_DEVICE_COMMAND

void MainWindow::on_conf_read_clicked()
{
    // No CRC on a read request; it takes the place of the next poll.
    sendQueuebak.enqueue(Frame::readRequest(ui->DeviceID->value(), Cmd::ReadParameters));
    ui->statu_read->setPixmap(lampOff);
}

void MainWindow::showParameterReply(const Frame::ReplyCheck &reply)
{
    setupStatusSwitcher(ui->statu_read, lampOn, lampOff, ReadLampMs);

    const QVector<ParameterBlock::Field> fields =
        ParameterBlock::decode(reply.addressText(), reply.dataBlock());
    const int count = qMin(fields.size(), parameterBlockWidgets.size());
    for (int i = 0; i < count; ++i) {
        const ParameterBlock::Field &field = fields.at(i);
        QWidget *widget = parameterBlockWidgets.at(i);
        if (!widget)
            continue;
        // Resolved by the same kind, so the casts hold.
        if (field.kind == ParameterBlock::Field::Switch) {
            // Nothing listens to these switches: setting them sends nothing.
            static_cast<SwitchButton *>(widget)->SetActive(field.on);
        } else {
            auto *edit = static_cast<QLineEdit *>(widget);
            edit->setText(field.text);
            if (field.resetStyle)
                restoreLineEditStyle(edit);
        }
    }
}

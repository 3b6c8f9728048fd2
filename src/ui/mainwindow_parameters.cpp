// The window's parameter pages: the form's buttons and the callers by name reach the page here.
#include "mainwindow.h"

#include "parameterpage.h"

void MainWindow::SendData(uint16_t data, QByteArray target)
{
    parameterPage->sendData(data, target);
}

bool MainWindow::CheckINPUT(QLineEdit *lin, int max, int min)
{
    return parameterPage->checkInput(lin, max, min);
}

void MainWindow::handleButtonClicked(const QByteArray &initialStr, QLineEdit *lineEdit,
                                     int checkInputArgmax, int checkInputArgmin, uint16_t offset)
{
    parameterPage->applyRow(initialStr, lineEdit, checkInputArgmax, checkInputArgmin, offset);
}

void MainWindow::handleButtonRequestClicked(const QByteArray &initialStr, uint16_t key)
{
    parameterPage->sendCommand(initialStr, key);
}

void MainWindow::on_conf_read_clicked()
{
    parameterPage->readAll();
}

// One slot per row, so the form's buttons connect by name and each can be invoked by name; the
// row itself (field, prefix, range, offset) is looked up in the parameter table.
#define ARVEX_PARAMETER_ROW(slot)                                                                  \
    void MainWindow::slot()                                                                        \
    {                                                                                              \
        parameterPage->writeRow(#slot);                                                            \
    }
#define ARVEX_DEVICE_COMMAND(slot)                                                                 \
    void MainWindow::slot()                                                                        \
    {                                                                                              \
        parameterPage->runCommand(#slot);                                                          \
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

// The window's keyboard and controls: Enter applies a parameter row, Tab passes over fields
// nobody types in, the period box refuses a period it cannot take where the user sees it, the
// port box tells the whole chosen entry, Qt's own texts follow the chosen language, and the top
// bar's terminal button opens the frame console.
#include "mainwindow.h"

#include "frameconsole.h"
#include "messages.h"
#include "parametertable.h"
#include "qttexts.h"
#include "spinboxguard.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void MainWindow::initControls()
{
    // Enter in a parameter field does what the row's button does: the same slot, by the same
    // click, so a row whose button is disabled takes no Enter either.
    for (const ParameterTable::Row &row : ParameterTable::rows()) {
        // The slot on_<button>_clicked belongs to the button <button>.
        const QByteArray slot(row.slot);
        const QString buttonName = QString::fromLatin1(slot.mid(3, slot.size() - 3 - 8));
        auto *edit = findChild<QLineEdit *>(QLatin1String(row.lineEdit));
        auto *button = findChild<QPushButton *>(buttonName);
        if (!edit || !button) {
            qWarning() << "parameter row without its field or button:" << row.slot;
            continue;
        }
        connect(edit, &QLineEdit::returnPressed, button, &QAbstractButton::click);
    }

    // Values shown, not typed (the real-time fields): Tab goes past them; a click still selects
    // their text for copying.
    const QList<QLineEdit *> lineEdits = findChildren<QLineEdit *>();
    for (QLineEdit *lineEdit : lineEdits) {
        if (lineEdit->isReadOnly())
            lineEdit->setFocusPolicy(Qt::ClickFocus);
    }

    // A period below the box's minimum is put back by the box; the user is told so.
    new SpinBoxGuard(ui->spinBox, [this](int typed) { refusePeriod(typed); });

    connect(ui->portName, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::showPortToolTip);
    showPortToolTip();

    // Qt's own texts in the language shown, from the start (Chinese) and at every change.
    QtTexts::use(ui->lang->currentIndex());
    connect(ui->lang, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [](int index) { QtTexts::use(index); });

    // The top bar's terminal button: the frame console, built when first asked for.
    ui->debugdig->show();
    connect(ui->debugdig, &QPushButton::clicked, this, &MainWindow::showFrameConsole);
    connect(ui->lang, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        if (frameConsole)
            frameConsole->setLocale(languageLocale());
    });
}

void MainWindow::showFrameConsole()
{
    if (!frameConsole) {
        frameConsole = new FrameConsole(this);
        frameConsole->setLocale(languageLocale());
        frameConsole->setRecordingsFolder([this] { return recordingsFolder(); });
        frameConsole->attach(session);
    }
    frameConsole->show();
    frameConsole->raise();
    frameConsole->activateWindow();
}

void MainWindow::showPortToolTip()
{
    QString tip = ui->portName->currentText();
    const QString details = ui->portName->currentData(Qt::ToolTipRole).toString();
    if (!details.isEmpty())
        tip += QLatin1Char('\n') + details;
    ui->portName->setToolTip(tip);
}

void MainWindow::refusePeriod(int typed)
{
    // Shown once the key or focus change is handled, when the box holds its value again.
    QTimer::singleShot(0, this, [this, typed] {
        Messages::warning(this, ParameterTable::outOfRangeTitle(),
                          tr("输入的周期 %1 ms 超过 [%2 - %3] ms 的范围，周期仍为 %4 ms。")
                              .arg(typed)
                              .arg(ui->spinBox->minimum())
                              .arg(ui->spinBox->maximum())
                              .arg(ui->spinBox->value()));
        ui->spinBox->selectAll();
    });
}

// The parameter pages: writes with range checks, device commands, the read-back of the
// parameter block and what became of each write.
#include "parameterpage.h"

#include "boardsession.h"
#include "commandcodes.h"
#include "fields.h"
#include "frame.h"
#include "messages.h"
#include "parameterblock.h"
#include "parametertable.h"
#include "statustext.h"
#include "switchbutton.h"
#include "thresholdpairs.h"
#include "ui_mainwindow.h"
#include "writemarks.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int ReadLampMs = 2000;

const char StateText[] = "QLabel { color : white; }";
const char FailureText[] = "QLabel { color : red; }";

// Writing the board's factory values changes every parameter: the pages read back after it.
bool resetsParameters(const QByteArray &prefix)
{
    return prefix.compare(Cmd::InitParameters, Qt::CaseInsensitive) == 0;
}

// What a device command's button asks before it sends, naming the pack it goes to; empty for a
// command that does not need asking.
QString commandQuestion(const char *button, int address)
{
    if (qstrcmp(button, "btn_init_para") == 0)
        return ParameterPage::tr("将地址 %1 的电池包的全部参数恢复为出厂值？\n当前的设置将丢失。")
            .arg(address);
    if (qstrcmp(button, "btn_init_soc") == 0)
        return ParameterPage::tr("重新初始化地址 %1 的电池包的 SOC？\n当前的荷电状态将被丢弃。")
            .arg(address);
    if (qstrcmp(button, "btn_reset") == 0)
        return ParameterPage::tr("复位地址 %1 的电池包的系统？\n板子将重新启动，一两秒内不回应。")
            .arg(address);
    return QString();
}

// Below a refusal's own words: which field, and what it takes. Nothing for a field that is no
// row of the table, or whose range the caller changed.
QString refusalDetail(QWidget *window, const QLineEdit *lineEdit, int min, int max)
{
    const ParameterTable::Row *row = ParameterTable::findByLineEdit(lineEdit->objectName());
    if (!row || row->min != min || row->max != max)
        return QString();
    const auto *caption =
        window->findChild<QLabel *>(ParameterPage::captionName(lineEdit->objectName()));
    return QLatin1Char('\n')
        + ParameterTable::refusalDetail(caption ? caption->text().trimmed() : QString(), *row);
}

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
                           ParameterTable::notANumberText()
                               + refusalDetail(parent, lineEdit, min, max));
        return false;
    case ParameterTable::Check::OutOfRange:
        lineEdit->setStyleSheet(QLatin1String(ParameterTable::OutOfRangeStyle));
        lineEdit->selectAll();
        Messages::warning(parent, ParameterTable::outOfRangeTitle(),
                          ParameterTable::outOfRangeText(min, max)
                              + refusalDetail(parent, lineEdit, min, max));
        return false;
    case ParameterTable::Check::Accepted:
        break;
    }
    lineEdit->setStyleSheet(QLatin1String(ParameterTable::NeutralStyle));
    lineEdit->deselect();
    return true;
}

} // namespace

QString ParameterPage::captionName(const QString &field)
{
    // conf_lv_lable for conf_lv, conf_avlp_lable_2 for conf_avlp_2.
    return field.endsWith(QLatin1String("_2")) ? field.chopped(2) + QLatin1String("_lable_2")
                                               : field + QLatin1String("_lable");
}

ParameterPage::ParameterPage(Ui_MainWindow *form, QWidget *window, BoardSession *line, Flash flash)
    : QObject(window)
    , ui(form)
    , m_window(window)
    , session(line)
    , m_flash(std::move(flash))
    , lampOff(QStringLiteral(":/asset/assert/NO.png"))
    , lampOn(QStringLiteral(":/asset/assert/Pas.png"))
    , lampError(QStringLiteral(":/asset/assert/Err.png"))
{
    resolveWidgets();
    connect(session, &BoardSession::parameterBlock, this, &ParameterPage::showBlock);
    connect(session, &BoardSession::writeVerdicts, this, &ParameterPage::showWriteVerdicts);
    connect(session, &BoardSession::readBackFailed, this, &ParameterPage::showReadBackFailed);
    // Writes under way are given up with the line (their verdicts come from the session).
    connect(session, &BoardSession::closed, this, [this] { readBackShowsAll = false; });
    // One request is on the line at a time: a block answers the last read-back sent.
    connect(session, &BoardSession::frameSent, this, [this](const QByteArray &frame) {
        if (WriteConfirm::isBlockRequest(frame))
            askedAddress = hexToInt(frame.mid(3, 2));
    });
    // Another line may lead to another board: what the last one held says nothing of it.
    connect(session, &BoardSession::opened, this, [this] {
        boardValues.clear();
        boardAddress = -1;
    });
    retranslate();
}

void ParameterPage::retranslate()
{
    const QVector<ParameterTable::Row> &rows = ParameterTable::rows();
    for (int i = 0; i < rows.size(); ++i) {
        if (QLineEdit *edit = parameterRowEdits.value(i))
            writeMarks->setBaseToolTip(edit, ParameterTable::rangeToolTip(rows.at(i)));
    }
}

bool ParameterPage::confirmPairs(QLineEdit *lineEdit, const ParameterTable::Row &row,
                                 uint16_t value)
{
    // Judged against what the board in focus was last seen to hold; a pair whose other value
    // was never read from it is not judged. With the port closed nothing goes out to ask about.
    const int address = ui->DeviceID->value();
    if (!session->isOpen() || address != boardAddress)
        return true;
    const QVector<ThresholdPairs::Contradiction> clash = ThresholdPairs::check(
        boardValues, { { lineEdit->objectName(), WriteConfirm::shownValue(row, value) } });
    if (clash.isEmpty())
        return true;
    if (Messages::question(m_window, tr("请确认"),
                           ThresholdPairs::describe(clash) + QStringLiteral("\n\n")
                               + tr("仍然写入地址 %1 的电池包？").arg(address)))
        return true;
    // Not sent: the value stays the user's, typed and not the board's.
    writeMarks->set(lineEdit, WriteMarks::Mark::Edited);
    return false;
}

void ParameterPage::restoreStyle(QLineEdit *lineEdit)
{
    // Setting a style sheet re-polishes the field even when nothing changes; most fields are
    // neutral already, at every focus and at every read-back. A refused value's colour goes; a
    // value typed or sent that the board has not confirmed keeps its own look.
    const QLatin1String style(WriteMarks::styleOf(writeMarks->mark(lineEdit)));
    if (lineEdit->styleSheet() != style)
        lineEdit->setStyleSheet(style);
}

void ParameterPage::resolveWidgets()
{
    // The rows and the block name their widgets; a name the form lacks is a programming error,
    // reported once here rather than at every click or reply.
    const QVector<ParameterTable::Row> &rows = ParameterTable::rows();
    parameterRowEdits.clear();
    parameterRowEdits.reserve(rows.size());
    for (const ParameterTable::Row &row : rows) {
        auto *edit = m_window->findChild<QLineEdit *>(QLatin1String(row.lineEdit));
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
            ? static_cast<QWidget *>(m_window->findChild<SwitchButton *>(name))
            : m_window->findChild<QLineEdit *>(name);
        if (!widget)
            qWarning() << "parameter block field without its widget:" << field.widget;
        parameterBlockWidgets.append(widget);
    }

    writeMarks = new WriteMarks(this);
    // A typed value is not the board's until a read-back shows it.
    for (QLineEdit *edit : qAsConst(parameterRowEdits)) {
        if (edit)
            connect(edit, &QLineEdit::textEdited, this,
                    [this, edit] { writeMarks->set(edit, WriteMarks::Mark::Edited); });
    }
    parameterState = new QLabel(m_window);
    parameterState->setObjectName(QStringLiteral("conf_read_state"));
    parameterState->setWordWrap(true);
    parameterState->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (auto *row = m_window->findChild<QHBoxLayout *>(QStringLiteral("horizontalLayout_9"))) {
        row->insertWidget(1, parameterState, 1); // after the spacer, before "Read Statu"
        row->insertSpacing(2, 24); // the state is a sentence of its own, not the lamp's caption
    } else
        qWarning() << "no room for the read-back state beside statu_read";
}

void ParameterPage::showParameterState(const QString &text, bool failure)
{
    setStatusText(parameterState, failure ? FailureText : StateText, text);
}

void ParameterPage::sendData(uint16_t data, QByteArray target)
{
    queueWrite(data, target);
}

QByteArray ParameterPage::queueWrite(uint16_t data, const QByteArray &target)
{
    // A frame held back while the port is closed would go out at the next open, maybe minutes
    // later and to another pack, after the user was told it was not sent. Protection limits must
    // not arrive like that: refuse, and let the user press again once connected.
    if (!session->isOpen()) {
        Messages::warning(m_window, tr("错误"), tr("串口未打开，请先打开串口。"));
        return QByteArray();
    }
    return session->queueWrite(target, data);
}

void ParameterPage::queueReadBack()
{
    session->setAddress(ui->DeviceID->value());
    session->queueReadBack();
}

bool ParameterPage::checkInput(QLineEdit *lin, int max, int min)
{
    if (!lin)
        return false;
    return showInputCheck(m_window, lin, ParameterTable::checkInput(lin->text(), min, max, 0), min,
                          max);
}

void ParameterPage::applyRow(const QByteArray &initialStr, QLineEdit *lineEdit,
                             int checkInputArgmax, int checkInputArgmin, uint16_t offset)
{
    if (!lineEdit)
        return;
    // The range applies to the typed value, the offset only to what is sent.
    const ParameterTable::Check check =
        ParameterTable::checkInput(lineEdit->text(), checkInputArgmin, checkInputArgmax, offset);
    if (!showInputCheck(m_window, lineEdit, check, checkInputArgmin, checkInputArgmax))
        return;
    // A threshold on the wrong side of its partner is asked about first ("No" sends nothing).
    const ParameterTable::Row *row = ParameterTable::findByLineEdit(lineEdit->objectName());
    if (row && row->offset == offset && !confirmPairs(lineEdit, *row, check.value))
        return;
    const int ahead = session->sendQueuebak.size();
    const QByteArray frame =
        queueWrite(check.value, Frame::withAddress(initialStr, ui->DeviceID->value()));
    if (frame.isEmpty())
        return;
    followWrite(lineEdit, frame, check.value, ahead);
    if (resetsParameters(initialStr))
        readBackShowsAll = true;
}

void ParameterPage::sendCommand(const QByteArray &initialStr, uint16_t key)
{
    if (queueWrite(key, Frame::withAddress(initialStr, ui->DeviceID->value())).isEmpty())
        return;
    // The factory values replace every field: the pages show them without being asked.
    if (resetsParameters(initialStr)) {
        queueReadBack();
        readBackShowsAll = true;
    }
}

void ParameterPage::followWrite(QLineEdit *lineEdit, const QByteArray &frame, uint16_t value,
                                int framesAhead)
{
    const ParameterTable::Row *row = ParameterTable::findByLineEdit(lineEdit->objectName());
    if (!row)
        return;
    // The board does not answer a write; the block it sends for a read-back shows what it holds.
    // A field the block does not carry gets none, unless its command rewrites every parameter.
    session->followWrite(
        lineEdit->objectName(), WriteConfirm::shownValue(*row, value), frame, framesAhead,
        WriteConfirm::carriedByBlock(lineEdit->objectName()) || resetsParameters(row->prefix));
    writeMarks->set(lineEdit, WriteMarks::Mark::Pending);
}

void ParameterPage::showReadBackFailed()
{
    readBackShowsAll = false;
    ui->statu_read->setPixmap(lampError);
    const QString text =
        tr("读回失败：%1 次请求均未得到有效回复").arg(WriteConfirm::MaxRetries + 1);
    setStatusText(ui->statu_send, "QLabel { color : red; }", QStringLiteral("Read-back failed!"));
    showParameterState(text, true);
}

void ParameterPage::showWriteVerdicts(const QVector<WriteConfirm::Verdict> &verdicts)
{
    // The line under the page names the last row the board did not take for as long as that row
    // shows it, so writes confirmed after it never hide it; otherwise the last verdict.
    if (verdicts.isEmpty())
        return;
    QString line;
    for (const WriteConfirm::Verdict &v : verdicts) {
        auto *edit = m_window->findChild<QLineEdit *>(v.field);
        if (!edit)
            continue;
        WriteMarks::Mark mark = WriteMarks::Mark::Unconfirmed;
        switch (v.outcome) {
        case WriteConfirm::Outcome::Confirmed:
            mark = WriteMarks::Mark::Confirmed;
            break;
        case WriteConfirm::Outcome::Kept:
            mark = WriteMarks::Mark::Kept;
            break;
        case WriteConfirm::Outcome::Unconfirmed:
            break;
        case WriteConfirm::Outcome::NotConfirmable:
            mark = WriteMarks::Mark::NotConfirmable;
            break;
        }
        if (!v.board.isEmpty())
            edit->setText(v.board); // the board's value, in the unit the field shows
        const QString expected = QString::number(v.expected);
        writeMarks->set(edit, mark, expected, v.board);
        const QString text = WriteMarks::text(mark, expected, v.board);
        const auto *caption = m_window->findChild<QLabel *>(captionName(v.field));
        line = caption ? caption->text() + QStringLiteral(": ") + text : text;
        if (mark != WriteMarks::Mark::Confirmed) {
            failedWriteField = edit;
            failedWriteLine = line;
        } else if (edit == failedWriteField) {
            failedWriteField = nullptr;
        }
    }
    if (failedWriteField && writeMarks->mark(failedWriteField) != WriteMarks::Mark::Confirmed
        && writeMarks->mark(failedWriteField) != WriteMarks::Mark::None)
        showParameterState(failedWriteLine, true);
    else if (!line.isEmpty())
        showParameterState(line, false);
}

void ParameterPage::writeRow(const char *slot)
{
    const ParameterTable::Row *row = ParameterTable::findBySlot(QLatin1String(slot));
    if (!row) {
        qWarning() << "no parameter row for" << slot;
        return;
    }
    QLineEdit *edit = parameterRowEdits.value(int(row - ParameterTable::rows().constData()));
    applyRow(row->prefix, edit, row->max, row->min, row->offset);
}

void ParameterPage::runCommand(const char *slot)
{
    for (const ParameterTable::Command &command : ParameterTable::commands()) {
        if (qstrcmp(command.slot, slot) != 0)
            continue;
        // A command that throws away the board's settings or state asks first, naming the pack.
        const QString question = commandQuestion(command.button, ui->DeviceID->value());
        // With the port closed there is nothing to ask: the send path says it cannot go out.
        if (!question.isEmpty() && session->isOpen()
            && !Messages::question(m_window, tr("请确认"), question))
            return;
        sendCommand(command.prefix, command.value);
        return;
    }
    qWarning() << "no device command for" << slot;
}

void ParameterPage::readAll()
{
    queueReadBack();
    readBackShowsAll = true;
    ui->statu_read->setPixmap(lampOff);
    failedWriteField = nullptr; // the user asks afresh; the rows keep their marks
    showParameterState(QString(), false);
}

void ParameterPage::showBlock(const QVector<ParameterBlock::Field> &fields)
{
    m_flash(ui->statu_read, lampOn, lampOff, ReadLampMs);
    showParameterState(QString(), false); // a failure reported earlier is over

    const bool showAll = readBackShowsAll;
    readBackShowsAll = false;

    // What the board holds, whatever the fields show: the pairs of a write are judged by it.
    boardValues.clear();
    boardAddress = askedAddress;
    for (const ParameterBlock::Field &field : fields) {
        bool ok = false;
        const int value = field.text.toInt(&ok);
        if (field.kind == ParameterBlock::Field::Text && ok)
            boardValues.insert(QLatin1String(field.widget), value);
    }

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
            continue;
        }
        auto *edit = static_cast<QLineEdit *>(widget);
        // A write still on its way is judged by a later block. A value typed and not sent is
        // the user's until they ask for the board's values themselves.
        if (session->isWritePending(edit->objectName()))
            continue;
        const WriteMarks::Mark mark = writeMarks->mark(edit);
        if (!showAll && mark == WriteMarks::Mark::Edited)
            continue;
        // What a write's verdict says stays while the board still shows the same value.
        if ((mark == WriteMarks::Mark::Kept || mark == WriteMarks::Mark::Confirmed)
            && edit->text() == field.text)
            continue;
        if (edit->text() != field.text)
            edit->setText(field.text);
        // The board's value: whatever look an earlier refused or typed value left goes.
        writeMarks->set(edit, WriteMarks::Mark::None);
    }
}

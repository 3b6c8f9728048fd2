#pragma once

#include "parameterprofile.h"
#include "profilejob.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QTableWidget>

// The compare table of a profile: each row's caption, unit, the board's value, the file's, the
// range and whether they differ, grouped under the name of the parameter page that shows the row,
// in that page's order. A row written to the board says what became of it. It can show only the
// rows that differ, are unknown or were written.
class ProfileTable : public QTableWidget
{
    // The table's texts are the window's and are translated with them.
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    // Where a row is shown on the parameter pages: the page's index among the pages and the
    // row's place on it, in reading order (column by column, top to bottom). Rows on no page
    // have page -1.
    struct Place
    {
        int page = -1;
        int position = 0;
    };

    // window: where the parameter pages and the rows' captions are found.
    ProfileTable(QWidget *window, QWidget *parent);

    // The file's rows beside what the board was last seen to hold; what earlier writes became of
    // is forgotten.
    void showProfile(const ParameterProfile::Profile &profile, const QHash<QString, int> &board);
    void setBoard(const QHash<QString, int> &board);
    // What became of a row written to the board, shown while the board still shows the value
    // it showed then.
    void setOutcome(const ProfileJob::RowResult &row);
    void setDifferencesOnly(bool on);
    // The column headers, the captions and the pages' names in the language now loaded.
    void retranslate();

    // Rows that differ from the board's value or whose value is not known.
    int differences() const;
    // Whether the board's value of every row is known.
    bool allKnown() const;
    const QHash<QString, int> &board() const { return m_board; }
    Place place(const QString &key) const { return m_places.value(key); }

private:
    enum Column { Caption, Unit, Board, File, Range, Mark, Columns };

    void findPlaces(QWidget *window);
    void fill();
    void refresh();
    void showRow(int row);
    void filter();

    QWidget *m_window;
    QHash<QString, Place> m_places;
    ParameterProfile::Profile m_profile;
    QHash<QString, int> m_board;
    // What became of each row's last write to the board, with the value it showed.
    QHash<QString, ProfileJob::RowResult> m_outcomes;
    bool m_differencesOnly = false;
};

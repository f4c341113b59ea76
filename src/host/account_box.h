#pragma once
// AccountBox: the code of an account of a chart of accounts, with the account's description
// beside it.
//
// The window prepares the box for a chart (chart, AccountTypes: the account types the
// lookups offer, AccountKind) and answers StartDecode and StartLookup with the queries of the
// account services; the box runs them like a code box (see EditBox). After a decode the
// description beside the box shows the column descriptionColumn of the decoded row (when
// empty: the second column of the row, if any), and is cleared when no account is found.
//
// value() is the account code (Null when empty) and the value given to the data frame.
// isSwitchedOn is the on/off flag: off, the box takes no input and shows no lookup. tabStop (from
// EditBox) is the second state flag.

#include "host/edit_box.h"

class QLabel;

namespace host {

class AccountBox : public EditBox
{
    Q_OBJECT

public:
    explicit AccountBox(QWidget *parent = nullptr);
    ~AccountBox() override;

    QVariant value() const { return Text(); }
    void setValue(const QVariant &value) { setText(value); }

    bool isSwitchedOn() const;
    void setSwitchedOn(bool on);

    // The chart of accounts the code belongs to (Null when the box has none).
    QVariant chart() const { return m_chart; }
    void setChart(const QVariant &chart) { m_chart = chart; }
    // Indexes of the account types the lookup may offer (empty: every type).
    QList<int> AccountTypes() const { return m_accountTypes; }
    void setAccountTypes(const QList<int> &types) { m_accountTypes = types; }
    // The kind of accounts the box holds, as the account services number them.
    int AccountKind() const { return m_accountKind; }
    void setAccountKind(int kind) { m_accountKind = kind; }
    // Drops the chart and the account types (the window's release of the box).
    void releaseChart();

    QString descriptionColumn() const { return m_descriptionColumn; }
    void setDescriptionColumn(const QString &column) { m_descriptionColumn = column; }
    QString description() const;
    // Width of the description, in characters.
    void setDescriptionWidth(int characters);

protected:
    void decodedRow(ado::Recordset *row) override;
    void userEdited() override;

private:
    QLabel *m_description = nullptr;
    QVariant m_chart;
    QList<int> m_accountTypes;
    QString m_descriptionColumn;
    int m_accountKind = 0;
    bool m_switchedOn = true;
};

} // namespace host

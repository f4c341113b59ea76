#pragma once
// The text box that the code, number and account boxes are built on: one line of text, an
// optional lookup button, and the events of an edit as a user causes them.
//
// Events, in the order a user causes them:
// - BeforeItem when an edit starts: the box takes the focus, or a key or a lookup changes
//   it again after a commit. It is raised once per edit, before the text changes.
// - KeyDown(keyCode, shift) for every key; setting keyCode to 0 swallows the key.
// - Validate(cancel) when the focus leaves the box; cancel keeps the focus in it (and the
//   edit stays open: neither decode nor AfterItem follow).
// - StartDecode, then AfterItem, when a changed text is committed: the focus leaves, Enter
//   is pressed, or a lookup writes its choice.
// - StartLookup on F3 or the lookup button.
//
// Decode: StartDecode hands back an SQL text, the boxes to fill with columns of its first row
// and a connection text (informative only: the query runs on the connection given with
// setConnection). No SQL means no decode: the text counts as valid. An empty text is valid
// and clears the targets without a query. A query without rows clears the targets and leaves
// IsValid false. A text being typed and not yet committed is not valid either.
// Setting the text from code (setText, setBoundValue) decodes too, so description boxes
// always match the code shown; only the user's edits raise BeforeItem, AfterItem and the
// data frame's edited callback.
//
// lookup(): StartLookup hands back Cancel, an SQL text, the column captions, a title and a
// connection text; unless cancelled, the rows are shown by DialogService::lookup and the
// value of the key column is written into the box as a user edit (BeforeItem if needed,
// decode, AfterItem).
//
// Errors of decode and lookup (no connection, a query the database refuses, an unknown
// target column) are shown through the dialog service's error dialog.

#include "host/bindable.h"
#include "host/control_types.h"

#include <QWidget>

class QHBoxLayout;
class QLineEdit;
class QMenu;
class QToolButton;

namespace ado {
class Connection;
class Recordset;
} // namespace ado

namespace host {

class EditBox : public QWidget, public Bindable
{
    Q_OBJECT

public:
    enum CharacterSet { AnyCharacters, DigitsOnly, LettersOnly };

    explicit EditBox(QWidget *parent = nullptr);
    ~EditBox() override;

    // ----- value -----
    // The text, Null when the box is empty.
    virtual QVariant Text() const;
    // Sets the text from code (Null or Empty empties the box), then decodes.
    virtual void setText(const QVariant &text);
    // The raw text as shown while editing.
    QString editText() const;

    // ----- settings -----
    int maxLength() const;
    void setMaxLength(int characters);
    // Width of the text part, in characters.
    void setDisplayWidth(int characters);
    void setUpperCase(bool on); // "Maiuscolo": what is typed is shown and kept in upper case
    CharacterSet characterSet() const { return m_characterSet; }
    void setCharacterSet(CharacterSet set);
    bool Required() const { return m_required; }
    void setRequired(bool on);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // Second state flag: when false the box is skipped by Tab and clicks do not enter it.
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool on);
    void setLookupEnabled(bool on); // shows the lookup button and accepts F3
    void setDecodeEnabled(bool on);
    // Column of the lookup rows whose value is written into the box (0 = first).
    void setLookupKeyColumn(int column) { m_lookupKeyColumn = column; }
    QString LookupName() const { return m_lookupName; }
    void setLookupName(const QString &name) { m_lookupName = name; }
    // Connection the decode and lookup queries run on (the window's; not owned).
    ado::Connection *connection() const { return m_connection; }
    void setConnection(ado::Connection *connection) { m_connection = connection; }

    // ----- state and operations -----
    bool IsValid() const { return m_valid && !m_pending; }
    // Raises StartDecode and runs the decode (see above). Errors are raised to the caller.
    void Decode();
    // Raises StartLookup and shows the list; errors are shown, not raised.
    void lookup();
    // Focus back into the box with all of its text selected.
    void Reselect();
    // Commits a pending edit as if the user pressed Enter (decode, AfterItem).
    void commitEdit();
    QLineEdit *lineEdit() const { return m_edit; }

    // ----- Bindable -----
    QWidget *widget() override { return this; }
    QString dataField() const override { return m_dataField; }
    void setDataField(const QString &field) override { m_dataField = field; }
    QString caption() const override { return m_caption; }
    QVariant boundValue() const override;
    void setBoundValue(const QVariant &value) override;
    QVariant defaultValue() const override { return m_defaultValue; }
    void setDefaultValue(const QVariant &value) { m_defaultValue = value; }
    bool isRequired() const override { return m_required; }
    bool hasValue() const override;
    bool isEnabledForInput() const override;
    void focus() override;
    void setEditedCallback(std::function<void()> callback) override;
    // Validate, then the commit of a pending edit; the focus stays in the box.
    bool settleInput() override;
    // Read-only text, no lookup.
    void setLocked(bool locked) override;

signals:
    void BeforeItem();
    void AfterItem();
    void Validate(bool &cancel);
    void KeyDown(int &keyCode, int shift);
    void StartDecode(QString &sql, host::DecodeTargets &targets, QString &connectionText);
    void StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns, QString &title,
                     QString &connectionText);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

    // For the kinds built on this box.
    QHBoxLayout *boxLayout() const { return m_layout; }
    // Adds a small button beside the text (after the lookup button); it never takes the focus.
    QToolButton *addSideButton(const QString &text, const QString &toolTip);
    // Called with the first row of a decode (nullptr when none): kinds that show more of the
    // row (the account box's description) take it from there.
    virtual void decodedRow(ado::Recordset *row);
    // Called after the user changed the text (each keystroke).
    virtual void userEdited();
    // A key the box did not swallow in KeyDown: true when the box used it (F3, Enter...).
    virtual bool handleKey(QKeyEvent *event);
    // Restricts what can be typed to texts matching the expression (empty: no restriction).
    void setInputPattern(const QString &regularExpression);
    // Extra entries of the context menu.
    virtual void addMenuEntries(QMenu *menu);
    // The text shown for a value set from code, and the value a text stands for.
    virtual QString textForValue(const QVariant &value) const;
    // Shows a text from code without decoding.
    void showText(const QString &text);
    void beginEdit();
    void setValid(bool valid);
    void refreshLook();

private:
    void onTextEdited();
    void commitNow();
    void runLookup();
    void handleFocusOut(int reason);
    bool validateAndCommit(bool leaving);
    void showContextMenu(const QPoint &pos);
    void clearTargets();
    void applyFocusPolicy();

    QHBoxLayout *m_layout = nullptr;
    QLineEdit *m_edit = nullptr;
    QToolButton *m_lookupButton = nullptr;
    class BoxValidator *m_validator = nullptr;
    ado::Connection *m_connection = nullptr;
    std::function<void()> m_edited;
    std::vector<QPointer<EditBox>> m_lastTargets;
    QString m_baseline; // text when the current edit began (or was last committed)
    QString m_dataField;
    QString m_caption;
    QString m_lookupName;
    QVariant m_defaultValue;
    CharacterSet m_characterSet = AnyCharacters;
    int m_maxLength = 0;
    int m_lookupKeyColumn = 0;
    bool m_required = false;
    bool m_tabStop = true;
    bool m_lookupEnabled = false;
    bool m_locked = false;
    bool m_decodeEnabled = true;
    bool m_valid = true;
    bool m_pending = false; // typed by the user and not yet decoded
    bool m_editOpen = false;
    bool m_decoding = false;
    bool m_inFocusOut = false;
    bool m_focused = false; // had a focus-in that no focus-out has ended yet
};

} // namespace host

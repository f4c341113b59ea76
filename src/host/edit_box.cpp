#include "host/edit_box.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "host/dialogs.h"
#include "host/handler_connection.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QValidator>

namespace host {

// What may be typed: upper case, the character set, and a pattern of the whole text.
class BoxValidator : public QValidator
{
public:
    using QValidator::QValidator;

    bool upperCase = false;
    EditBox::CharacterSet characterSet = EditBox::AnyCharacters;
    QRegularExpression pattern;

    State validate(QString &input, int &) const override
    {
        if (upperCase)
            input = input.toUpper();
        for (const QChar c : std::as_const(input)) {
            if (characterSet == EditBox::DigitsOnly && !c.isDigit())
                return Invalid;
            if (characterSet == EditBox::LettersOnly && !c.isLetter())
                return Invalid;
        }
        if (pattern.isValid() && !pattern.pattern().isEmpty() && !pattern.match(input).hasMatch())
            return Invalid;
        return Acceptable;
    }
};

namespace {

bool isMissing(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.typeId() == QMetaType::Nullptr;
}

QVariant nullValue()
{
    return QVariant::fromValue(nullptr);
}

bool ignoredFocusReason(Qt::FocusReason reason)
{
    // A popup, a menu or another window (a dialog) taking the focus for a while is no exit.
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason
           || reason == Qt::MenuBarFocusReason;
}

} // namespace

EditBox::EditBox(QWidget *parent) : QWidget(parent)
{
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(2);
    m_edit = new QLineEdit(this);
    m_layout->addWidget(m_edit, 1);
    m_lookupButton = new QToolButton(this);
    m_lookupButton->setText(QStringLiteral("..."));
    m_lookupButton->setToolTip(QStringLiteral("Ricerca (F3)"));
    m_lookupButton->setFocusPolicy(Qt::NoFocus);
    m_lookupButton->hide();
    m_layout->addWidget(m_lookupButton);

    m_validator = new BoxValidator(this);
    m_edit->setValidator(m_validator);
    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);
    m_edit->installEventFilter(this);
    m_edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_edit, &QLineEdit::customContextMenuRequested, this, &EditBox::showContextMenu);
    connect(m_edit, &QLineEdit::textEdited, this, &EditBox::onTextEdited);
    connect(m_lookupButton, &QToolButton::clicked, this, &EditBox::lookup);
    refreshLook();
}

EditBox::~EditBox()
{
    // The line edit dies after this object: its last focus change must not reach us.
    m_edit->removeEventFilter(this);
    disconnect(m_edit, nullptr, this, nullptr);
}

// ----- value -----

QVariant EditBox::Text() const
{
    const QString text = m_edit->text();
    return text.isEmpty() ? nullValue() : QVariant(text);
}

QString EditBox::editText() const
{
    return m_edit->text();
}

QString EditBox::textForValue(const QVariant &value) const
{
    return isMissing(value) ? QString() : value.toString();
}

void EditBox::showText(const QString &text)
{
    // A value longer than the box allows is shown whole (it comes from the data): the limit
    // applies to what the user types.
    const int limit = m_maxLength > 0 ? m_maxLength : 32767;
    m_edit->setMaxLength(std::max<int>(limit, int(text.size())));
    m_edit->setText(text);
    m_edit->setCursorPosition(0);
}

void EditBox::setText(const QVariant &text)
{
    const QString shown = textForValue(text);
    const bool differs = shown != Text().toString() || m_pending;
    showText(shown);
    m_baseline = Text().toString();
    m_pending = false;
    if (differs)
        Decode();
    refreshLook();
}

// ----- settings -----

int EditBox::maxLength() const
{
    return m_maxLength;
}

void EditBox::setMaxLength(int characters)
{
    if (characters < 0)
        ado::raise(380, QStringLiteral("Lunghezza massima non valida: %1").arg(characters),
                   objectName());
    m_maxLength = characters;
    const int limit = characters > 0 ? characters : 32767;
    m_edit->setMaxLength(std::max<int>(limit, int(m_edit->text().size())));
}

void EditBox::setDisplayWidth(int characters)
{
    const QFontMetrics fm(m_edit->font());
    const int width = fm.horizontalAdvance(QLatin1Char('W')) * characters / 2
                      + fm.horizontalAdvance(QLatin1Char('0')) * characters / 2 + 12;
    m_edit->setMinimumWidth(width);
}

void EditBox::setUpperCase(bool on)
{
    m_validator->upperCase = on;
}

void EditBox::setCharacterSet(CharacterSet set)
{
    m_characterSet = set;
    m_validator->characterSet = set;
}

void EditBox::setInputPattern(const QString &regularExpression)
{
    m_validator->pattern = QRegularExpression(regularExpression);
}

void EditBox::setRequired(bool on)
{
    m_required = on;
    refreshLook();
}

void EditBox::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_edit->accessibleName().isEmpty())
        m_edit->setAccessibleName(caption);
}

void EditBox::setTabStop(bool on)
{
    m_tabStop = on;
    applyFocusPolicy();
}

void EditBox::applyFocusPolicy()
{
    const Qt::FocusPolicy policy = m_tabStop ? Qt::StrongFocus : Qt::NoFocus;
    m_edit->setFocusPolicy(policy);
    setFocusPolicy(policy);
}

void EditBox::setLookupEnabled(bool on)
{
    m_lookupEnabled = on;
    m_lookupButton->setVisible(on);
}

void EditBox::setDecodeEnabled(bool on)
{
    m_decodeEnabled = on;
}

QToolButton *EditBox::addSideButton(const QString &text, const QString &toolTip)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    button->setToolTip(toolTip);
    button->setFocusPolicy(Qt::NoFocus);
    m_layout->insertWidget(m_layout->indexOf(m_lookupButton) + 1, button);
    return button;
}

// ----- decode -----

void EditBox::setValid(bool valid)
{
    m_valid = valid;
    refreshLook();
}

void EditBox::clearTargets()
{
    for (const QPointer<EditBox> &box : m_lastTargets) {
        if (box && box != this)
            box->setText(nullValue());
    }
}

void EditBox::decodedRow(ado::Recordset *) {}

void EditBox::Decode()
{
    if (m_decoding)
        return; // a target that decodes back into this box
    QScopedValueRollback<bool> guard(m_decoding, true);
    m_pending = false;
    if (!m_decodeEnabled) {
        setValid(true);
        return;
    }
    QString sql;
    QString connectionText;
    DecodeTargets targets;
    emit StartDecode(sql, targets, connectionText);
    if (!targets.empty()) {
        m_lastTargets.clear();
        for (const DecodeTarget &t : targets)
            m_lastTargets.emplace_back(t.box);
    }
    const QString text = Text().toString();
    if (sql.trimmed().isEmpty() || text.isEmpty()) {
        // No decode asked for, or nothing to decode: the text stands as it is.
        clearTargets();
        decodedRow(nullptr);
        setValid(true);
        return;
    }
    if (!m_connection)
        ado::raise(3709,
                   QStringLiteral("Nessuna connessione per la decodifica di \"%1\"")
                       .arg(m_caption.isEmpty() ? objectName() : m_caption),
                   objectName());
    const std::unique_ptr<ado::Recordset> rs = m_connection->Execute(sql);
    if (rs && rs->State() == ado::adStateOpen && !rs->isEOF()) {
        for (const DecodeTarget &t : targets) {
            if (t.box && t.box != this)
                t.box->setText(rs->Fields(t.column).Value());
        }
        decodedRow(rs.get());
        setValid(true);
    } else {
        clearTargets();
        decodedRow(nullptr);
        setValid(false);
    }
}

// ----- edits -----

void EditBox::beginEdit()
{
    if (m_editOpen)
        return;
    m_editOpen = true;
    m_baseline = Text().toString();
    emit BeforeItem();
}

void EditBox::userEdited() {}

void EditBox::onTextEdited()
{
    if (!m_editOpen)
        beginEdit(); // a paste from the menu or a drop: the edit starts here
    if (m_maxLength > 0 && m_edit->text().size() <= m_maxLength)
        m_edit->setMaxLength(m_maxLength);
    m_pending = true;
    userEdited();
    if (m_edited)
        m_edited();
    refreshLook();
}

void EditBox::commitNow()
{
    const QString now = Text().toString();
    const bool changed = now != m_baseline;
    if (changed || m_pending) {
        runControlAction(objectName() + QStringLiteral("_StartDecode"), [this] { Decode(); });
        m_pending = false;
    }
    if (changed) {
        m_baseline = now;
        emit AfterItem();
    }
}

void EditBox::commitEdit()
{
    runControlAction(objectName() + QStringLiteral("_AfterItem"), [this] { commitNow(); });
    m_editOpen = false;
}

void EditBox::handleFocusOut(int reason)
{
    Q_UNUSED(reason);
    // A focus-out without a focus-in is the one Qt sends to the widget that was about to get
    // the focus when a Validate kept it here: that widget was never entered.
    if (m_focused && !m_inFocusOut)
        validateAndCommit(true);
}

bool EditBox::settleInput()
{
    return !m_focused || m_inFocusOut || validateAndCommit(false);
}

// Validate (a refusal keeps the focus here and the edit open), then the pending edit's commit.
bool EditBox::validateAndCommit(bool leaving)
{
    QScopedValueRollback<bool> guard(m_inFocusOut, true);
    bool cancel = false;
    runControlAction(objectName() + QStringLiteral("_Validate"),
                     [this, &cancel] { emit Validate(cancel); });
    if (cancel) {
        m_edit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (leaving)
        m_focused = false;
    if (m_editOpen)
        commitEdit();
    return true;
}

bool EditBox::handleKey(QKeyEvent *event)
{
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (key == Qt::Key_F3 && plain && m_lookupEnabled) {
        lookup();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain) {
        commitEdit();
        return false; // the line edit and its window still see Enter
    }
    const bool printable = !event->text().isEmpty() && event->text().front().isPrint();
    if (!m_editOpen
        && (printable || key == Qt::Key_Backspace || key == Qt::Key_Delete
            || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
            || event->matches(QKeySequence::Undo)))
        beginEdit();
    return false;
}

bool EditBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        m_focused = true;
        // Focus given back by a Validate that refused to let it go starts no new edit.
        if (!m_inFocusOut && !ignoredFocusReason(static_cast<QFocusEvent *>(event)->reason()))
            beginEdit();
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (ignoredFocusReason(reason))
            break;
        handleFocusOut(reason);
        if (m_edit->hasFocus())
            return true; // Validate kept the focus here
        break;
    }
    case QEvent::KeyPress: {
        auto *ke = static_cast<QKeyEvent *>(event);
        const auto raise = [this](int &code, int shift) { emit KeyDown(code, shift); };
        if (keyDownSwallowed(this, ke, raise))
            return true;
        return handleKey(ke);
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ----- lookup -----

void EditBox::setLocked(bool locked)
{
    m_locked = locked;
    m_edit->setReadOnly(locked);
    m_lookupButton->setEnabled(!locked);
    refreshLook();
}

void EditBox::lookup()
{
    if (!isEnabled() || !m_lookupEnabled || m_locked)
        return;
    if (isVisible() && window()->isActiveWindow() && !m_edit->hasFocus()) {
        // The user enters the box first: the box being left may refuse.
        m_edit->setFocus(Qt::OtherFocusReason);
        if (!m_edit->hasFocus())
            return;
    }
    runControlAction(objectName() + QStringLiteral("_StartLookup"), [this] { runLookup(); });
}

void EditBox::runLookup()
{
    bool cancel = false;
    QString sql;
    QString title;
    QString connectionText;
    ColumnTable columns;
    emit StartLookup(cancel, sql, columns, title, connectionText);
    if (cancel || sql.trimmed().isEmpty())
        return;
    if (!m_connection)
        ado::raise(3709,
                   QStringLiteral("Nessuna connessione per la ricerca di \"%1\"")
                       .arg(m_caption.isEmpty() ? objectName() : m_caption),
                   objectName());
    const std::unique_ptr<ado::Recordset> rs = m_connection->Execute(sql);
    if (!rs || rs->State() != ado::adStateOpen || rs->FieldCount() == 0)
        ado::raise(3001,
                   QStringLiteral("La ricerca di \"%1\" non restituisce colonne")
                       .arg(m_caption.isEmpty() ? objectName() : m_caption),
                   objectName());
    LookupRequest request;
    request.title = title.isEmpty() ? m_caption : title;
    const int fields = rs->FieldCount();
    for (int i = 0; i < fields; ++i) {
        const QString caption = i < columns.size() && !columns[i].isEmpty() ? columns[i].first()
                                                                            : QString();
        request.captions << (caption.isEmpty() ? rs->Fields(i).Name() : caption);
    }
    while (!rs->isEOF()) {
        QVariantList row;
        row.reserve(fields);
        for (int i = 0; i < fields; ++i)
            row << rs->Fields(i).Value();
        request.rows.push_back(row);
        rs->MoveNext();
    }
    request.keyColumn = std::clamp(m_lookupKeyColumn, 0, fields - 1);
    const QVariant picked = DialogService::instance().lookup(request);
    if (!picked.isValid()) {
        Reselect();
        return;
    }
    beginEdit();
    showText(textForValue(picked));
    m_pending = true;
    userEdited();
    if (m_edited)
        m_edited();
    commitNow();
    m_editOpen = false;
    Reselect();
}

void EditBox::Reselect()
{
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->selectAll();
}

// ----- menu and look -----

void EditBox::addMenuEntries(QMenu *) {}

void EditBox::showContextMenu(const QPoint &pos)
{
    const std::unique_ptr<QMenu> menu(m_edit->createStandardContextMenu());
    if (m_lookupEnabled) {
        menu->addSeparator();
        QAction *lookup = menu->addAction(QStringLiteral("Ricerca\tF3"));
        lookup->setEnabled(isEnabled());
        connect(lookup, &QAction::triggered, this, &EditBox::lookup);
    }
    addMenuEntries(menu.get());
    menu->exec(m_edit->mapToGlobal(pos));
}

void EditBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        refreshLook();
    QWidget::changeEvent(event);
}

void EditBox::refreshLook()
{
    // Mandatory boxes show a pale yellow ground while they take input, a locked box the
    // window's ground; a code that the decode did not find shows in dark red.
    QPalette palette; // only the colours set here are the line's own
    const QColor required(255, 250, 220);
    const QColor invalid(180, 0, 0);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        if (m_locked)
            palette.setColor(group, QPalette::Base, this->palette().color(group, QPalette::Window));
        else if (m_required && isEnabled())
            palette.setColor(group, QPalette::Base, required);
        if (!m_valid && !m_edit->text().isEmpty())
            palette.setColor(group, QPalette::Text, invalid);
    }
    m_edit->setPalette(palette);
}

// ----- Bindable -----

QVariant EditBox::boundValue() const
{
    return Text();
}

void EditBox::setBoundValue(const QVariant &value)
{
    runControlAction(objectName() + QStringLiteral("_StartDecode"), [&] { setText(value); });
}

bool EditBox::hasValue() const
{
    return !m_edit->text().trimmed().isEmpty();
}

bool EditBox::isEnabledForInput() const
{
    return isEnabled();
}

void EditBox::focus()
{
    m_edit->setFocus(Qt::OtherFocusReason);
}

void EditBox::setEditedCallback(std::function<void()> callback)
{
    m_edited = std::move(callback);
}

void EditBox::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host

#include "host/lookup_dialog.h"

#include "host/control_types.h"
#include "host/navigator.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace host {

QString displayText(const QVariant &value)
{
    if (!value.isValid() || value.isNull() || value.typeId() == QMetaType::Nullptr)
        return {};
    return plainText(value).trimmed();
}

LookupDialog::LookupDialog(const LookupRequest &request, QWidget *parent)
    : QDialog(parent), m_request(request)
{
    setWindowTitle(request.title.isEmpty() ? QStringLiteral("Ricerca") : request.title);
    setModal(true);

    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(QStringLiteral("Testo da cercare in tutte le colonne"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    auto *filterLabel = new QLabel(QStringLiteral("&Cerca:"), this);
    filterLabel->setBuddy(m_filter);

    int columns = int(request.captions.size());
    for (const auto &row : request.rows)
        columns = std::max(columns, int(row.size()));
    m_table = new QTableWidget(int(request.rows.size()), columns, this);
    QStringList headers = request.captions;
    while (headers.size() < columns)
        headers << QString();
    m_table->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < int(request.rows.size()); ++r) {
        const auto &row = request.rows[size_t(r)];
        for (int c = 0; c < int(row.size()); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(displayText(row[c])));
    }
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    fitColumns();
    m_table->installEventFilter(this);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { choose(); });

    m_count = new QLabel(this);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Seleziona"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { choose(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &t) { applyFilter(t); });

    auto *top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(m_filter, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_count, 1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottom);

    applyFilter({});
    resize(startingSize());
    m_filter->setFocus();
}

namespace {

// The size each list (by title) was last left at while the program runs.
QHash<QString, QSize> &rememberedSizes()
{
    static QHash<QString, QSize> sizes;
    return sizes;
}

// Where the sizes are kept between runs; none until the host says.
std::optional<QString> &settingsFileSlot()
{
    static std::optional<QString> file;
    return file;
}

QString sizeKey(const QString &title)
{
    QString key = title.trimmed();
    key.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QStringLiteral("lists/%1/size").arg(key);
}

QSize rememberedSize(const QString &title)
{
    if (const auto &file = settingsFileSlot())
        return openSettings(*file)->value(sizeKey(title)).toSize();
    return rememberedSizes().value(title);
}

void rememberSize(const QString &title, const QSize &size)
{
    if (const auto &file = settingsFileSlot())
        openSettings(*file)->setValue(sizeKey(title), size);
    else
        rememberedSizes().insert(title, size);
}

constexpr int MinimumWidth = 560;
constexpr int StartingHeight = 380;

} // namespace

// The size the list was left at last time; otherwise wide enough for every column (within the
// screen), so that nothing is cut and no horizontal scrolling is needed.
QSize LookupDialog::startingSize() const
{
    const QSize remembered = rememberedSize(windowTitle());
    if (remembered.isValid())
        return remembered;
    int columns = 0;
    for (int c = 0; c < m_table->columnCount(); ++c)
        columns += m_table->columnWidth(c);
    const int scrollBar = m_table->verticalScrollBar()->sizeHint().width();
    const QMargins margins = layout()->contentsMargins();
    int width = columns + scrollBar + 2 * m_table->frameWidth() + margins.left() + margins.right()
                + 8;
    if (const QScreen *display = screen())
        width = std::min(width, display->availableGeometry().width() * 9 / 10);
    return {std::max(width, MinimumWidth), StartingHeight};
}

void LookupDialog::done(int result)
{
    rememberSize(windowTitle(), size());
    QDialog::done(result);
}

void LookupDialog::setSettingsFile(const std::optional<QString> &file)
{
    settingsFileSlot() = file;
}

// Each column as wide as its cells; a long caption wraps (up to three lines) instead of
// widening its column, so that a list of many columns still fits on the screen.
void LookupDialog::fitColumns()
{
    QHeaderView *header = m_table->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignCenter | Qt::Alignment(Qt::TextWordWrap));
    const QFontMetrics metrics(header->font());
    const QFontMetrics cellMetrics(m_table->font());
    constexpr int Padding = 16;
    constexpr int MaxCaptionLines = 3;
    int lines = 1;
    for (int c = 0; c < m_table->columnCount(); ++c) {
        const QTableWidgetItem *item = m_table->horizontalHeaderItem(c);
        const QString caption = item ? item->text() : QString();
        int captionWidth = metrics.horizontalAdvance(caption) / MaxCaptionLines;
        for (const QString &word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            captionWidth = std::max(captionWidth, metrics.horizontalAdvance(word));
        int cellsWidth = 0;
        for (int r = 0; r < m_table->rowCount(); ++r) {
            if (const QTableWidgetItem *cell = m_table->item(r, c))
                cellsWidth = std::max(cellsWidth, cellMetrics.horizontalAdvance(cell->text()));
        }
        const int width = std::max(cellsWidth, captionWidth) + Padding;
        m_table->setColumnWidth(c, width);
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, width - Padding, 1000),
                                                   Qt::TextWordWrap, caption);
        lines = std::max(lines, wrapped.height() / std::max(1, metrics.lineSpacing()));
    }
    header->setMinimumHeight(lines * metrics.lineSpacing() + header->sizeHint().height()
                             - metrics.lineSpacing());
}

void LookupDialog::applyFilter(const QString &text)
{
    const QString needle = text.trimmed();
    int visible = 0;
    int firstVisible = -1;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        bool match = needle.isEmpty();
        for (int c = 0; !match && c < m_table->columnCount(); ++c) {
            const auto *item = m_table->item(r, c);
            match = item && item->text().contains(needle, Qt::CaseInsensitive);
        }
        m_table->setRowHidden(r, !match);
        if (match) {
            ++visible;
            if (firstVisible < 0)
                firstVisible = r;
        }
    }
    const int current = m_table->currentRow();
    if (current < 0 || m_table->isRowHidden(current)) {
        if (firstVisible >= 0)
            m_table->setCurrentCell(firstVisible, 0);
        else
            m_table->setCurrentCell(-1, -1);
    }
    m_count->setText(visible == 1 ? QStringLiteral("1 riga")
                                  : QStringLiteral("%1 righe").arg(visible));
}

void LookupDialog::setFilterText(const QString &text)
{
    m_filter->setText(text);
}

int LookupDialog::visibleRowCount() const
{
    int visible = 0;
    for (int r = 0; r < m_table->rowCount(); ++r)
        visible += m_table->isRowHidden(r) ? 0 : 1;
    return visible;
}

QVariant LookupDialog::currentKey() const
{
    const int r = m_table->currentRow();
    if (r < 0 || m_table->isRowHidden(r) || r >= int(m_request.rows.size()))
        return {};
    const auto &row = m_request.rows[size_t(r)];
    if (m_request.keyColumn < 0 || m_request.keyColumn >= int(row.size()))
        return {};
    return row[m_request.keyColumn];
}

void LookupDialog::choose()
{
    m_chosen = currentKey();
    if (m_chosen.isValid())
        accept();
}

QVariant LookupDialog::pick()
{
    m_chosen = QVariant();
    return exec() == QDialog::Accepted ? m_chosen : QVariant();
}

bool LookupDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter) {
            choose();
            return true;
        }
        // Up and down in the filter box move through the list.
        if (watched == m_filter && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
            QCoreApplication::sendEvent(m_table, event);
            return true;
        }
        // Typing in the list goes on in the filter box.
        const bool plain = (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
        if (watched == m_table && plain && !key->text().isEmpty()
            && key->text().front().isPrint()) {
            m_filter->setFocus(Qt::OtherFocusReason);
            QCoreApplication::sendEvent(m_filter, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace host

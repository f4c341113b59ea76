#include "host/check_list.h"

#include "ado/error.h"
#include "host/control_types.h"
#include "host/handler_connection.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

namespace host {

CheckList::CheckList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemChanged, this, &CheckList::onItemChanged);
}

CheckList::~CheckList() = default;

void CheckList::clearItems()
{
    QScopedValueRollback<bool> filling(m_filling, true);
    clear();
    m_states.clear();
}

void CheckList::addCheckItem(const QString &text, int index)
{
    if (index > count())
        ado::raise(
            381,
            QStringLiteral("Indice %1 non valido per l'elenco \"%2\"").arg(index).arg(objectName()),
            objectName());
    QScopedValueRollback<bool> filling(m_filling, true);
    auto *item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    const int at = index < 0 ? count() : index;
    insertItem(at, item); // the list owns the item
    m_states.insert(at, false);
}

QListWidgetItem *CheckList::checkedItem(int index) const
{
    QListWidgetItem *it = index >= 0 && index < count() ? item(index) : nullptr;
    if (!it)
        ado::raise(381,
                   QStringLiteral("Indice %1 non valido per l'elenco \"%2\" (%3 voci)")
                       .arg(index)
                       .arg(objectName())
                       .arg(count()),
                   objectName());
    return it;
}

QString CheckList::itemText(int index) const
{
    return checkedItem(index)->text();
}

bool CheckList::isTicked(int index) const
{
    return checkedItem(index)->checkState() == Qt::Checked;
}

void CheckList::setTicked(int index, bool ticked)
{
    QListWidgetItem *it = checkedItem(index);
    QScopedValueRollback<bool> fromCode(m_settingFromCode, true);
    it->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

int CheckList::tickedCount() const
{
    int ticked = 0;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->checkState() == Qt::Checked)
            ++ticked;
    }
    return ticked;
}

void CheckList::onItemChanged(QListWidgetItem *changed)
{
    if (m_filling)
        return;
    const int index = row(changed);
    if (index < 0 || index >= m_states.size())
        return;
    const bool ticked = changed->checkState() == Qt::Checked;
    if (m_states[index] == ticked)
        return; // the text or another role changed, not the check
    m_states[index] = ticked;
    runControlAction(objectName() + QStringLiteral("_ItemCheck"),
                     [this, index] { emit ItemCheck(index); });
}

void CheckList::keyPressEvent(QKeyEvent *event)
{
    const auto raise = [this](int &code, int shift) { emit KeyDown(code, shift); };
    if (keyDownSwallowed(this, event, raise))
        return;
    QListWidget::keyPressEvent(event);
}

void CheckList::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host

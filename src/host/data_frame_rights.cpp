// What the host lets the user do in a frame, and how the frame keeps to it.

#include "host/bindable.h"
#include "host/cinterface.h"
#include "host/data_frame.h"
#include "host/data_frame_p.h"
#include "host/dialogs.h"

#include <QWidget>

namespace host {

namespace {

QString refusal(const QString &what)
{
    return QStringLiteral("Sola lettura: %1.").arg(what);
}

} // namespace

DataFrame::Rights DataFrame::rights() const
{
    Rights r;
    if (const Cinterface *module = topFrame()->m_moduleInterface) {
        r.insert = module->CanInsert();
        r.update = module->CanUpdate();
        r.remove = module->CanDelete();
        r.query = module->CanQbe();
    }
    return r;
}

const DataFrame *DataFrame::topFrame() const
{
    const DataFrame *top = this;
    while (top->m_parentFrame)
        top = top->m_parentFrame;
    return top;
}

bool DataFrame::mayEdit() const
{
    const Rights r = rights();
    return r.update || (r.insert && topFrame()->m_status == StatusNew);
}

// A new record needs the right to insert; a new row of a list below it belongs to the
// record shown, which must be changeable.
bool DataFrame::mayAddNew() const
{
    return m_parentFrame ? mayEdit() : rights().insert;
}

bool DataFrame::mayDelete() const
{
    return m_parentFrame ? mayEdit() : rights().remove;
}

bool DataFrame::allowed(bool permitted, const QString &refusalText) const
{
    if (!permitted)
        DialogService::instance().message(refusal(refusalText), vbOKOnly | vbExclamation,
                                          frame::title());
    return permitted;
}

bool DataFrame::settleUnsavable(bool allowCancel)
{
    const QString question = refusal(
        QStringLiteral("le modifiche %1 non possono essere salvate. Abbandonarle?")
            .arg(m_subjectSave));
    const int answer = DialogService::instance().message(
        question, (allowCancel ? vbYesNo : vbOKOnly) | vbExclamation, frame::title());
    if (allowCancel && answer != vbYes)
        return false;
    undo();
    return true;
}

// The frames below follow the top one: a new record started there may unlock them.
void DataFrame::applyLock()
{
    const bool locked = !mayEdit();
    if (locked == m_locked)
        return;
    m_locked = locked;
    for (auto &b : m_bindings) {
        if (b->widget)
            b->control->setLocked(locked);
    }
    for (DataFrame *child : children()) {
        child->applyLock();
        child->updateNavigator();
    }
}

} // namespace host

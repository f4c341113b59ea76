#include "host/small_controls.h"

#include "ado/error.h"
#include "host/control_types.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QToolBar>

#include <cmath>

namespace host {

// ----- ToolButton -----

ToolButton::ToolButton(QWidget *parent) : QToolButton(parent)
{
    // The click leaves the focus where it is: the focused control's input is settled first,
    // and a value it refuses stops the click.
    connect(this, &QToolButton::clicked, this, [this] {
        if (!settleFocusedInput(this))
            return;
        runControlAction(objectName() + QStringLiteral("_Click"), [this] { emit Click(); });
    });
}

// ----- TabStrip -----

TabStrip::TabStrip(QWidget *parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = m_previous;
        m_previous = index;
        runControlAction(objectName() + QStringLiteral("_Click"),
                         [this, previous] { emit Click(previous); });
    });
}

void TabStrip::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        ado::raise(380,
                   QStringLiteral("Scheda %1 inesistente in \"%2\" (%3 schede)")
                       .arg(index)
                       .arg(objectName())
                       .arg(count()),
                   objectName());
}

void TabStrip::setTab(int index)
{
    checkIndex(index);
    setCurrentIndex(index);
}

bool TabStrip::TabEnabled(int index) const
{
    checkIndex(index);
    return isTabEnabled(index);
}

void TabStrip::setTabEnabled(int index, bool enabled)
{
    checkIndex(index);
    QTabWidget::setTabEnabled(index, enabled);
}

// ----- MdiHost -----

MdiHost::MdiHost(QWidget *parent) : QWidget(parent)
{
    setVisible(false); // a control without a face
    if (parent)
        window()->installEventFilter(this);
}

QWidget *MdiHost::placedWidget() const
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
            return sub;
    }
    return window();
}

QWidget *MdiHost::windowArea() const
{
    return placedWidget();
}

void MdiHost::place(int left, int top, int width, int height)
{
    if (width < 0 || height < 0)
        ado::raise(380, QStringLiteral("Dimensioni non valide: %1 x %2").arg(width).arg(height),
                   objectName());
    QWidget *target = placedWidget();
    target->move(twipsToPixels(left), twipsToPixels(top));
    target->resize(twipsToPixels(width), twipsToPixels(height));
}

void MdiHost::requestPlacement()
{
    m_placed = true;
    runControlAction(objectName() + QStringLiteral("_PlacementRequest"),
                     [this] { emit PlacementRequest(); });
}

bool MdiHost::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == window() && !m_placed)
        requestPlacement();
    return QWidget::eventFilter(watched, event);
}

// ----- ResizeHelper -----

namespace {

// Controls that place their own parts: the helper never looks inside them.
bool isLeaf(QWidget *w)
{
    return w->layout() || qobject_cast<QAbstractScrollArea *>(w)
           || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QComboBox *>(w)
           || qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractButton *>(w)
           || qobject_cast<QLabel *>(w) || qobject_cast<QTabBar *>(w)
           || qobject_cast<QAbstractSlider *>(w) || qobject_cast<QToolBar *>(w);
}

QList<QWidget *> childWidgets(QWidget *w)
{
    return w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
}

} // namespace

ResizeHelper::ResizeHelper(QWidget *form) : QObject(form), m_form(form) {}

ResizeHelper::~ResizeHelper()
{
    for (const Container &c : m_containers) {
        if (c.widget)
            c.widget->removeEventFilter(this);
    }
}

void ResizeHelper::start()
{
    for (const Container &c : m_containers) {
        if (c.widget)
            c.widget->removeEventFilter(this);
    }
    m_containers.clear();
    if (!m_form)
        ado::raise(91, QStringLiteral("Il ridimensionamento non ha una finestra"), objectName());
    record(m_form);
    m_started = true;
}

void ResizeHelper::record(QWidget *container)
{
    if (auto *tabs = qobject_cast<QTabWidget *>(container)) {
        // The tab control places its pages; what is on each page is ours.
        for (int i = 0; i < tabs->count(); ++i)
            record(tabs->widget(i));
        return;
    }
    if (isLeaf(container))
        return;
    Container entry;
    entry.widget = container;
    entry.design = container->size();
    for (QWidget *child : childWidgets(container)) {
        if (child->isWindow())
            continue;
        Placed placed;
        placed.widget = child;
        placed.design = child->geometry();
        const bool isContainer = !isLeaf(child) && !childWidgets(child).isEmpty();
        placed.growsVertically = isContainer || qobject_cast<QAbstractScrollArea *>(child)
                                 || qobject_cast<QTabWidget *>(child)
                                 || qobject_cast<QGroupBox *>(child);
        entry.children.push_back(placed);
        record(child);
    }
    if (entry.children.empty() || entry.design.isEmpty())
        return;
    container->installEventFilter(this);
    m_containers.push_back(entry);
}

void ResizeHelper::relayout(const Container &container)
{
    // Never smaller than designed: a window made smaller clips instead of crushing controls.
    const QSize now = container.widget->size();
    const double sx = std::max(1.0, double(now.width()) / container.design.width());
    const double sy = std::max(1.0, double(now.height()) / container.design.height());
    for (const Placed &p : container.children) {
        if (!p.widget)
            continue;
        const int x = int(std::lround(p.design.x() * sx));
        const int y = int(std::lround(p.design.y() * sy));
        const int w = int(std::lround(p.design.width() * sx));
        const int h = p.growsVertically ? int(std::lround(p.design.height() * sy))
                                        : p.design.height();
        p.widget->setGeometry(x, y, w, h);
    }
}

bool ResizeHelper::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        for (const Container &c : m_containers) {
            if (c.widget == watched) {
                relayout(c);
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace host

#pragma once
// The small controls of the window: ToolButton (a button with a Click event), TabStrip (the
// tabs), MdiHost (places the window in the host's frame) and ResizeHelper (keeps the window's
// controls laid out when it is resized).

#include <QPointer>
#include <QRect>
#include <QTabWidget>
#include <QToolButton>

#include <vector>

namespace host {

// A command button (CMD_ controls): Click when pressed, after the control that has the focus
// settled its input (settleFocusedInput); a value that control refuses stops the click.
class ToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ToolButton(QWidget *parent = nullptr);

signals:
    void Click();
};

// The tab control. Tab is the selected index (setting it selects the tab); TabEnabled(i)
// switches a tab on or off. Captions may carry '&' accelerators (Alt + letter selects the
// tab). Click(previousTab) is raised whenever the selected tab changes, by the user or by
// code. Indexes out of range raise error 380.
class TabStrip : public QTabWidget
{
    Q_OBJECT

public:
    explicit TabStrip(QWidget *parent = nullptr);

    int Tab() const { return currentIndex(); }
    void setTab(int index);
    bool TabEnabled(int index) const;
    void setTabEnabled(int index, bool enabled);

signals:
    void Click(int previousTab);

private:
    void checkIndex(int index) const;
    int m_previous = -1;
};

// The window's placement in the host. PlacementRequest is raised when the window is first
// shown (and by requestPlacement); the window answers with place(), given in twips (15 twips
// per pixel), which places the window (its MDI sub-window when it has one). windowArea is the
// widget whose painting the window freezes during its start-up.
class MdiHost : public QWidget
{
    Q_OBJECT

public:
    explicit MdiHost(QWidget *parent = nullptr);

    void place(int left, int top, int width, int height);
    QWidget *windowArea() const;
    void requestPlacement();

signals:
    void PlacementRequest();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *placedWidget() const;
    bool m_placed = false;
};

// Keeps the controls of a form where the design put them when the form grows or shrinks:
// start() records the size of the form and the geometry of every control placed without a
// layout; on each resize the controls are moved and resized in proportion. Controls of one
// text line (boxes, combo boxes, buttons, labels) keep their design height; grids, lists, tab
// controls and group boxes grow in both directions. Containers placed this way scale their own
// controls in turn.
class ResizeHelper : public QObject
{
    Q_OBJECT

public:
    explicit ResizeHelper(QWidget *form);
    ~ResizeHelper() override;

    // The module interface of the form (kept for the host; the helper only needs the form).
    QObject *moduleInterface() const { return m_interface; }
    void setModuleInterface(QObject *moduleInterface) { m_interface = moduleInterface; }
    void start();
    bool started() const { return m_started; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Placed
    {
        QPointer<QWidget> widget;
        QRect design;
        bool growsVertically = false;
    };
    struct Container
    {
        QPointer<QWidget> widget;
        QSize design;
        std::vector<Placed> children;
    };

    void record(QWidget *container);
    void relayout(const Container &container);

    QPointer<QWidget> m_form;
    QPointer<QObject> m_interface;
    std::vector<Container> m_containers;
    bool m_started = false;
};

} // namespace host

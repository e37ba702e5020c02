#include "workbench/toolwindows.h"

#include <algorithm>

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

namespace {

// The frame around a tool window. It tells when it was closed, since its
// destruction comes only later and the window must be gone for the next opening.
class ToolFrame : public QMdiSubWindow {
public:
    ToolFrame() { setAttribute(Qt::WA_DeleteOnClose); }

    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override {
        QMdiSubWindow::closeEvent(event);
        if (event->isAccepted() && onClosed)
            std::exchange(onClosed, nullptr)();
    }
};

} // namespace

ToolWindows::ToolWindows(QMdiArea& area, Workbench& workbench, QObject* parent)
    : QObject(parent)
    , m_area(area)
    , m_workbench(workbench) {}

void ToolWindows::add(const QString& name, Factory factory) {
    m_factories.insert(name, std::move(factory));
}

QWidget* ToolWindows::show(const QString& name, Activation activation) {
    QMdiSubWindow* frame = openFrame(name);
    if (!frame) {
        const auto factory = m_factories.constFind(name);
        if (factory == m_factories.constEnd())
            return nullptr;
        QWidget* window = (*factory)(m_workbench);
        window->setObjectName(name);
        auto* toolFrame = new ToolFrame;
        toolFrame->onClosed = [this, name, toolFrame] { forget(name, toolFrame); };
        toolFrame->setWidget(window);
        toolFrame->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        toolFrame->setWindowIcon(m_area.window()->windowIcon());
        frame = m_area.addSubWindow(toolFrame);
        m_open.insert(name, frame);
        // Destroyed without a close (the main window going away): forget it too.
        connect(frame, &QObject::destroyed, this,
                [this, name](QObject* dying) { forget(name, dying); });
        frame->show();
        // A window wider or taller than the area would be placed partly left of or
        // above it, out of the scroll bars' reach; its top-left corner stays visible.
        frame->move(std::max(frame->x(), 0), std::max(frame->y(), 0));
        Q_EMIT opened(name);
    } else if (frame->isMinimized()) {
        frame->showNormal();
    }
    if (activation == Activation::Activate) {
        m_area.setActiveSubWindow(frame);
        frame->raise();
        frame->widget()->setFocus();
    }
    return frame->widget();
}

QMdiSubWindow* ToolWindows::openFrame(const QString& name) const {
    return qobject_cast<QMdiSubWindow*>(m_open.value(name));
}

void ToolWindows::forget(const QString& name, const QObject* frame) {
    // Only the frame that is open under this name: a newer one may have taken its place.
    const auto open = m_open.find(name);
    if (open == m_open.end() || (!open->isNull() && open->data() != frame))
        return;
    m_open.erase(open);
    Q_EMIT closed(name);
}

QWidget* ToolWindows::find(const QString& name) const {
    const QMdiSubWindow* frame = openFrame(name);
    return frame ? frame->widget() : nullptr;
}

void ToolWindows::closeAll() {
    const auto frames = m_open.values();
    for (const QPointer<QObject>& frame : frames)
        delete frame.data();
}

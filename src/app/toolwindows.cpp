#include "app/toolwindows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

ToolWindows::ToolWindows(QMdiArea& area, Workbench& workbench, QObject* parent)
    : QObject(parent)
    , m_area(area)
    , m_workbench(workbench)
{
}

void ToolWindows::add(const QString& name, Factory factory)
{
    m_factories.insert(name, std::move(factory));
}

QWidget* ToolWindows::show(const QString& name, Activation activation)
{
    QMdiSubWindow* frame = m_open.value(name);
    if (!frame) {
        const auto factory = m_factories.constFind(name);
        if (factory == m_factories.constEnd())
            return nullptr;
        QWidget* window = (*factory)(m_workbench);
        window->setObjectName(name);
        window->setAttribute(Qt::WA_DeleteOnClose);
        frame = m_area.addSubWindow(window, Qt::SubWindow | Qt::WindowTitleHint
                                                | Qt::WindowSystemMenuHint
                                                | Qt::WindowMinimizeButtonHint
                                                | Qt::WindowCloseButtonHint);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(window->windowIcon());
        m_open.insert(name, frame);
        connect(frame, &QObject::destroyed, this, [this, name] {
            m_open.remove(name);
            Q_EMIT closed(name);
        });
        frame->show();
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

QWidget* ToolWindows::find(const QString& name) const
{
    const QMdiSubWindow* frame = m_open.value(name);
    return frame ? frame->widget() : nullptr;
}

void ToolWindows::closeAll()
{
    const auto frames = m_open.values();
    for (const QPointer<QMdiSubWindow>& frame : frames)
        delete frame.data();
}

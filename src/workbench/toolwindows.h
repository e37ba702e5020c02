#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QWidget;
class Workbench;

// The tool windows inside the main window: at most one of each, created when first
// shown, destroyed when closed. Each subsystem adds a factory under its window's name.
class ToolWindows : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*(Workbench&)>;
    enum class Activation { Activate, ShowOnly };

    ToolWindows(QMdiArea& area, Workbench& workbench, QObject* parent = nullptr);

    void add(const QString& name, Factory factory);
    bool contains(const QString& name) const { return m_factories.contains(name); }
    QStringList names() const { return m_factories.keys(); }

    // Creates the window unless it is open, shows it, and (by default) brings it to
    // the front with the keyboard focus.
    QWidget* show(const QString& name, Activation activation = Activation::Activate);
    // The open window of that name, or nullptr.
    QWidget* find(const QString& name) const;
    // Closes and destroys every open tool window.
    void closeAll();

Q_SIGNALS:
    void opened(const QString& name);
    void closed(const QString& name);

private:
    QMdiSubWindow* openFrame(const QString& name) const;
    void forget(const QString& name, const QObject* frame);

    QMdiArea& m_area;
    Workbench& m_workbench;
    QMap<QString, Factory> m_factories;
    // Kept as plain objects: a frame's destroyed signal comes when it is no longer a
    // QMdiSubWindow, and it must still be told apart from a newer frame of that name.
    QMap<QString, QPointer<QObject>> m_open;
};

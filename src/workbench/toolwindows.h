#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QWidget;
class Workbench;

// The tool windows: at most one of each, created when first shown, destroyed when
// closed. Each subsystem adds a factory under its window's name. Most live inside the
// main window's area; a window at home on the desk is a window of its own beside the
// main window.
class ToolWindows : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<QWidget*(Workbench&)>;
    enum class Activation { Activate, ShowOnly };
    enum class Home { Area, Desk };
    // Whether a window may be made only to measure it: one whose creation does
    // something (loading the settings window sets the shared values) may not.
    enum class Creation { Free, HasEffects };

    ToolWindows(QMdiArea& area, Workbench& workbench, QObject* parent = nullptr);

    void add(const QString& name, Factory factory, Home home = Home::Area,
             Creation creation = Creation::Free);
    bool contains(const QString& name) const { return m_entries.contains(name); }
    QStringList names() const { return m_entries.keys(); }
    // The part of the screen windows of their own are kept in (the screen's available
    // area unless told otherwise).
    void setDesktopArea(std::function<QRect()> desktopArea) {
        m_desktopArea = std::move(desktopArea);
    }
    QRect desktopArea() const;

    // Creates the window unless it is open, shows it, and (by default) brings it to
    // the front with the keyboard focus. A new window in the area opens at its natural
    // size, whole in view, staggered from the others.
    QWidget* show(const QString& name, Activation activation = Activation::Activate);
    // The open window of that name, or nullptr.
    QWidget* find(const QString& name) const;
    // Closes and destroys every open tool window.
    void closeAll();

    // The largest frame of the windows that live in the area, each at its natural size
    // (measured once, on windows made for it and destroyed).
    QSize largestAreaFrame();
    // The open windows in the area laid out side by side, or staggered, at their
    // natural sizes.
    void tile();
    void cascade();

Q_SIGNALS:
    void opened(const QString& name);
    void closed(const QString& name);

private:
    struct Entry {
        Factory factory;
        Home home;
        Creation creation;
    };

    QWidget* create(const QString& name, const Entry& entry);
    QWidget* openInArea(const QString& name, QWidget* window);
    QWidget* openOnDesk(const QString& name, QWidget* window);
    QWidget* openOuter(const QString& name) const;
    void forget(const QString& name, const QObject* outer);
    // The area's open windows in their stacking order, minimised ones left out.
    QList<QMdiSubWindow*> arrangeable() const;
    void arrange(const QList<QMdiSubWindow*>& frames, const QList<QPoint>& places);
    // The frame that shows a window whole in the area.
    QSize naturalFrame(const QWidget& window) const;
    QList<QSize> naturalFrames(const QList<QMdiSubWindow*>& frames) const;
    int titleStep() const;

    QMdiArea& m_area;
    Workbench& m_workbench;
    std::function<QRect()> m_desktopArea;
    QMap<QString, Entry> m_entries;
    QSize m_largestAreaFrame;
    // The open windows' outermost widgets (a frame in the area, or a window of its
    // own), kept as plain objects: a destroyed signal comes when the widget is no longer
    // one, and it must still be told apart from a newer window of that name.
    QMap<QString, QPointer<QObject>> m_open;
};

#include "workbench/toolwindows.h"

#include "workbench/deskplacement.h"
#include "workbench/windowarrangement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {

// Tells when the window it wraps was closed: its destruction comes only later, and the
// window must be gone for the next opening.
template <typename Base> class ClosingFrame : public Base {
public:
    using Base::Base;

    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override {
        Base::closeEvent(event);
        if (event->isAccepted() && onClosed)
            std::exchange(onClosed, nullptr)();
    }
};

// The frame around a tool window in the area.
class AreaFrame : public ClosingFrame<QMdiSubWindow> {
public:
    AreaFrame() {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    }
};

// A tool window of its own on the desk; it belongs to the main window, so it goes with it.
class DeskFrame : public ClosingFrame<QWidget> {
public:
    DeskFrame(QWidget* content, QWidget* mainWindow)
        : ClosingFrame<QWidget>(mainWindow, Qt::Window) {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(content->objectName() + QStringLiteral("Window"));
        setWindowTitle(content->windowTitle());
        setWindowIcon(mainWindow->windowIcon());
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
    }
};

QWidget* contentOf(QObject* outer) {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(outer))
        return frame->widget();
    auto* window = qobject_cast<QWidget*>(outer);
    return window && window->layout() && window->layout()->count() > 0
               ? window->layout()->itemAt(0)->widget()
               : nullptr;
}

// What a window needs to show whole: its own size where it is fixed or has no layout to
// ask, else what its layout asks for.
QSize naturalSize(const QWidget& window) {
    if (window.minimumSize() == window.maximumSize())
        return window.minimumSize();
    const QSize hint = window.sizeHint();
    if (!hint.isValid())
        return window.size().expandedTo(window.minimumSize());
    return hint.expandedTo(window.minimumSizeHint())
        .expandedTo(window.minimumSize())
        .boundedTo(window.maximumSize());
}

} // namespace

ToolWindows::ToolWindows(QMdiArea& area, Workbench& workbench, QObject* parent)
    : QObject(parent)
    , m_area(area)
    , m_workbench(workbench) {}

void ToolWindows::add(const QString& name, Factory factory, Home home, Creation creation) {
    m_entries.insert(name, {std::move(factory), home, creation});
    m_largestAreaFrame = QSize();
}

QRect ToolWindows::desktopArea() const {
    if (m_desktopArea)
        return m_desktopArea();
    const QScreen* screen = m_area.window()->screen();
    return (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
}

QWidget* ToolWindows::show(const QString& name, Activation activation) {
    QWidget* outer = openOuter(name);
    if (!outer) {
        const auto entry = m_entries.constFind(name);
        if (entry == m_entries.constEnd())
            return nullptr;
        QWidget* window = create(name, *entry);
        outer = entry->home == Home::Area ? openInArea(name, window) : openOnDesk(name, window);
        m_open.insert(name, outer);
        // Destroyed without a close (the main window going away): forget it too.
        connect(outer, &QObject::destroyed, this,
                [this, name](QObject* dying) { forget(name, dying); });
        Q_EMIT opened(name);
    } else if (outer->isMinimized()) {
        outer->showNormal();
    }
    QWidget* window = contentOf(outer);
    if (activation == Activation::Activate) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(outer))
            m_area.setActiveSubWindow(frame);
        else
            outer->activateWindow();
        outer->raise();
        window->setFocus();
    }
    return window;
}

QWidget* ToolWindows::create(const QString& name, const Entry& entry) {
    QWidget* window = entry.factory(m_workbench);
    window->setObjectName(name);
    return window;
}

QWidget* ToolWindows::openInArea(const QString& name, QWidget* window) {
    auto* frame = new AreaFrame;
    frame->onClosed = [this, name, frame] { forget(name, frame); };
    frame->setWidget(window);
    frame->setWindowIcon(m_area.window()->windowIcon());
    // Staggered from the windows already open, at its natural size, whole in view.
    QList<QMdiSubWindow*> frames = arrangeable();
    QList<QSize> sizes;
    for (const QMdiSubWindow* open : std::as_const(frames))
        sizes.append(open->size());
    const QSize size = naturalFrame(*window);
    sizes.append(size);
    const QPoint place =
        WindowArrangement::cascaded(sizes, m_area.viewport()->size(), titleStep()).constLast();
    m_area.addSubWindow(frame);
    frame->setGeometry(QRect(place, size));
    frame->show();
    return frame;
}

QWidget* ToolWindows::openOnDesk(const QString& name, QWidget* window) {
    QWidget* mainWindow = m_area.window();
    auto* frame = new DeskFrame(window, mainWindow);
    frame->onClosed = [this, name, frame] { forget(name, frame); };
    // Its natural size (adjustSize() would hold a window to part of the screen).
    frame->resize(frame->sizeHint());
    // Beside the main window where the screen has room: the frame around it is the
    // main window's kind.
    const QRect mainFrame = mainWindow->frameGeometry();
    const QSize decoration = mainFrame.size() - mainWindow->geometry().size();
    const QRect place =
        DeskPlacement::resizableBeside(mainFrame, frame->size() + decoration,
                                       frame->minimumSizeHint() + decoration, desktopArea());
    frame->resize(place.size() - decoration);
    frame->move(place.topLeft());
    frame->show();
    return frame;
}

QWidget* ToolWindows::openOuter(const QString& name) const {
    return qobject_cast<QWidget*>(m_open.value(name).data());
}

void ToolWindows::forget(const QString& name, const QObject* outer) {
    // Only the window that is open under this name: a newer one may have taken its place.
    const auto open = m_open.find(name);
    if (open == m_open.end() || (!open->isNull() && open->data() != outer))
        return;
    m_open.erase(open);
    Q_EMIT closed(name);
}

QWidget* ToolWindows::find(const QString& name) const {
    QWidget* outer = openOuter(name);
    return outer ? contentOf(outer) : nullptr;
}

void ToolWindows::closeAll() {
    const auto windows = m_open.values();
    for (const QPointer<QObject>& outer : windows)
        delete outer.data();
}

QSize ToolWindows::largestAreaFrame() {
    if (m_largestAreaFrame.isValid())
        return m_largestAreaFrame;
    QSize largest(0, 0);
    for (auto entry = m_entries.cbegin(); entry != m_entries.cend(); ++entry) {
        if (entry->home != Home::Area || entry->creation != Creation::Free)
            continue;
        const std::unique_ptr<QWidget> window(create(entry.key(), *entry));
        largest = largest.expandedTo(naturalFrame(*window));
    }
    m_largestAreaFrame = largest;
    return largest;
}

QList<QMdiSubWindow*> ToolWindows::arrangeable() const {
    QList<QMdiSubWindow*> frames;
    const QList<QMdiSubWindow*> all = m_area.subWindowList(QMdiArea::StackingOrder);
    for (QMdiSubWindow* frame : all) {
        if (!frame->isMinimized() && !frame->isHidden())
            frames.append(frame);
    }
    return frames;
}

void ToolWindows::arrange(const QList<QMdiSubWindow*>& frames, const QList<QPoint>& places) {
    for (qsizetype i = 0; i < frames.size(); ++i) {
        frames[i]->showNormal();
        frames[i]->setGeometry(QRect(places[i], naturalFrame(*frames[i]->widget())));
    }
}

QList<QSize> ToolWindows::naturalFrames(const QList<QMdiSubWindow*>& frames) const {
    QList<QSize> sizes;
    for (const QMdiSubWindow* frame : frames)
        sizes.append(naturalFrame(*frame->widget()));
    return sizes;
}

void ToolWindows::tile() {
    const QList<QMdiSubWindow*> frames = arrangeable();
    arrange(frames, WindowArrangement::tiled(naturalFrames(frames), m_area.viewport()->width()));
}

void ToolWindows::cascade() {
    const QList<QMdiSubWindow*> frames = arrangeable();
    const QList<QSize> sizes = naturalFrames(frames);
    arrange(frames, WindowArrangement::cascaded(sizes, m_area.viewport()->size(), titleStep()));
    if (!frames.isEmpty())
        m_area.setActiveSubWindow(frames.constLast());
}

QSize ToolWindows::naturalFrame(const QWidget& window) const {
    // The title bar and borders a frame in the area puts around a window (a frame has
    // them only there).
    QMdiSubWindow probe(m_area.viewport());
    auto* content = new QWidget;
    constexpr QSize ContentSize(100, 100);
    content->setFixedSize(ContentSize);
    probe.setWidget(content);
    return naturalSize(window) + probe.minimumSizeHint() - ContentSize;
}

int ToolWindows::titleStep() const {
    // One title bar: where a window's contents start inside its frame.
    for (const QMdiSubWindow* frame : m_area.subWindowList()) {
        if (frame->widget())
            return std::max(16, frame->widget()->y());
    }
    return 24;
}

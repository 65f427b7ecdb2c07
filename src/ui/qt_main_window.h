// The program's one top-level window: the log list, the summary panel and the commands.
#pragma once

#include <QWidget>
#include <memory>

#include "ui/toolkit.h"

namespace tankora {

class QtMainWindow : public QWidget {
    Q_OBJECT

public:
    explicit QtMainWindow(MainWindowEvents& events);
    ~QtMainWindow() override;

    // Runs the creation event once, then shows the window in the display state the
    // event left (centred when normal). The program calls it before its message loop.
    void open();
    // What the events see of this window.
    MainWindowView& view();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class View;
    void runDestroying();
    void destroyWindow();

    MainWindowEvents& events_;
    std::unique_ptr<View> view_;
    bool created_ = false;
    bool destroyed_ = false;
};

}  // namespace tankora

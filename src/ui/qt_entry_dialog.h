// The modal add/modify dialog: its controls, and its events forwarded to the logic.
#pragma once

#include <QDialog>
#include <memory>

#include "ui/toolkit.h"

namespace tankora {

class QtEntryDialog : public QDialog {
    Q_OBJECT

public:
    explicit QtEntryDialog(EntryDialogEvents& events);
    ~QtEntryDialog() override;

    // What the events see of this dialog.
    EntryDialogView& view();
    bool isDestroyed() const { return destroyed_; }
    // Runs the destruction event once, then ends the modal loop.
    void destroyDialog();

    // Escape and the close box destroy the dialog as Cancel's handler would.
    void reject() override;

private:
    class View;
    EntryDialogEvents& events_;
    std::unique_ptr<View> view_;
    bool destroyed_ = false;
};

}  // namespace tankora

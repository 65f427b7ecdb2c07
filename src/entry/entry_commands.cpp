#include "entry/entry_commands.h"

#include "entry/entry_dialog_logic.h"
#include "entry/entry_texts.h"
#include "entry/selected_entry.h"
#include "log/field_reading.h"
#include "log/log_database.h"
#include "log/log_refresh.h"
#include "store/log_file_format.h"
#include "text/value_text.h"

namespace tankora {
namespace {

const std::string kDeleteQuestionStart =
    "\xca\xc7\xb7\xf1\xc9\xbe\xb3\xfd\xb1\xe0\xba\xc5\x20";  // "是否删除编号 "
const std::string kDeleteQuestionEnd = " ?";
const std::string kDeleteQuestionTitle = "\xd1\xaf\xce\xca";                   // 询问
const std::string kDeleteFailedText = "\xc9\xbe\xb3\xfd\xca\xa7\xb0\xdc\x21";  // 删除失败!

void runEntryDialog(EntryContext& context) {
    EntryDialogLogic logic(context);
    context.toolkit.runEntryDialog(logic);
}

}  // namespace

void addEntry(EntryContext& context) {
    context.entryMode.mode = EntryMode::kAdd;
    runEntryDialog(context);
}

void modifyEntry(EntryContext& context) {
    context.entryMode.mode = EntryMode::kModify;
    const ReportList& list = context.mainWindow.logList();
    context.entryMode.selectedSerial = serialOfSelectedRow(list);
    if (list.selectedRow() >= 0) runEntryDialog(context);
}

void deleteEntry(EntryContext& context) {
    const ReportList& list = context.mainWindow.logList();
    const std::int32_t serial = serialOfSelectedRow(list);
    context.entryMode.selectedSerial = serial;
    if (list.selectedRow() < 0) return;
    const std::string question = kDeleteQuestionStart + numberToText(serial) + kDeleteQuestionEnd;
    if (context.toolkit.showMessage(question, kDeleteQuestionTitle, MessageIcon::Information,
                                    MessageButtons::YesNo) != MessageAnswer::Yes) {
        return;
    }

    FuelLogStore& store = context.store;
    if (!openLogDatabase(store, context.databasePath, context.toolkit)) return;
    bool found = false;
    bool marked = false;
    const std::int32_t n = store.recordCount();
    for (std::int64_t i = 1; i <= n; ++i) {  // 64 bits: ++i cannot overflow at n = INT32_MAX
        if (sameSerial(readIntegerField(store, kSerialField), serial)) {
            found = true;
            marked = store.deleteRecord();
            break;
        }
        store.skip(1);
    }
    // Also with nothing marked: the purge drops whatever an earlier failure left marked.
    const bool purged = store.purgeDeleted();
    closeLogDatabase(store, context.databasePath);
    if ((found && !marked) || !purged) {
        context.toolkit.showMessage(kDeleteFailedText, kFailureTitle, MessageIcon::Information,
                                    MessageButtons::Ok);
    }
    refreshLog(context.databasePath, store, context.mainWindow, context.toolkit);
}

}  // namespace tankora

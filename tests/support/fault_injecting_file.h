// A LogFile that wraps a real file and fails, cuts short or stops the process at a
// chosen operation, recording every call so that tests can check the order of writes
// and syncs. A FaultPlan is shared by the test and every file opened through the opener.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/log_file.h"

namespace tankora {

enum class FileOp { Read, Write, SetLength, Sync, Length, Lock, Unlock };

struct FileOpRecord {
    FileOp op;
    std::int64_t offset = 0;  // Read, Write, Lock, Unlock; the new length for SetLength
    std::int64_t size = 0;    // Read, Write, Lock, Unlock
    bool failed = false;
};

class FaultPlan {
public:
    static constexpr int kStopExitCode = 86;

    // Fails the n-th call of `op` counted from now (1 = the next one).
    void failNth(FileOp op, int n) { kindFaults_[op].push_back(count(op) + n); }
    // Fails the n-th read, write, setLength or sync, those four counted together from now.
    void failNthOfAny(int n) { anyFaults_.push_back(dataOps_ + n); }
    // The n-th write from now writes only its first `keptBytes` bytes and reports failure.
    void partialNthWrite(int n, std::size_t keptBytes) {
        partialWrites_[count(FileOp::Write) + n] = keptBytes;
    }
    // The n-th write from now writes its first `keptBytes` bytes, then the process ends at
    // once with `exitCode`, as after a power cut (nothing after it reaches the file).
    void stopAtNthWrite(int n, std::size_t keptBytes = 0, int exitCode = kStopExitCode) {
        stopWrite_ = count(FileOp::Write) + n;
        stopKeptBytes_ = keptBytes;
        stopExitCode_ = exitCode;
    }

    int count(FileOp op) const {
        const auto it = counts_.find(op);
        return it == counts_.end() ? 0 : it->second;
    }
    const std::vector<FileOpRecord>& journal() const { return journal_; }
    void clearJournal() { journal_.clear(); }
    // The journal without reads, lengths and locks: what changed the file, in order.
    std::vector<FileOpRecord> changes() const {
        std::vector<FileOpRecord> result;
        for (const FileOpRecord& r : journal_) {
            if (r.op == FileOp::Write || r.op == FileOp::SetLength || r.op == FileOp::Sync)
                result.push_back(r);
        }
        return result;
    }

    // Called by FaultInjectingFile: counts the call and tells whether it is to fail.
    bool next(FileOp op) {
        const int number = ++counts_[op];
        bool fail = take(kindFaults_[op], number);
        if (op == FileOp::Read || op == FileOp::Write || op == FileOp::SetLength || op == FileOp::Sync) {
            fail = take(anyFaults_, ++dataOps_) || fail;
        }
        return fail;
    }
    std::optional<std::size_t> partialWrite() {
        const auto it = partialWrites_.find(count(FileOp::Write));
        if (it == partialWrites_.end()) return std::nullopt;
        return it->second;
    }
    bool stopsHere() const { return stopWrite_ != 0 && stopWrite_ == count(FileOp::Write); }
    std::size_t stopKeptBytes() const { return stopKeptBytes_; }
    int stopExitCode() const { return stopExitCode_; }
    void record(FileOpRecord r) { journal_.push_back(r); }

private:
    static bool take(std::vector<int>& targets, int number) {
        const auto it = std::find(targets.begin(), targets.end(), number);
        if (it == targets.end()) return false;
        targets.erase(it);
        return true;
    }

    std::map<FileOp, int> counts_;
    std::map<FileOp, std::vector<int>> kindFaults_;
    int dataOps_ = 0;
    std::vector<int> anyFaults_;
    std::map<int, std::size_t> partialWrites_;
    int stopWrite_ = 0;
    std::size_t stopKeptBytes_ = 0;
    int stopExitCode_ = kStopExitCode;
    std::vector<FileOpRecord> journal_;
};

class FaultInjectingFile final : public LogFile {
public:
    FaultInjectingFile(std::unique_ptr<LogFile> inner, std::shared_ptr<FaultPlan> plan)
        : inner_(std::move(inner)), plan_(std::move(plan)) {}

    std::int64_t readAt(std::int64_t offset, void* buffer, std::size_t size) override {
        const bool fail = plan_->next(FileOp::Read);
        plan_->record({FileOp::Read, offset, static_cast<std::int64_t>(size), fail});
        return fail ? -1 : inner_->readAt(offset, buffer, size);
    }

    bool writeAt(std::int64_t offset, const void* data, std::size_t size) override {
        const bool fail = plan_->next(FileOp::Write);
        plan_->record({FileOp::Write, offset, static_cast<std::int64_t>(size), fail});
        if (plan_->stopsHere()) {
            inner_->writeAt(offset, data, std::min(size, plan_->stopKeptBytes()));
            ::_exit(plan_->stopExitCode());
        }
        if (fail) return false;
        if (const auto kept = plan_->partialWrite()) {
            inner_->writeAt(offset, data, std::min(size, *kept));
            return false;
        }
        return inner_->writeAt(offset, data, size);
    }

    std::int64_t length() override {
        const bool fail = plan_->next(FileOp::Length);
        plan_->record({FileOp::Length, 0, 0, fail});
        return fail ? -1 : inner_->length();
    }

    bool setLength(std::int64_t newLength) override {
        const bool fail = plan_->next(FileOp::SetLength);
        plan_->record({FileOp::SetLength, newLength, 0, fail});
        return !fail && inner_->setLength(newLength);
    }

    bool sync() override {
        const bool fail = plan_->next(FileOp::Sync);
        plan_->record({FileOp::Sync, 0, 0, fail});
        return !fail && inner_->sync();
    }

    LockResult lock(std::int64_t offset, std::int64_t length) override {
        const bool fail = plan_->next(FileOp::Lock);
        plan_->record({FileOp::Lock, offset, length, fail});
        return fail ? LockResult::Failed : inner_->lock(offset, length);
    }

    void unlock(std::int64_t offset, std::int64_t length) override {
        plan_->next(FileOp::Unlock);
        plan_->record({FileOp::Unlock, offset, length, false});
        inner_->unlock(offset, length);
    }

    FileIdentity identity() const override { return inner_->identity(); }

private:
    std::unique_ptr<LogFile> inner_;
    std::shared_ptr<FaultPlan> plan_;
};

class FaultInjectingOpener final : public LogFileOpener {
public:
    explicit FaultInjectingOpener(std::shared_ptr<FaultPlan> plan) : plan_(std::move(plan)) {}

    std::unique_ptr<LogFile> open(const std::string& path) override {
        std::unique_ptr<LogFile> inner = real_->open(path);
        if (!inner) return nullptr;
        return std::make_unique<FaultInjectingFile>(std::move(inner), plan_);
    }

private:
    std::shared_ptr<FaultPlan> plan_;
    std::shared_ptr<LogFileOpener> real_ = posixLogFileOpener();
};

}  // namespace tankora

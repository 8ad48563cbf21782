// SPDX-License-Identifier: GPL-3.0-or-later
// The "Recursive Insert file" dialog (133): inserting a whole folder tree.
//
// The folder is walked on a worker thread (depth first, hidden entries
// skipped, links to folders not entered) while the dialog counts the
// folders entered and the files added. The worker never touches the image
// list: it hands the files it finds over through a queue guarded by a
// mutex, and the dialog's timer, on the user-interface thread, inserts them
// and shows the counters at a bounded rate (every 50 ms), so painting and
// inserting never overlap and the counters cost the walk nothing.
//
// Cancel (1005) only asks the walk to stop; Escape and the close box do the
// same. The dialog ends when the worker has finished, never before: the rows
// added until then stay in the list.
#pragma once

#include "vistrel/core/extender_registry.h"
#include "vistrel/core/folder_walk.h"

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

class QLineEdit;
class QPushButton;

namespace vistrel::manager {

class CRecursiveInsertDlg final : public QDialog {
    Q_OBJECT
public:
    // Inserts a batch of files into the list on the user-interface thread
    // and says how many it added (files refused are not counted).
    using InsertBatch = std::function<int(std::span<const std::string> files)>;

    // Only files a reader of `registry` claims are handed over (all with a
    // null registry).
    CRecursiveInsertDlg(const CExtenderRegistry* registry, InsertBatch insert, QWidget* parent = nullptr);
    ~CRecursiveInsertDlg() override;

    // Walks `folder` with the dialog up; returns when the walk has ended.
    void Run(const std::string& folder);

    int FoldersScanned() const { return foldersShown_; }
    int FilesAdded() const { return filesAdded_; }
    bool CancelRequested() const { return walk_.CancelRequested(); }

    // Files per batch and the counters' period; tests make them small.
    std::size_t batchSize = 256;
    std::chrono::milliseconds interval{50};
    // Called on the worker thread after each batch was handed over (tests
    // hold the walk there).
    std::function<void()> afterBatch;

protected:
    // Escape and the close box: the same as Cancel.
    void reject() override;

private:
    void Work(std::string folder);
    void Tick();
    void ShowCounters();

    const CExtenderRegistry* registry_;
    InsertBatch insert_;
    QLineEdit* foldersEdit_;
    QLineEdit* filesEdit_;
    QPushButton* cancel_;
    QTimer tick_;

    FolderWalk walk_; // the worker's; only its cancel request is shared
    std::thread worker_;
    std::atomic<int> foldersScanned_{0};
    std::mutex mutex_; // guards pending_ and walkDone_
    std::vector<std::string> pending_;
    bool walkDone_ = false;

    // The user-interface thread's.
    int foldersShown_ = 0;
    int filesAdded_ = 0;
};

} // namespace vistrel::manager

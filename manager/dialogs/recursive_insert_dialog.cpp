// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/recursive_insert_dialog.h"

#include "app/resource_ids.h"
#include "app/texts.h"
#include "vistrel/gui/fixed_size_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vistrel::manager {

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

CRecursiveInsertDlg::CRecursiveInsertDlg(const CExtenderRegistry* registry, InsertBatch insert, QWidget* parent)
    : QDialog(parent), registry_(registry), insert_(std::move(insert))
{
    setObjectName(QString::number(ids::kDialogRecursiveInsert));
    setWindowTitle(Q(texts::kRecursiveInsertTitle));
    setModal(true);

    auto* grid = new QGridLayout(this);
    auto counter = [&](std::string_view label, int id, int row) {
        auto* text = new QLabel(Q(label), this);
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(id));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
        text->setBuddy(edit);
        grid->addWidget(text, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    foldersEdit_ = counter(texts::kFoldersScanned, ids::kEditFoldersScanned, 0);
    filesEdit_ = counter(texts::kFilesAdded, ids::kEditFilesAdded, 1);
    cancel_ = new QPushButton(Q(texts::kCancelButton), this);
    cancel_->setObjectName(QString::number(ids::kButtonStopInsert));
    cancel_->setDefault(true);
    grid->addWidget(cancel_, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    connect(cancel_, &QPushButton::clicked, this, [this] { walk_.RequestCancel(); });
    connect(&tick_, &QTimer::timeout, this, [this] { Tick(); });
    gui::MakeFixedSizeDialog(this);
}

CRecursiveInsertDlg::~CRecursiveInsertDlg()
{
    // Run ends only after the walk; this is for a dialog torn down otherwise.
    walk_.RequestCancel();
    if (worker_.joinable())
        worker_.join();
}

void CRecursiveInsertDlg::Run(const std::string& folder)
{
    if (worker_.joinable())
        return;
    foldersShown_ = 0;
    filesAdded_ = 0;
    walk_.batchSize = batchSize;
    walk_.progressInterval = interval;
    if (registry_)
        walk_.wants = [registry = registry_](std::string_view path) {
            return registry->FindReaderForFile(path) != nullptr;
        };
    walk_.onFiles = [this](std::span<const std::string> files) {
        {
            std::lock_guard lock(mutex_);
            pending_.insert(pending_.end(), files.begin(), files.end());
        }
        if (afterBatch)
            afterBatch();
        return static_cast<int>(files.size());
    };
    walk_.onProgress = [this](const WalkProgress& progress) {
        foldersScanned_.store(progress.foldersScanned, std::memory_order_relaxed);
    };
    worker_ = std::thread([this, folder] { Work(folder); });
    tick_.start(interval);
    exec();
}

void CRecursiveInsertDlg::Work(std::string folder)
{
    walk_.Walk(folder);
    std::lock_guard lock(mutex_);
    walkDone_ = true;
}

void CRecursiveInsertDlg::Tick()
{
    std::vector<std::string> batch;
    bool done;
    {
        std::lock_guard lock(mutex_);
        batch.swap(pending_);
        done = walkDone_;
    }
    foldersShown_ = foldersScanned_.load(std::memory_order_relaxed);
    if (!batch.empty() && insert_)
        filesAdded_ += insert_(batch);
    if (!done) {
        ShowCounters();
        return;
    }
    tick_.stop();
    worker_.join();
    foldersShown_ = walk_.foldersScanned;
    ShowCounters();
    // The worker's end, as the dialog's own cancel command.
    QDialog::done(ids::kIdCancel);
}

void CRecursiveInsertDlg::ShowCounters()
{
    // The fields stay empty until something is counted.
    if (foldersShown_ > 0)
        foldersEdit_->setText(QString::number(foldersShown_));
    if (filesAdded_ > 0)
        filesEdit_->setText(QString::number(filesAdded_));
}

void CRecursiveInsertDlg::reject() { walk_.RequestCancel(); }

} // namespace vistrel::manager

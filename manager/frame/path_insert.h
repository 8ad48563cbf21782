// SPDX-License-Identifier: GPL-3.0-or-later
// Inserting a dropped or chosen path: a file by itself, a folder with every
// file below it that a reader claims, through the Recursive Insert dialog
// (its walk on a worker thread, live counters, Cancel).
#pragma once

#include "list/image_list_model.h"

#include <span>
#include <string>

class QWidget;

namespace vistrel::manager {

// Inserts a batch of files into the model's list with one notice to the
// views for the whole batch; returns how many were added.
int InsertBatch(ImageListModel& model, std::span<const std::string> files, bool noDuplicates);

// Inserts `path`; a folder runs the Recursive Insert dialog over `parent`.
// Returns how many entries were added.
int InsertPath(QWidget* parent, ImageListModel& model, const std::string& path, bool noDuplicates);

} // namespace vistrel::manager
